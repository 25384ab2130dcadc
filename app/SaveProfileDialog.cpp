#include "SaveProfileDialog.h"

#include "DialogService.h"
#include "GnuGettext.h"
#include "TextMarker.h"
#include "WindowTranslation.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace lumvale {

TfrmSaveProfile::TfrmSaveProfile(QWidget* parent) : QDialog(parent) {
  setObjectName("frmSaveProfile");
  setWindowTitle(N_("Save Profile"));
  rgOverwrite = new QRadioButton(this);
  rgOverwrite->setObjectName("rgOverwrite");
  rgOverwrite->setChecked(true);
  rgNew = new QRadioButton(N_("Save as"), this);
  rgNew->setObjectName("rgNew");
  edNewProfile = new QLineEdit(this);
  edNewProfile->setObjectName("edNewProfile");
  edNewProfile->installEventFilter(this);
  btOk = new QPushButton(N_("Ok"), this);
  btOk->setObjectName("btOk");
  btOk->setDefault(true);
  btCancel = new QPushButton(N_("Cancel"), this);
  btCancel->setObjectName("btCancel");

  auto* grid = new QGridLayout(this);
  grid->addWidget(rgOverwrite, 0, 0, 1, 2);
  grid->addWidget(rgNew, 1, 0);
  grid->addWidget(edNewProfile, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btOk);
  buttons->addWidget(btCancel);
  grid->addLayout(buttons, 2, 0, 1, 2);

  connect(btOk, &QPushButton::clicked, this, &TfrmSaveProfile::btOkClick);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
  TranslateComponent(this);
}

void TfrmSaveProfile::btOkClick() {
  if (rgNew->isChecked() && edNewProfile->text().isEmpty()) {
    Dialogs().MessageBox(Translate("Please enter a name for the new profile!"),
                         QApplication::applicationName(), TMessageIcon::none, mbOK, mbOK);
    edNewProfile->setFocus();
    return;
  }
  accept();
}

bool TfrmSaveProfile::eventFilter(QObject* watched, QEvent* event) {
  // Typing a name chooses "Save as".
  if (watched == edNewProfile && event->type() == QEvent::KeyPress) rgNew->setChecked(true);
  return QDialog::eventFilter(watched, event);
}

}  // namespace lumvale
