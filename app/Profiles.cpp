// Named profiles of the output settings in the per-user settings file, the profile box and the
// Profiles menu, and the commands that save, update, create and delete profiles.
#include "DialogService.h"
#include "EditToInt.h"
#include "FileManagerLaunchers.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "SaveProfileDialog.h"
#include "SectionStore.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>

#include <QFile>

#include <algorithm>

namespace lumvale {

void TfrmMain::LoadProfile(const QString& name) {
  TSectionStore& p = *RegProfiles;
  edQuality->setText(QString::number(p.ReadInteger(name, "quality", 90)));
  tbQuality->setValue(EditToInt(edQuality->text()));
  cbWidth->setChecked(p.ReadBool(name, "cbmaxwidth", false));
  cbHeight->setChecked(p.ReadBool(name, "cbmaxheight", false));
  edWidth->setText(QString::number(p.ReadInteger(name, "maxwidth", 800)));
  edHeight->setText(QString::number(p.ReadInteger(name, "maxheight", 600)));
  edAddExt->setText(p.ReadString(name, "ext", Translate("small")));
  cbFilesize->setChecked(p.ReadBool(name, "cbfilesize", false));
  cbProgressive->setChecked(p.ReadBool(name, "cbprogressive", true));
  edFilesize->setText(QString::number(p.ReadInteger(name, "filesize", 100)));
  cbAutorotate->setChecked(p.ReadBool(name, "autorotate", true));
  cbKeepIcc->setChecked(p.ReadBool(name, "keepicc", true));
  cbKeepExif->setChecked(p.ReadBool(name, "keepexif", false));
  cbKeepGps->setChecked(p.ReadBool(name, "keepgps", false));
  cbSubfolders->setChecked(p.ReadBool(name, "subfolders", false));
  cbKeepDate->setChecked(p.ReadBool(name, "keepdate", false));
  cbSkipErrors->setChecked(p.ReadBool(name, "skiperrors", false));
  const bool chosenFolder = p.ReadInteger(name, "pathtype", 0) == 1;
  edOutputPath->setEnabled(chosenFolder);
  if (chosenFolder) edOutputPath->setText(p.ReadString(name, "defpath", QString()));
  UpdateControls();
}

void TfrmMain::SaveProfile(const QString& name) {
  CommitFocusedEdit();
  TSectionStore& p = *RegProfiles;
  p.WriteInteger(name, "quality", tbQuality->value());
  p.WriteBool(name, "cbmaxwidth", cbWidth->isChecked());
  p.WriteBool(name, "cbmaxheight", cbHeight->isChecked());
  p.WriteInteger(name, "maxwidth", EditToInt(edWidth->text()));
  p.WriteInteger(name, "maxheight", EditToInt(edHeight->text()));
  p.WriteString(name, "ext", edAddExt->text());
  p.WriteBool(name, "cbfilesize", cbFilesize->isChecked());
  p.WriteBool(name, "cbprogressive", cbProgressive->isChecked());
  p.WriteInteger(name, "filesize", EditToInt(edFilesize->text()));
  p.WriteBool(name, "autorotate", cbAutorotate->isChecked());
  p.WriteBool(name, "keepicc", cbKeepIcc->isChecked());
  p.WriteBool(name, "keepexif", cbKeepExif->isChecked());
  p.WriteBool(name, "keepgps", cbKeepGps->isChecked());
  p.WriteBool(name, "subfolders", cbSubfolders->isChecked());
  p.WriteBool(name, "keepdate", cbKeepDate->isChecked());
  p.WriteBool(name, "skiperrors", cbSkipErrors->isChecked());
  p.WriteInteger(name, "pathtype", edOutputPath->isEnabled() ? 1 : 0);
  // Next to the inputs, an older folder of the profile stays stored.
  if (edOutputPath->isEnabled()) p.WriteString(name, "defpath", edOutputPath->text());
  p.Commit();
}

void TfrmMain::SelectProfile(const QString& name) {
  ActiveProfile = name;
  for (int i = 0; i < cbProfile->count(); ++i) {
    if (cbProfile->itemText(i).compare(name, Qt::CaseInsensitive) == 0) {
      const QSignalBlocker quiet(cbProfile);
      cbProfile->setCurrentIndex(i);
      const QList<QAction*> entries = profileGroup_->actions();
      if (i < entries.size()) entries[i]->setChecked(true);
      return;
    }
  }
}

void TfrmMain::RefreshProfileList() {
  ProfileNames = RegProfiles->ReadSections();
  if (!ProfileNames.contains(QStringLiteral("default"), Qt::CaseInsensitive)) {
    ProfileNames << QStringLiteral("default");
  }
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(ProfileNames.begin(), ProfileNames.end(), collator);
  {
    const QSignalBlocker quiet(cbProfile);
    cbProfile->clear();
    cbProfile->addItems(ProfileNames);
    cbProfile->setCurrentIndex(-1);
  }
  for (QAction* entry : profileGroup_->actions()) {
    profileGroup_->removeAction(entry);
    delete entry;
  }
  for (int i = 0; i < ProfileNames.size(); ++i) {
    auto* entry = new QAction(ProfileNames[i], this);
    entry->setCheckable(true);
    entry->setChecked(ProfileNames[i] == ActiveProfile);
    entry->setData(i);
    profileGroup_->addAction(entry);
    miProfiles->insertAction(miProfileSperator, entry);
  }
}

void TfrmMain::cbProfileSelect() {
  const QString text = cbProfile->currentText();
  if (text == ActiveProfile) return;
  LoadProfile(text);
  SelectProfile(text);
}

void TfrmMain::ProfileMenuItemClick(QAction* entry) {
  entry->setChecked(true);
  SelectProfile(ProfileNames.value(entry->data().toInt()));
  LoadProfile(ActiveProfile);
}

void TfrmMain::btSaveProfileClick() {
  TfrmSaveProfile dialog(this);
  dialog.rgOverwrite->setText(Translate("Overwrite") + QStringLiteral(" \"") +
                              cbProfile->currentText() + u'"');
  if (Dialogs().Execute(dialog) != QDialog::Accepted) return;
  if (dialog.rgNew->isChecked()) {
    const QString name = dialog.edNewProfile->text();
    SaveProfile(name);
    RefreshProfileList();
    SelectProfile(name);
  } else {
    SelectProfile(cbProfile->currentText());
    SaveProfile(ActiveProfile);
  }
}

void TfrmMain::miUpdatecurrentprofileClick() {
  SaveProfile(ActiveProfile);
  RefreshProfileList();
  SelectProfile(ActiveProfile);
}

void TfrmMain::miSaveNewProfileClick() {
  QString name;
  if (!Dialogs().InputBox(Translate("New Profile"), Translate("Please enter the new profile name"),
                          name) ||
      name.isEmpty()) {
    return;
  }
  SelectProfile(name);
  SaveProfile(name);
  RefreshProfileList();
  SelectProfile(name);
}

void TfrmMain::miDeletecurrentprofileClick() {
  const QString question =
      Translate("Do you really want to delete the \"%s\" profile?").replace("%s", ActiveProfile);
  if (Dialogs().MessageBox(question, Translate("Delete profile"), TMessageIcon::none, mbYes | mbNo,
                           mbYes) != mbYes) {
    return;
  }
  RegProfiles->EraseSection(ActiveProfile);
  // Launchers of a deleted profile would start the program with the defaults.
  const QStringList launchers = LaunchersOf(ActiveProfile);
  if (!launchers.isEmpty() &&
      Dialogs().MessageBox(
          Translate("Remove the launchers of the profile \"%1\" too?").arg(ActiveProfile) + u'\n' +
              launchers.join(u'\n'),
          Translate("Delete profile"), TMessageIcon::question, mbYes | mbNo, mbYes) == mbYes) {
    for (const QString& path : launchers) QFile::remove(path);
  }
  RefreshProfileList();
  SelectProfile(QStringLiteral("default"));
  LoadProfile(ActiveProfile);
}

}  // namespace lumvale
