#include "GnuGettext.h"
#include "JobSettings.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "SaveProfileDialog.h"
#include "ScriptedDialogs.h"
#include "SectionStore.h"
#include "TestImages.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

using namespace lumvale;
using namespace lumvale::test;

namespace {

void WriteText(const QString& path, const QByteArray& text) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(text);
}

QStringList ProfileEntries(TfrmMain& w) {
  QStringList names;
  for (QAction* a : w.miProfiles->actions()) {
    if (a == w.miProfileSperator) break;
    names << a->text() + (a->isChecked() ? "*" : "");
  }
  return names;
}

class ProfilesTest : public testing::Test {
 protected:
  ProfilesTest() : env_({{"LANG", "C"}}), l10n_(install_.Executable(), install_.Table()) {}
  QString Ini() const { return dir.filePath("Lumvale.ini"); }
  QString Value(const QString& key) const {
    return QSettings(Ini(), QSettings::IniFormat).value(key).toString();
  }

  Installation install_;
  Environment env_;
  TLocalization l10n_;
  ScriptedDialogs dialogs;
  QTemporaryDir dir;
};

}  // namespace

TEST_F(ProfilesTest, FirstStartLoadsTheDefaults) {
  TfrmMain w(Ini());
  EXPECT_EQ(w.ActiveProfile, "default");
  EXPECT_EQ(w.ProfileNames, QStringList{"default"});
  EXPECT_EQ(w.cbProfile->currentText(), "default");
  EXPECT_EQ(ProfileEntries(w), QStringList{"default*"});
  EXPECT_EQ(w.tbQuality->value(), 90);
  EXPECT_EQ(w.edQuality->text(), "90");
  EXPECT_FALSE(w.cbWidth->isChecked());
  EXPECT_EQ(w.edWidth->text(), "800");
  EXPECT_FALSE(w.cbHeight->isChecked());
  EXPECT_EQ(w.edHeight->text(), "600");
  EXPECT_EQ(w.edAddExt->text(), "small");
  EXPECT_FALSE(w.cbFilesize->isChecked());
  EXPECT_EQ(w.edFilesize->text(), "100");
  EXPECT_TRUE(w.cbProgressive->isChecked());
  EXPECT_TRUE(w.cbAutorotate->isChecked());
  EXPECT_TRUE(w.cbKeepIcc->isChecked());
  EXPECT_FALSE(w.cbKeepExif->isChecked());
  EXPECT_FALSE(w.cbKeepGps->isChecked());
  EXPECT_FALSE(w.cbKeepGps->isEnabled()) << "the location belongs to the photo information";
  EXPECT_FALSE(w.cbSubfolders->isChecked());
  EXPECT_FALSE(w.cbKeepDate->isChecked());
  EXPECT_FALSE(w.cbSkipErrors->isChecked());
  EXPECT_FALSE(w.edOutputPath->isEnabled());
  EXPECT_EQ(w.edOutputPath->text(), "<same as input>");
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(ProfilesTest, APhotoSettingsProfileFromBeforeLoadsTheDefaults) {
  // A profile stored before the photo settings existed, and one that has them all switched.
  WriteText(Ini(),
            "[profiles]\nOld\\quality=70\nOld\\cbprogressive=0\n"
            "New\\autorotate=0\nNew\\keepicc=0\nNew\\keepexif=1\nNew\\keepgps=1\n");
  TfrmMain w(Ini());
  w.LoadProfile("New");
  EXPECT_FALSE(w.cbAutorotate->isChecked());
  EXPECT_FALSE(w.cbKeepIcc->isChecked());
  EXPECT_TRUE(w.cbKeepExif->isChecked());
  EXPECT_TRUE(w.cbKeepGps->isChecked());
  EXPECT_TRUE(w.cbKeepGps->isEnabled());
  TJobSettings job = w.ReadJobSettings();
  EXPECT_FALSE(job.turnUpright);
  EXPECT_FALSE(job.keepColourProfile);
  EXPECT_TRUE(job.keepInformation);
  EXPECT_TRUE(job.keepLocation);
  w.LoadProfile("Old");
  EXPECT_EQ(w.tbQuality->value(), 70);
  EXPECT_TRUE(w.cbAutorotate->isChecked());
  EXPECT_TRUE(w.cbKeepIcc->isChecked());
  EXPECT_FALSE(w.cbKeepExif->isChecked());
  EXPECT_FALSE(w.cbKeepGps->isChecked());
  job = w.ReadJobSettings();
  EXPECT_TRUE(job.turnUpright);
  EXPECT_TRUE(job.keepColourProfile);
  EXPECT_FALSE(job.keepInformation);
  EXPECT_FALSE(job.keepLocation);
  // The location alone, without the photo information, keeps nothing.
  w.cbKeepGps->setChecked(true);
  EXPECT_FALSE(w.ReadJobSettings().keepLocation);
}

TEST_F(ProfilesTest, SaveAndLoadEveryValue) {
  TfrmMain w(Ini());
  w.tbQuality->setValue(77);
  w.cbWidth->setChecked(true);
  w.edWidth->setText("abc");  // saved as 0
  w.cbHeight->setChecked(true);
  w.edHeight->setText("480");
  w.edAddExt->setText("web");
  w.cbFilesize->setChecked(true);
  w.edFilesize->setText("250");
  w.cbProgressive->setChecked(false);
  w.cbAutorotate->setChecked(false);
  w.cbKeepIcc->setChecked(false);
  w.cbKeepExif->setChecked(true);
  w.cbKeepGps->setChecked(true);
  w.cbSubfolders->setChecked(true);
  w.cbKeepDate->setChecked(true);
  w.cbSkipErrors->setChecked(true);
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText("/out");
  w.SaveProfile("Web");
  const char* expected[][2] = {{"quality", "77"},   {"cbmaxwidth", "1"},    {"cbmaxheight", "1"},
                               {"maxwidth", "0"},   {"maxheight", "480"},   {"ext", "web"},
                               {"cbfilesize", "1"}, {"cbprogressive", "0"}, {"filesize", "250"},
                               {"autorotate", "0"}, {"keepicc", "0"},       {"keepexif", "1"},
                               {"keepgps", "1"},    {"subfolders", "1"},    {"keepdate", "1"},
                               {"skiperrors", "1"}, {"pathtype", "1"},      {"defpath", "/out"}};
  for (const auto& e : expected) EXPECT_EQ(Value(QString("profiles/Web/") + e[0]), e[1]) << e[0];

  // Next to the inputs: pathtype 0, the older folder stays stored and is ignored on loading.
  w.edOutputPath->setEnabled(false);
  w.SaveProfile("Web");
  EXPECT_EQ(Value("profiles/Web/pathtype"), "0");
  EXPECT_EQ(Value("profiles/Web/defpath"), "/out");

  w.LoadProfile("default");
  EXPECT_EQ(w.tbQuality->value(), 90);
  w.LoadProfile("WEB");  // names that differ in case address one profile
  EXPECT_EQ(w.tbQuality->value(), 77);
  EXPECT_EQ(w.edWidth->text(), "0");
  EXPECT_EQ(w.edHeight->text(), "480");
  EXPECT_EQ(w.edAddExt->text(), "web");
  EXPECT_FALSE(w.cbProgressive->isChecked());
  EXPECT_FALSE(w.cbAutorotate->isChecked());
  EXPECT_FALSE(w.cbKeepIcc->isChecked());
  EXPECT_TRUE(w.cbKeepExif->isChecked());
  EXPECT_TRUE(w.cbKeepGps->isChecked());
  EXPECT_TRUE(w.cbSubfolders->isChecked());
  EXPECT_TRUE(w.cbKeepDate->isChecked());
  EXPECT_TRUE(w.cbSkipErrors->isChecked());
  EXPECT_FALSE(w.edOutputPath->isEnabled());

  // pathtype 1 without a folder: an enabled, empty edit.
  QSettings(Ini(), QSettings::IniFormat).setValue("profiles/Bare/pathtype", "1");
  w.LoadProfile("Bare");
  EXPECT_TRUE(w.edOutputPath->isEnabled());
  EXPECT_EQ(w.edOutputPath->text(), "");
}

TEST_F(ProfilesTest, ListMenuSelectionAndDeletion) {
  WriteText(Ini(), "[profiles]\nweb\\quality=50\nAlbum\\quality=60\nzoo\\quality=70\n");
  TfrmMain w(Ini());
  EXPECT_EQ(w.ProfileNames, (QStringList{"Album", "default", "web", "zoo"}))
      << "sorted ignoring case";
  EXPECT_EQ(ProfileEntries(w), (QStringList{"Album", "default*", "web", "zoo"}));

  // Picking in the box loads and selects; the menu follows.
  w.cbProfile->setCurrentIndex(2);
  emit w.cbProfile->activated(2);
  EXPECT_EQ(w.ActiveProfile, "web");
  EXPECT_EQ(w.tbQuality->value(), 50);
  EXPECT_EQ(ProfileEntries(w), (QStringList{"Album", "default", "web*", "zoo"}));
  // Picking in the menu.
  w.miProfiles->actions()[3]->trigger();
  EXPECT_EQ(w.ActiveProfile, "zoo");
  EXPECT_EQ(w.cbProfile->currentText(), "zoo");
  EXPECT_EQ(w.tbQuality->value(), 70);

  // A name without a stored section: the defaults; box and menu keep what they showed.
  w.SelectProfile("Missing");
  w.LoadProfile(w.ActiveProfile);
  EXPECT_EQ(w.tbQuality->value(), 90);
  EXPECT_EQ(w.cbProfile->currentText(), "zoo");

  // Deleting asks, then falls back to "default"; deleting "default" resets it.
  w.SelectProfile("zoo");
  dialogs.answers = {mbNo, mbYes};
  w.miDeletecurrentprofileClick();
  EXPECT_EQ(w.ProfileNames.size(), 4);
  w.miDeletecurrentprofileClick();
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].text, "Do you really want to delete the \"zoo\" profile?");
  EXPECT_EQ(dialogs.boxes[1].caption, "Delete profile");
  EXPECT_EQ(w.ProfileNames, (QStringList{"Album", "default", "web"}));
  EXPECT_EQ(w.ActiveProfile, "default");
  EXPECT_EQ(w.cbProfile->currentText(), "default");
}

