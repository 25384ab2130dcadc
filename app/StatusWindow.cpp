#include "StatusWindow.h"

#include "GnuGettext.h"
#include "Image32.h"
#include "KernelResampler.h"
#include "MainWindow.h"
#include "TextMarker.h"
#include "WindowTranslation.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumvale {

TfrmImagePopup* frmImagePopup = nullptr;

TfrmImagePopup::TfrmImagePopup(TfrmMain& main)
    : QDialog(&main, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), main_(main) {
  setObjectName("frmImagePopup");
  setWindowTitle(N_("Status"));
  setModal(false);
  setFixedSize(380, 369);

  gbImage = new QGroupBox(N_("Image"), this);
  gbImage->setObjectName("gbImage");
  img = new TImage32(gbImage);
  img->setObjectName("img");
  img->setFixedSize(341, 245);
  auto* imageLayout = new QVBoxLayout(gbImage);
  imageLayout->addWidget(img);

  pg = new QProgressBar(this);
  pg->setObjectName("pg");
  pg->setFixedSize(269, 10);
  pg->setTextVisible(false);
  pg->setVisible(false);
  lbPG = new QLabel(this);
  lbPG->setObjectName("lbPG");
  lbPG->setVisible(false);
  lbStatus = new QLabel(N_("Ready"), this);
  lbStatus->setObjectName("lbStatus");
  lbStatus->setFixedWidth(337);
  lbStatus->setVisible(false);
  btCancel = new QPushButton(N_("Cancel"), this);
  btCancel->setObjectName("btCancel");
  btCancel->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gbImage);
  auto* progress = new QHBoxLayout;
  progress->addWidget(pg);
  progress->addWidget(lbPG);
  progress->addStretch();
  layout->addLayout(progress);
  layout->addWidget(lbStatus);
  layout->addStretch();
  layout->addWidget(btCancel, 0, Qt::AlignHCenter);

  // A picture put into the bitmap itself is scaled for display with these settings; a run's
  // photos are shown through the job's scaled copy instead (TImage32::ScaledPicture).
  TBitmap32& bitmap = img->Bitmap();
  bitmap.CombineMode = TCombineMode::cmMerge;
  InstallLanczosResampler(bitmap);

  connect(btCancel, &QPushButton::clicked, this, &TfrmImagePopup::btCancelClick);
  TranslateComponent(this);
}

void TfrmImagePopup::btCancelClick() {
  main_.Cancelled = true;
}

void TfrmImagePopup::closeEvent(QCloseEvent* event) {
  event->ignore();
}

void TfrmImagePopup::reject() {
  btCancelClick();
}

}  // namespace lumvale
