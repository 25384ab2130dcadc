#include "BatchFixture.h"
#include "Dialogs.h"
#include "FileBytes.h"
#include "JpegImage.h"
#include "QtPrinters.h"
#include "StatusWindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

using namespace lumvale;
using namespace lumvale::test;

TEST_F(BatchTest, JobScalesEncodesAndWritesOnce) {
  const QString in = Photo("IMG_01.JPG", 1000, 750);
  w.cbWidth->setChecked(true);
  w.cbHeight->setChecked(true);
  Job(in);
  const QString out = dir.filePath("IMG_01_small.jpg");
  ASSERT_TRUE(QFileInfo::exists(out));
  EXPECT_EQ(JpegSize(out), QSize(800, 600));
  EXPECT_EQ(steps, 3);
  const std::vector<QString> expected = {"Loading image IMG_01.JPG", "Imagesize (1000 x 750)",
                                         "Resize to (800 x 600)"};
  ASSERT_GE(status.size(), 5u);
  EXPECT_EQ(std::vector<QString>(status.begin(), status.begin() + 3), expected);
  EXPECT_TRUE(status[3].startsWith("Quality: 90 size: ")) << status[3];
  EXPECT_EQ(status[4], "Saving image IMG_01_small.jpg");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";

  // A picture within the limits is copied and encoded again, never copied byte for byte.
  const QString small = Photo("small.jpg", 640, 480);
  w.rgPrefix->setChecked(true);
  Job(small);
  const QString smallOut = dir.filePath("small_small.jpg");
  EXPECT_EQ(JpegSize(smallOut), QSize(640, 480));
  EXPECT_NE(Read(smallOut), Read(small));
}

TEST_F(BatchTest, JobLowersTheQualityUntilTheFileFits) {
  const QString in = Photo("big.jpg", 400, 300);
  w.cbFilesize->setChecked(true);
  w.edFilesize->setText("3");
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText(dir.filePath("out"));
  QDir(dir.path()).mkdir("out");
  w.cbAddExtension->setChecked(false);
  w.UpdateControls();
  Job(in);
  const QString out = dir.filePath("out/big.jpg");
  ASSERT_TRUE(QFileInfo::exists(out));
  std::vector<QString> passes;
  for (const QString& line : status) {
    if (line.startsWith("Reduce file size")) passes.push_back(line);
  }
  ASSERT_FALSE(passes.empty());
  EXPECT_TRUE(passes[0].startsWith("Reduce file size (quality:90/0 size:")) << passes[0];
  const QString last = status[status.size() - 2];
  ASSERT_TRUE(last.startsWith("Quality: "));
  const int q = last.section(' ', 1, 1).toInt();
  EXPECT_TRUE(QFileInfo(out).size() <= 3 * 1024 || q <= 5) << last;
  EXPECT_EQ(QFileInfo(out).size(), last.section(' ', 3, 3).toLongLong());
}

TEST_F(BatchTest, JobPathsThatWriteNothing) {
  // A missing input: one line, three steps.
  Job(dir.filePath("absent.jpg"));
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(status.back(), "File not found " + dir.filePath("absent.jpg"));

  // An empty input is an error of the job; nothing is written.
  Write(dir.filePath("empty.jpg"), {});
  EXPECT_THROW(Job(dir.filePath("empty.jpg")), Exception);
  EXPECT_EQ(steps, 3);
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("empty_small.jpg")));

  // A missing output folder: the error names the file; no partial file anywhere.
  const QString in = Photo("a.jpg");
  try {
    Job(in, dir.filePath("no/such/folder"));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_TRUE(e.Message().contains("a_small.jpg")) << e.Message();
  }
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"a.jpg", "empty.jpg"}));
}

TEST_F(BatchTest, OverwriteAnswersAcrossRuns) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
    Photo(name);
    Write(dir.filePath(QString(name).replace(".jpg", "_small.jpg")), "old");
    w.AddInputFile(dir.filePath(name));
  }
  w.UpdateControls();
  dialogs.answers = {mbNo, mbYes, mbNo};
  Run();
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_EQ(dialogs.boxes[0].caption, "Confirm");
  EXPECT_EQ(dialogs.boxes[0].text, "The file '" + dir.filePath("a_small.jpg") +
                                       "' already exists!\r\nShould I overwrite the current file "
                                       "with the new file?");
  EXPECT_EQ(dialogs.boxes[0].buttons, unsigned(mbYes | mbNo | mbCancel | mbNoToAll | mbYesToAll));
  EXPECT_EQ(dialogs.boxes[0].defaultButton, mbYes);
  EXPECT_EQ(Read(dir.filePath("a_small.jpg")), "old");
  EXPECT_NE(Read(dir.filePath("b_small.jpg")), "old");
  EXPECT_EQ(Read(dir.filePath("c_small.jpg")), "old");

  // Yes to All answers the rest of the run; the next run asks again.
  dialogs.boxes.clear();
  dialogs.answers = {mbYesToAll};
  Run();
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(Read(dir.filePath("a_small.jpg")), "old");
  EXPECT_NE(Read(dir.filePath("c_small.jpg")), "old");
  for (const char* name : {"a_small.jpg", "b_small.jpg", "c_small.jpg"})
    Write(dir.filePath(name), "old");
  dialogs.boxes.clear();
  dialogs.answers = {mbNoToAll};
  Run();
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  for (const char* name : {"a_small.jpg", "b_small.jpg", "c_small.jpg"}) {
    EXPECT_EQ(Read(dir.filePath(name)), "old") << name;
  }

  // Cancel skips the file and ends the run before the next one; the progress still counts it.
  dialogs.boxes.clear();
  dialogs.answers = {mbNo, mbCancel};
  w.liFiles->item(0)->setSelected(true);
  int lastValue = -1;
  onStatus = [&](const QString& line) {
    if (line == "Done") lastValue = frmImagePopup->pg->value();
  };
  Run();
  EXPECT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(lastValue, 6) << "two files, three steps each";
  EXPECT_TRUE(w.liFiles->item(0)->isSelected()) << "a cancelled run keeps the selection";
  EXPECT_EQ(w.btRun->text(), "Run");
}