TEST_F(ProfilesTest, SavingCommands) {
  TfrmMain w(Ini());
  // "Save as new profile" through the input box.
  dialogs.inputs = {"Holiday"};
  w.tbQuality->setValue(66);
  w.miSaveNewProfileClick();
  EXPECT_EQ(w.ActiveProfile, "Holiday");
  EXPECT_EQ(w.cbProfile->currentText(), "Holiday");
  EXPECT_EQ(Value("profiles/Holiday/quality"), "66");
  dialogs.inputs = {""};
  w.miSaveNewProfileClick();
  EXPECT_EQ(w.ProfileNames.size(), 2) << "an empty answer ends silently";

  // "Update current profile".
  w.tbQuality->setValue(44);
  w.miUpdatecurrentprofileClick();
  EXPECT_EQ(Value("profiles/Holiday/quality"), "44");
  EXPECT_EQ(w.cbProfile->currentText(), "Holiday");

  // "Save settings": an empty new name is refused, then a name is typed.
  dialogs.dialogScript = [&](QDialog& d) {
    auto& save = static_cast<TfrmSaveProfile&>(d);
    EXPECT_EQ(save.windowTitle(), "Save Profile");
    EXPECT_EQ(save.rgOverwrite->text(), "Overwrite \"Holiday\"");
    save.rgNew->setChecked(true);
    save.btOkClick();
    EXPECT_FALSE(save.result() == QDialog::Accepted);
    QTest::keyClicks(save.edNewProfile, "Portrait");
    save.btOkClick();
    return save.result();
  };
  w.tbQuality->setValue(33);
  w.btSaveProfileClick();
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes.back().text, "Please enter a name for the new profile!");
  EXPECT_EQ(w.ActiveProfile, "Portrait");
  EXPECT_EQ(Value("profiles/Portrait/quality"), "33");
  // The overwrite branch saves into the profile shown in the box.
  dialogs.dialogScript = [&](QDialog& d) {
    d.accept();
    return int(QDialog::Accepted);
  };
  w.tbQuality->setValue(22);
  w.btSaveProfileClick();
  EXPECT_EQ(Value("profiles/Portrait/quality"), "22");
}

