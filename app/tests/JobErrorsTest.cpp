// What a user reads when a job fails: the message box names the photo, keeps the error that
// ended the job, and speaks the user's language, from the program's own catalogues.
#include "BuiltCatalogues.h"
#include "GnuGettext.h"
#include "Job.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "StatusWindow.h"
#include "TestImages.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <optional>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// The program's catalogues embedded as the build made them; each test picks its language.
class JobErrors : public testing::Test {
 protected:
  JobErrors() : install_(BuiltMessages("de"), BuiltMessages("it")) {
    QDir(dir.path()).mkpath("in");
    QDir(dir.path()).mkpath("out");
  }

  void Start(const char* lang) {
    env_.emplace(std::initializer_list<std::pair<const char*, const char*>>{{"LANG", lang}});
    l10n_.emplace(install_.Executable(), install_.Table());
  }

  QString In(const QString& name) const { return dir.filePath("in/" + name); }
  QString Out(const QString& name) const { return dir.filePath("out/" + name); }
  QString Photo(const QString& name) const {
    WriteFile(In(name), MakeJpeg({.width = 64, .height = 48}));
    return In(name);
  }

  // The run of the main window over the files, either from "Run" or as the command line
  // hands them over; the message boxes it showed.
  std::vector<ScriptedDialogs::Box> RunBatch(const QStringList& files, bool commandLine,
                                             const QString& outputFolder = {}) {
    ScriptedDialogs dialogs;
    TfrmMain w(dir.filePath("Lumvale.ini"));
    if (commandLine) {
      w.Arguments = files;
      w.TimerTimer();
    } else {
      for (const QString& f : files) w.AddInputFile(f);
      if (!outputFolder.isEmpty()) {
        w.edOutputPath->setEnabled(true);
        w.edOutputPath->setText(outputFolder);
      }
      w.UpdateControls();
      w.btRun->click();
      QApplication::processEvents();
    }
    EXPECT_EQ(w.LastBatch, TBatchOutcome::error);
    return dialogs.boxes;
  }

  Installation install_;
  std::optional<Environment> env_;
  std::optional<TLocalization> l10n_;
  QTemporaryDir dir;
};

}  // namespace

TEST_F(JobErrors, TheBoxNamesThePhotoAndKeepsTheError) {
  const struct {
    const char* lang;
    const char* before;  // the frame up to the photo's path
    const char* after;   // the frame from the path to the original message
  } cases[] = {
      {"C", "Error while processing \"", "\":\r\n"},
      {"de_DE.UTF-8", "Fehler bei der Verarbeitung von „", "“:\r\n"},
      {"it_IT.UTF-8", "Errore durante l'elaborazione di «", "»:\r\n"},
  };
  WriteBytes(In("broken.jpg"), "not a jpeg");
  Photo("later.jpg");
  for (const auto& c : cases) {
    Start(c.lang);
    for (bool commandLine : {false, true}) {
      SCOPED_TRACE(std::string(c.lang) + (commandLine ? " command line" : " Run"));
      const auto boxes = RunBatch({In("broken.jpg"), In("later.jpg")}, commandLine);
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].caption, "Lumvale");
      const QString frame = QString::fromUtf8(c.before) + In("broken.jpg") + c.after;
      EXPECT_TRUE(boxes[0].text.startsWith(frame)) << boxes[0].text;
      // libjpeg's own message stands as the imaging layer words it.
      EXPECT_TRUE(boxes[0].text.mid(frame.size()).startsWith("JPEG-Fehler #")) << boxes[0].text;
      EXPECT_EQ(QDir(In("")).entryList(QDir::Files), (QStringList{"broken.jpg", "later.jpg"}))
          << "the error ends the run";
    }
    l10n_.reset();
  }
}

TEST_F(JobErrors, TheErrorBehindKeepsItsKind) {
  Start("C");
  ScriptedDialogs dialogs;
  TfrmMain w(dir.filePath("Lumvale.ini"));
  const QString photo = Photo("a.jpg");
  frmImagePopup = new TfrmImagePopup(w);
  w.InitProgress(1);
  try {
    w.ProcessImage(photo, dir.filePath("no/such/folder"));
    ADD_FAILURE() << "a missing output folder must fail";
  } catch (const EJobError& e) {
    EXPECT_EQ(e.InputPath(), photo);
    EXPECT_THROW(e.rethrow_nested(), EFileError);
  }
  EXPECT_EQ(frmImagePopup->pg->value(), 3) << "three steps on the error's path too";
  delete frmImagePopup;
  frmImagePopup = nullptr;
}