TEST_F(BatchTest, RunExpandsTheListAndCleansUp) {
  QDir(dir.path()).mkpath("photos/sub");
  Photo("photos/one.jpg");
  Photo("photos/TWO.JPG");
  Photo("photos/.hidden.jpg");
  Photo("photos/sub/deep.jpg");
  Write(dir.filePath("photos/notes.txt"), "x");
  w.AddInputFolder(dir.filePath("photos"));
  w.AddInputFile(dir.filePath("photos/one.jpg"));  // listed alone too: processed twice
  w.AddInputFile(dir.filePath("gone.jpg"));
  QStringList files;
  for (const TRunFile& f : w.ExpandInputList()) files << f.path;
  EXPECT_EQ(files.size(), 3);
  EXPECT_TRUE(files.contains(dir.filePath("photos/TWO.JPG")));
  EXPECT_EQ(files.count(dir.filePath("photos/one.jpg")), 2);

  w.UpdateControls();
  w.liFiles->item(1)->setSelected(true);
  QString counter, runCaption;
  onStatus = [&](const QString& line) {
    if (line.startsWith("Loading image")) runCaption = w.btRun->text();
    if (line == "Done") counter = frmImagePopup->lbPG->text();
  };
  dialogs.answers = {mbYesToAll};
  Run();
  EXPECT_EQ(counter, "3/3");
  EXPECT_EQ(runCaption, "Cancel") << "Run reads Cancel during a run";
  EXPECT_EQ(w.btRun->text(), "Run");
  EXPECT_FALSE(w.Running);
  EXPECT_EQ(frmImagePopup, nullptr);
  EXPECT_TRUE(w.liFiles->selectedItems().isEmpty()) << "a finished run clears the selection";
  EXPECT_EQ(w.liFiles->count(), 3);
  EXPECT_TRUE(w.btOpen->isEnabled());
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("photos/sub/deep_small.jpg")));
}

TEST_F(BatchTest, CancelDuringTheSecondFileOfFive) {
  for (int i = 1; i <= 5; ++i) w.AddInputFile(Photo(QStringLiteral("p%1.jpg").arg(i)));
  w.UpdateControls();
  onStatus = [&](const QString& line) {
    if (line == "Loading image p2.jpg") w.btRun->click();  // "Cancel" during the run
  };
  Run();
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("p2_small.jpg"))) << "the current file is finished";
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("p3_small.jpg")));
  EXPECT_EQ(w.btRun->text(), "Run");
}

TEST_F(BatchTest, RunClickedDuringTheCleanUpStartsNothing) {
  w.AddInputFile(Photo("a.jpg"));
  w.UpdateControls();
  int doneLines = 0;
  onStatus = [&](const QString& line) {
    // "Done" pumps the queue: a click arriving there is handled inside the clean-up.
    if (line == "Done" && ++doneLines == 1) {
      QTest::mouseClick(w.btRun, Qt::LeftButton);
      w.btRun->click();
    }
  };
  Run();
  EXPECT_EQ(doneLines, 1) << "no second batch ran inside the first";
  EXPECT_EQ(frmImagePopup, nullptr);
  EXPECT_FALSE(w.Running);
  EXPECT_FALSE(w.CleaningUp);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The next run starts as usual.
  onStatus = nullptr;
  status.clear();
  dialogs.answers = {mbYes};
  Run();
  EXPECT_NE(std::find(status.begin(), status.end(), "Done"), status.end());
  EXPECT_EQ(frmImagePopup, nullptr);
}