TEST_F(ProfilesTest, WindowSizeAndProfileAtClose) {
  {
    TfrmMain w(Ini());
    w.SelectProfile("Web");
    w.resize(750, 600);
    w.close();
  }
  EXPECT_EQ(Value("settings/activeProfile"), "Web");
  EXPECT_EQ(Value("settings/fullscreen"), "0");
  EXPECT_EQ(Value("settings/clientwidth"), "750");
  EXPECT_EQ(Value("settings/clienthight"), "600");
  {
    TfrmMain w(Ini());
    EXPECT_EQ(w.size(), QSize(750, 600));
    EXPECT_EQ(w.ActiveProfile, "default") << "the stored active profile is not read back";
  }
  // Sizes that would not fit the screen are kept on it.
  QSettings(Ini(), QSettings::IniFormat).setValue("settings/clientwidth", "100000");
  QSettings(Ini(), QSettings::IniFormat).setValue("settings/clienthight", "-5");
  {
    TfrmMain w(Ini());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(w.width(), screen.width());
    EXPECT_GE(w.height(), w.minimumSizeHint().height());
  }
  QSettings(Ini(), QSettings::IniFormat).setValue("settings/fullscreen", "1");
  {
    TfrmMain w(Ini());
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
  }
}

TEST_F(ProfilesTest, ADamagedSettingsFileIsKeptAndReported) {
  WriteText(Ini(), "[settings\nlanguage=\x01\x02\n[[[\n");
  TfrmMain w(Ini());
  EXPECT_EQ(w.ActiveProfile, "default");
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_TRUE(dialogs.boxes[0].text.contains("damaged")) << dialogs.boxes[0].text;
  EXPECT_TRUE(QFileInfo::exists(Ini() + ".damaged"));
}

TEST_F(ProfilesTest, ANonStringValueIsReported) {
  WriteText(Ini(), "[profiles]\ndefault\\quality=1, 2\n");
  TfrmMain w(Ini());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, QString::fromUtf8("Ungültiger Datentyp für 'quality'"));
  EXPECT_EQ(dialogs.boxes[0].caption, "Lumvale");
}
