// Failures of the one place where output files are written, and of the output folder during a
// run: no partial file anywhere, an existing output unchanged, and the error reaches the user.
#include "FileBytes.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "MemoryStream.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "TestImages.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace lumvale;
using namespace lumvale::test;

namespace {

class FaultTest : public testing::Test {
 protected:
  FaultTest()
      : env_({{"LANG", "C"}}),
        l10n_(install_.Executable(), install_.Table()),
        w(dir.filePath("Lumvale.ini")) {
    QDir(dir.path()).mkpath("in");
    QDir(dir.path()).mkpath("out");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
      WriteFile(dir.filePath(QString("in/") + name), MakeJpeg({.width = 64, .height = 48}));
      w.AddInputFile(dir.filePath(QString("in/") + name));
    }
    w.edOutputPath->setEnabled(true);
    w.edOutputPath->setText(dir.filePath("out"));
    w.UpdateControls();
  }
  ~FaultTest() override { OutputFault = nullptr; }

  QStringList OutFiles() const {
    return QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden);
  }

  Installation install_;
  Environment env_;
  TLocalization l10n_;
  ScriptedDialogs dialogs;
  QTemporaryDir dir;
  TfrmMain w;
};

}  // namespace

TEST_F(FaultTest, AWriteFailingHalfWayOrAtTheRenameLeavesTheOldFile) {
  for (TOutputStage stage : {TOutputStage::afterHalf, TOutputStage::beforeRename}) {
    QFile::remove(dir.filePath("out/a_small.jpg"));
    WriteFile(dir.filePath("out/b_small.jpg"), {'o', 'l', 'd'});
    int writes = 0;
    OutputFault = [&](TOutputStage at) { return at == stage && ++writes >= 2; };  // the second file
    dialogs.boxes.clear();
    dialogs.answers = {mbYesToAll};
    w.btRun->click();
    QApplication::processEvents();
    EXPECT_EQ(Read(dir.filePath("out/b_small.jpg")), "old") << "an existing output is unchanged";
    EXPECT_EQ(OutFiles(), (QStringList{"a_small.jpg", "b_small.jpg"})) << "no partial file";
    ASSERT_FALSE(dialogs.boxes.empty());
    EXPECT_EQ(dialogs.boxes.back().caption, "Lumvale");
    EXPECT_TRUE(dialogs.boxes.back().text.contains("b_small.jpg")) << dialogs.boxes.back().text;
    EXPECT_EQ(w.LastBatch, TBatchOutcome::error);
  }
}

TEST_F(FaultTest, TheOutputFolderVanishingDuringTheRun) {
  QObject::connect(&w, &TfrmMain::StatusShown, [&](const QString& line) {
    if (line == "Loading image b.jpg") QDir(dir.filePath("out")).removeRecursively();
  });
  w.btRun->click();
  QApplication::processEvents();
  EXPECT_FALSE(QDir(dir.filePath("out")).exists());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_TRUE(dialogs.boxes[0].text.contains("b_small.jpg")) << dialogs.boxes[0].text;
  EXPECT_EQ(QDir(dir.filePath("in")).entryList(QDir::Files),
            (QStringList{"a.jpg", "b.jpg", "c.jpg"}))
      << "nothing stray beside the inputs";
}