TEST_F(BatchTest, MissingValuesAndErrors) {
  w.AddInputFile(Photo("a.jpg"));
  w.UpdateControls();
  w.cbWidth->setChecked(true);
  w.edWidth->setText("0");
  w.cbHeight->setChecked(true);
  w.edHeight->setText("0");
  dialogs.answers = {mbNo};
  Run();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].caption, "Missing Values");
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("a_small.jpg")));
  dialogs.answers = {mbYes};
  Run();
  EXPECT_EQ(dialogs.boxes.size(), 2u) << "one question for both limits";
  EXPECT_EQ(JpegSize(dir.filePath("a_small.jpg")), QSize(64, 48)) << "no limit applies";

  // An error of a job ends the run after its clean-up and reaches the error display.
  w.cbWidth->setChecked(false);
  w.cbHeight->setChecked(false);
  Write(dir.filePath("broken.jpg"), "not a jpeg");
  w.liFiles->clear();
  w.AddInputFile(dir.filePath("broken.jpg"));
  w.AddInputFile(Photo("later.jpg"));
  w.UpdateControls();
  dialogs.boxes.clear();
  Run();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].caption, "Lumvale");
  EXPECT_TRUE(dialogs.boxes[0].text.startsWith("Error while processing \"" +
                                               dir.filePath("broken.jpg") + "\":\r\nJPEG-Fehler #"))
      << dialogs.boxes[0].text;
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("later_small.jpg")));
  EXPECT_EQ(frmImagePopup, nullptr);
  EXPECT_EQ(w.btRun->text(), "Run");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BatchTest, InputListAndOutputFolder) {
  // Paths compare with regard to case, as the file system does; a folder given twice (with or
  // without its trailing "/") and a file given twice are listed once.
  QDir(dir.path()).mkpath("Photos");
  QDir(dir.path()).mkpath("photos");
  w.AddInputFolder(dir.filePath("Photos"));
  w.AddInputFolder(dir.filePath("Photos/"));
  w.AddInputFolder(dir.filePath("photos"));
  ASSERT_EQ(w.liFiles->count(), 2);
  EXPECT_EQ(w.liFiles->item(0)->text(), dir.filePath("Photos/*.jpg"));
  EXPECT_EQ(w.liFiles->item(1)->text(), dir.filePath("photos/*.jpg"));
  w.liFiles->clear();

  dialogs.files = {dir.filePath("x.jpg"), dir.filePath("X.JPG"), dir.filePath("x.jpg"),
                   dir.filePath("y.jpg")};
  w.btOpen->click();
  EXPECT_EQ(dialogs.fileFilters,
            std::vector<QString>{"Photos (*.jpg *.jpeg *.jpe *.jfif *.heic *.heif *.hif *.avif);;All files (*)"});
  EXPECT_EQ(w.liFiles->count(), 3) << "x.jpg and X.JPG are two files; x.jpg again is not added";
  EXPECT_EQ(w.liFiles->item(1)->text(), dir.filePath("X.JPG"));

  // Drops: a folder and a file on the output area set the folder only; on the input area both
  // are added.
  QDir(dir.path()).mkpath("out");
  const QString text = dir.filePath("notes.txt");
  Write(text, "x");
  const QPoint output = w.TntPanelOutput->mapTo(&w, QPoint(20, 20));
  w.DropFiles({dir.filePath("out"), text}, output);
  EXPECT_TRUE(w.edOutputPath->isEnabled());
  EXPECT_EQ(w.edOutputPath->text(), dir.filePath("out"));
  EXPECT_EQ(w.edOutputPath->toolTip(), dir.filePath("out"));
  EXPECT_EQ(w.liFiles->count(), 3);
  const QPoint input = w.gbInput->mapTo(&w, QPoint(30, 30));
  w.DropFiles({dir.filePath("out"), text}, input);
  EXPECT_EQ(w.liFiles->count(), 5);
  EXPECT_EQ(w.liFiles->item(4)->text(), text) << "a dropped text file is listed like a photo";

  // Delete with nothing selected removes nothing; the button then removes everything.
  w.liFiles->setFocus();
  QTest::keyClick(w.liFiles, Qt::Key_Delete);
  EXPECT_EQ(w.liFiles->count(), 5);
  w.liFiles->item(1)->setSelected(true);
  QTest::keyClick(w.liFiles, Qt::Key_Delete);
  EXPECT_EQ(w.liFiles->count(), 4);
  QTest::keyClick(w.liFiles, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(w.liFiles->selectedItems().size(), 4);
  EXPECT_EQ(w.btClear->text(), "Remove all");
  w.liFiles->clearSelection();
  w.btClear->click();
  EXPECT_EQ(w.liFiles->count(), 0);
  EXPECT_FALSE(w.btRun->isEnabled());

  // Output folder: cancelling the dialog keeps the mode; choosing one keeps the tick.
  w.btSameInput->click();
  EXPECT_FALSE(w.edOutputPath->isEnabled());
  EXPECT_TRUE(w.cbAddExtension->isChecked());
  dialogs.folder.clear();
  w.btOutputPath->click();
  EXPECT_FALSE(w.edOutputPath->isEnabled());
  EXPECT_EQ(dialogs.folderPreselects.back(), "<same as input>");
  dialogs.folder = dir.filePath("out");
  w.btOutputPath->click();
  EXPECT_TRUE(w.edOutputPath->isEnabled());
  EXPECT_TRUE(w.cbAddExtension->isChecked());
  EXPECT_TRUE(w.cbAddExtension->isEnabled());
}
