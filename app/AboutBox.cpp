#include "AboutBox.h"

#include "DialogService.h"
#include "Logo.h"
#include "Shortcuts.h"
#include "TextMarker.h"
#include "Version.h"
#include "WindowTranslation.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace lumvale {

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle(N_("About Lumvale"));
  setFixedSize(441, 191);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);

  imgLogo = new QLabel(this);
  imgLogo->setObjectName("imgLogo");
  imgLogo->setPixmap(QPixmap::fromImage(LumvaleLogo()));
  imgLogo->setFixedSize(128, 128);
  lbProgramName = new QLabel(N_("Lumvale"), this);
  lbProgramName->setObjectName("lbProgramName");
  QFont large(QStringLiteral("Arial"));
  large.setPixelSize(27);
  lbProgramName->setFont(large);
  lbProgramNameSmall = new QLabel(N_("Downsizes JPEG photos in batches"), this);
  lbProgramNameSmall->setObjectName("lbProgramNameSmall");
  lbURL = new QLabel(WebSiteRoot(), this);
  lbURL->setObjectName("lbURL");
  QFont link = lbURL->font();
  link.setUnderline(true);
  lbURL->setFont(link);
  QPalette blue = lbURL->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  lbURL->setPalette(blue);
  lbURL->setCursor(Qt::PointingHandCursor);
  lbURL->installEventFilter(this);
  lbVersion = new QLabel(this);
  lbVersion->setObjectName("lbVersion");
  btOk = new QPushButton(N_("Ok"), this);
  btOk->setObjectName("btOk");
  btOk->setDefault(true);
  connect(btOk, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(imgLogo, 0, 0, 5, 1, Qt::AlignTop | Qt::AlignLeft);
  grid->addWidget(lbProgramName, 0, 1);
  grid->addWidget(lbProgramNameSmall, 1, 1);
  grid->addWidget(lbURL, 2, 1);
  grid->addWidget(lbVersion, 3, 1);
  grid->addWidget(btOk, 4, 1, Qt::AlignRight | Qt::AlignBottom);

  if (parent) move(parent->frameGeometry().center() - rect().center());

  // FormCreate.
  TranslateComponent(this);
  lbVersion->setText(QStringLiteral("V ") + QString::fromLatin1(kVersion));
}

void TfrmAbout::lbURLClick() {
  Dialogs().OpenUrl(WebSiteRoot());
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbURL && event->type() == QEvent::MouseButtonRelease) lbURLClick();
  return QDialog::eventFilter(watched, event);
}

}  // namespace lumvale
