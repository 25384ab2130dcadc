// The settings column of the main window: the quality edit coupled with its track bar, the
// corrections made when an edit is left, and UpdateControls, the one refresh of enabling rules,
// captions and the example of the output name.
#include "DialogService.h"
#include "EditToInt.h"
#include "GnuGettext.h"
#include "MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <cstdlib>

namespace lumvale {

void TfrmMain::ConnectSettings() {
  connect(edQuality, &QLineEdit::textChanged, this, &TfrmMain::edQualityChange);
  connect(tbQuality, &QSlider::valueChanged, this, &TfrmMain::tbQualityChange);
  for (QLineEdit* edit : {edQuality, edWidth, edHeight, edFilesize, edAddExt}) {
    edit->installEventFilter(this);
  }
  for (QCheckBox* box : {cbFilesize, cbWidth, cbHeight, cbKeepExif}) {
    connect(box, &QCheckBox::toggled, this, &TfrmMain::cbFilesizeClick);
  }
  for (QAbstractButton* button :
       std::initializer_list<QAbstractButton*>{cbAddExtension, rgPrefix, rgSufix}) {
    connect(button, &QAbstractButton::toggled, this, &TfrmMain::edUpdate);
  }
  connect(edAddExt, &QLineEdit::textChanged, this, &TfrmMain::edUpdate);
  connect(liFiles, &QListWidget::itemSelectionChanged, this, &TfrmMain::UpdateControls);
  tbQuality->setValue(EditToInt(edQuality->text()));
}

void TfrmMain::edQualityChange() {
  tbQuality->setValue(EditToInt(edQuality->text()));
}

void TfrmMain::tbQualityChange() {
  // While the user types in the edit, the edit is not rewritten.
  if (!edQuality->hasFocus()) {
    edQuality->setText(QString::number(std::max(tbQuality->value(), 1)));
  }
}

void TfrmMain::edQualityExit() {
  tbQuality->setValue(std::clamp(EditToInt(edQuality->text()), 1, 100));
  edQuality->setText(QString::number(tbQuality->value()));
}

void TfrmMain::edDimExit(QLineEdit* edit) {
  // The absolute value of the smallest 32-bit number does not fit; it stands for 0 like any
  // other number out of range.
  const int32_t read = EditToInt(edit->text());
  const int32_t v = read == INT32_MIN ? 0 : std::abs(read);
  edit->setText(QString::number(v));
  if (v == 0 && edit == edWidth) cbWidth->setChecked(false);
  if (v == 0 && edit == edHeight) cbHeight->setChecked(false);
}

void TfrmMain::edAddExtExit() {
  if (edAddExt->text().isEmpty()) {
    Dialogs().MessageBox(Translate("Empty string is not allowed!"), QApplication::applicationName(),
                         TMessageIcon::none, mbOK, mbOK);
    edAddExt->setText(Translate("small"));
  }
  UpdateControls();
}

void TfrmMain::cbFilesizeClick() {
  UpdateControls();
}

void TfrmMain::edUpdate() {
  UpdateControls();
}

void TfrmMain::UpdateControls() {
  edWidth->setEnabled(cbWidth->isChecked());
  lbWidthPx->setEnabled(edWidth->isEnabled());
  edHeight->setEnabled(cbHeight->isChecked());
  lbHeightPx->setEnabled(edHeight->isEnabled());
  edFilesize->setEnabled(cbFilesize->isChecked());
  lbFileSizeKB->setEnabled(edFilesize->isEnabled());

  const int count = liFiles->count();
  btRun->setEnabled(count > 0);
  const int selected = int(liFiles->selectedItems().size());
  btClear->setText(selected > 0 && selected < count ? Translate("Remove selected")
                                                    : Translate("Remove all"));
  btClear->setEnabled(count > 0);

  if (edOutputPath->isEnabled()) {
    cbAddExtension->setEnabled(true);
  } else {
    cbAddExtension->setChecked(true);
    cbAddExtension->setEnabled(false);
    edOutputPath->setText(Translate("<same as input>"));
  }

  cbKeepGps->setEnabled(cbKeepExif->isChecked());

  const bool adding = cbAddExtension->isChecked();
  rgSufix->setEnabled(adding);
  rgPrefix->setEnabled(adding);
  edAddExt->setEnabled(adding);

  const QString sample = Translate("DCSF1234");
  if (!adding) {
    lbPrefixExample->setText(Translate("Example: ") + sample + QStringLiteral(".jpg"));
  } else if (rgSufix->isChecked()) {
    lbPrefixExample->setText(Translate("Example:") + u' ' + sample + u'_' + edAddExt->text() +
                             QStringLiteral(".jpg"));
  } else {
    lbPrefixExample->setText(Translate("Example:") + u' ' + edAddExt->text() + u'_' + sample +
                             QStringLiteral(".jpg"));
  }
}

}  // namespace lumvale