TEST_F(JobErrors, TheJobsOwnMessagesAreTranslated) {
  // The default addition to the names is translated too.
  const struct {
    const char* lang;
    const char* output;
  } languages[] = {
      {"C", "a_small.jpg"}, {"de_DE.UTF-8", "a_klein.jpg"}, {"it_IT.UTF-8", "a_piccola.jpg"}};
  const struct {
    const char* what;
    std::function<QString(const QString&)> setUp;  // output path -> the input file
    const char* messages[3];  // in the languages' order; %1 the photo, %2 the output
  } cases[] = {
      {"an empty picture",
       [&](const QString&) {
         WriteBytes(In("empty.jpg"), QByteArray());
         return In("empty.jpg");
       },
       {"The picture file \"%1\" is empty.", "Die Bilddatei „%1“ ist leer.",
        "Il file immagine «%1» è vuoto."}},
      {"a missing output folder",
       [&](const QString&) {
         QDir(Out("")).removeRecursively();
         return Photo("a.jpg");
       },
       {"Cannot create file \"%2\". ", "Die Datei „%2“ kann nicht angelegt werden. ",
        "Impossibile creare il file «%2». "}},
      {"a folder where the output goes",
       [&](const QString& output) {
         QDir().mkpath(output);
         return Photo("a.jpg");
       },
       {"Cannot write file \"%2\": a folder of that name exists.",
        "Die Datei „%2“ kann nicht geschrieben werden: Es gibt schon einen Ordner dieses Namens.",
        "Impossibile scrivere il file «%2»: esiste già una cartella con questo nome."}},
  };
  for (size_t l = 0; l < std::size(languages); ++l) {
    Start(languages[l].lang);
    const QString output = Out(languages[l].output);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(languages[l].lang) + ": " + c.what);
      QDir(Out("")).removeRecursively();
      QDir().mkpath(Out(""));
      const QString input = c.setUp(output);
      const QString message =
          QString::fromUtf8(c.messages[l]).replace("%1", input).replace("%2", output);
      const auto boxes = RunBatch({input}, false, Out(""));
      ASSERT_EQ(boxes.size(), 1u) << "no question, only the error";
      EXPECT_TRUE(boxes[0].text.contains(message)) << boxes[0].text;
      EXPECT_TRUE(boxes[0].text.contains(input)) << "the photo is named";
    }
    l10n_.reset();
  }
}

TEST_F(JobErrors, AFolderWhereTheOutputGoesIsReportedNotAskedAbout) {
  Start("C");
  Photo("a.jpg");
  Photo("b.jpg");
  QDir().mkpath(Out("a_small.jpg"));
  WriteBytes(Out("a_small.jpg/inside.txt"), "kept");
  const auto boxes = RunBatch({In("a.jpg"), In("b.jpg")}, false, Out(""));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Lumvale");
  EXPECT_EQ(boxes[0].buttons, unsigned(mbOK)) << "an error, not the overwrite question";
  EXPECT_EQ(boxes[0].text, "Error while processing \"" + In("a.jpg") +
                               "\":\r\nCannot write file \"" + Out("a_small.jpg") +
                               "\": a folder of that name exists.");
  EXPECT_TRUE(QFileInfo(Out("a_small.jpg")).isDir());
  EXPECT_TRUE(QFileInfo::exists(Out("a_small.jpg/inside.txt"))) << "the folder is left alone";
  EXPECT_FALSE(QFileInfo::exists(Out("b_small.jpg"))) << "the error ends the run";
}

TEST_F(JobErrors, ADamagedSettingsFileIsReportedInTheUsersLanguage) {
  const struct {
    const char* lang;
    const char* message;
  } cases[] = {
      {"C",
       "The settings file %1 is damaged; Lumvale starts with default settings. The damaged file "
       "is kept as %1.damaged."},
      {"de_DE.UTF-8",
       "Die Einstellungsdatei %1 ist beschädigt; Lumvale startet mit den Standardeinstellungen. "
       "Die beschädigte Datei bleibt als %1.damaged erhalten."},
      {"it_IT.UTF-8",
       "Il file delle impostazioni %1 è danneggiato; Lumvale si avvia con le impostazioni "
       "predefinite. Il file danneggiato viene conservato come %1.damaged."},
  };
  const QString ini = dir.filePath("Lumvale.ini");
  for (const auto& c : cases) {
    Start(c.lang);
    WriteBytes(ini, "[settings\nlanguage=\x01\x02\n[[[\n");
    ScriptedDialogs dialogs;
    { TfrmMain w(ini); }
    ASSERT_EQ(dialogs.boxes.size(), 1u) << c.lang;
    EXPECT_EQ(dialogs.boxes[0].text, QString::fromUtf8(c.message).arg(ini)) << c.lang;
    l10n_.reset();
  }
}
