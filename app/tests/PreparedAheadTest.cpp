// Runs whose photos are prepared ahead on worker threads: what the user sees and gets is what a
// run on one thread gives, in list order, with each file's settings taken at its turn.
#include "FileBytes.h"
#include "GnuGettext.h"
#include "JpegImage.h"
#include "MainWindow.h"
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
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

using namespace lumvale;
using namespace lumvale::test;

namespace {

int JpegWidth(const QString& path) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path);
  return jpeg.Width();
}

// A main window in English with the given number of threads (LUMVALE_THREADS).
class ScriptedRun {
 public:
  explicit ScriptedRun(const char* threads)
      : env_({{"LANG", "C"}, {"LUMVALE_THREADS", threads}}),
        l10n_(install_.Executable(), install_.Table()) {
    QObject::connect(&w, &TfrmMain::StatusShown, [this](const QString& line) {
      status << line;
      if (onStatus) onStatus(line);
    });
    w.show();
    QApplication::processEvents();
    w.edAddExt->setText("small");
    w.cbWidth->setChecked(true);
    w.edWidth->setText("100");
  }
  void Start(const QStringList& files) {
    w.liFiles->clear();
    for (const QString& f : files) w.AddInputFile(f);
    w.UpdateControls();
    status.clear();
    w.btRun->click();
    QApplication::processEvents();
  }

  Installation install_;
  Environment env_;
  TLocalization l10n_;
  ScriptedDialogs dialogs;
  TfrmMain w;
  QStringList status;
  std::function<void(const QString&)> onStatus;
};

// Photos of different sizes, so that a result given to the wrong file shows.
QStringList Photos(QTemporaryDir& dir, int count) {
  QStringList paths;
  for (int i = 0; i < count; ++i) {
    paths << dir.filePath(QString("p%1.jpg").arg(i));
    WriteFile(paths.back(), MakeJpeg({600 + 40 * i, 400 + 10 * i, i % 3 == 1, i % 2 == 1}));
  }
  return paths;
}

// A JPEG that ends inside its first table: unreadable.
QString BrokenPhoto(QTemporaryDir& dir) {
  const QString path = dir.filePath("broken.jpg");
  WriteFile(path, {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 7, 7, 7});
  return path;
}

QString Output(const QString& input) {
  return QString(input).replace(".jpg", "_small.jpg");
}

}  // namespace

TEST(PreparedAhead, SameFilesAndStatusLinesAsOneThread) {
  QTemporaryDir dir;
  QStringList photos = Photos(dir, 6);
  // One cut short, whose line that data is missing comes at its turn too.
  std::vector<uint8_t> cut = MakeJpeg({640, 480});
  cut.resize(cut.size() / 2);
  photos.insert(3, dir.filePath("cut.jpg"));
  WriteFile(photos[3], cut);
  QStringList oneThreadLines;
  std::vector<QByteArray> oneThreadFiles;
  for (const char* threads : {"1", "4"}) {
    ScriptedRun run(threads);
    run.w.cbFilesize->setChecked(true);  // the size-limit loop too
    run.w.edFilesize->setText("3");
    run.Start(photos);
    std::vector<QByteArray> files;
    for (const QString& p : photos) files.push_back(Read(Output(p)));
    for (const QString& p : photos) QFile::remove(Output(p));
    if (oneThreadFiles.empty()) {
      oneThreadFiles = files;
      oneThreadLines = run.status;
      continue;
    }
    for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_FALSE(files[i].isEmpty()) << i;
      EXPECT_EQ(files[i], oneThreadFiles[i]) << "photo " << i << " byte for byte";
    }
    // One file's lines are never mixed with another's, and come in the same order.
    EXPECT_EQ(run.status, oneThreadLines);
  }
  ASSERT_FALSE(oneThreadLines.isEmpty());
  EXPECT_EQ(oneThreadLines.filter("Loading image").size(), 7);
  EXPECT_EQ(oneThreadLines.filter("damaged or cut short").size(), 1);
  EXPECT_TRUE(oneThreadLines.contains("Saving image p5_small.jpg"));
}

TEST(PreparedAhead, EachFileHasTheSettingsOfItsTurn) {
  QTemporaryDir dir;
  const QStringList photos = Photos(dir, 5);
  ScriptedRun run("4");
  // During the first file's turn the user lowers the width limit: the files after it, which
  // the workers prepared with 100 meanwhile, are made again with 50.
  run.onStatus = [&](const QString& line) {
    if (line == "Saving image p0_small.jpg") run.w.edWidth->setText("50");
  };
  run.Start(photos);
  EXPECT_EQ(JpegWidth(Output(photos[0])), 100);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(JpegWidth(Output(photos[i])), 50) << i;
}

TEST(PreparedAhead, AnErrorReachesTheUserAtItsTurn) {
  QTemporaryDir dir;
  QStringList photos = Photos(dir, 3);
  const QString broken = BrokenPhoto(dir);
  photos.insert(1, broken);
  ScriptedRun run("4");
  int boxesWhenSaved = -1;
  run.onStatus = [&](const QString& line) {
    if (line == "Saving image p0_small.jpg") boxesWhenSaved = int(run.dialogs.boxes.size());
  };
  run.Start(photos);
  EXPECT_EQ(boxesWhenSaved, 0) << "the file before it is written and reported first";
  EXPECT_TRUE(QFileInfo::exists(Output(photos[0])));
  ASSERT_EQ(run.dialogs.boxes.size(), 1u);
  EXPECT_TRUE(run.dialogs.boxes[0].text.startsWith("Error while processing \"" + broken))
      << run.dialogs.boxes[0].text.toStdString();
  EXPECT_TRUE(run.status.contains("Loading image broken.jpg"));
  EXPECT_FALSE(QFileInfo::exists(Output(photos[2]))) << "the run ends at the error, as before";
  EXPECT_FALSE(QFileInfo::exists(Output(photos[3])));
}

TEST(PreparedAhead, SkippedPhotosLeaveTheRestToTheWorkers) {
  // An unreadable photo, and one whose output name is taken by a folder (an error before the
  // photo is read), skipped among five: the same files, lines and list as on one thread.
  QTemporaryDir dir;
  QStringList photos = Photos(dir, 5);
  const QString broken = BrokenPhoto(dir);
  photos.insert(1, broken);
  QDir().mkpath(Output(photos[3]));
  QStringList oneThreadLines, oneThreadList;
  for (const char* threads : {"1", "4"}) {
    ScriptedRun run(threads);
    run.w.cbSkipErrors->setChecked(true);
    run.Start(photos);
    for (int i : {0, 2, 4, 5}) EXPECT_EQ(JpegWidth(Output(photos[i])), 100) << threads << i;
    ASSERT_EQ(run.dialogs.lists.size(), 1u) << threads;
    EXPECT_EQ(run.dialogs.lists[0].lines.size(), 2) << threads;
    for (int i : {0, 2, 4, 5}) QFile::remove(Output(photos[i]));
    if (oneThreadLines.isEmpty()) {
      oneThreadLines = run.status;
      oneThreadList = run.dialogs.lists[0].lines;
    } else {
      EXPECT_EQ(run.status, oneThreadLines);
      EXPECT_EQ(run.dialogs.lists[0].lines, oneThreadList);
    }
  }
}

TEST(PreparedAhead, CancelAndSkippedFilesWriteNothingMore) {
  QTemporaryDir dir;
  const QStringList photos = Photos(dir, 6);
  // p1's output exists: "No" keeps it, the run goes on; Cancel at p3's question ends it.
  QFile::copy(photos[0], Output(photos[1]));
  QFile::copy(photos[0], Output(photos[3]));
  const QByteArray kept = Read(Output(photos[1]));
  ScriptedRun run("4");
  run.dialogs.answers = {mbNo, mbCancel};
  run.Start(photos);
  ASSERT_EQ(run.dialogs.boxes.size(), 2u);
  EXPECT_TRUE(run.dialogs.boxes[0].text.contains("p1_small.jpg"));
  EXPECT_TRUE(run.dialogs.boxes[1].text.contains("p3_small.jpg"));
  EXPECT_EQ(Read(Output(photos[1])), kept);
  EXPECT_EQ(Read(Output(photos[3])), kept);
  EXPECT_TRUE(QFileInfo::exists(Output(photos[2])));
  EXPECT_FALSE(QFileInfo::exists(Output(photos[4])));
  EXPECT_FALSE(QFileInfo::exists(Output(photos[5])));
  EXPECT_FALSE(run.status.contains("Loading image p4.jpg")) << "no line of a dropped file";

  // Cancel from the status window while a file is being shown: that file is finished, no
  // later one is written.
  for (const QString& p : photos) QFile::remove(Output(p));
  run.onStatus = [&](const QString& line) {
    if (line == "Loading image p2.jpg") frmImagePopup->btCancel->click();
  };
  run.dialogs.answers.clear();
  run.Start(photos);
  EXPECT_TRUE(QFileInfo::exists(Output(photos[2])));
  EXPECT_FALSE(QFileInfo::exists(Output(photos[3])));
  EXPECT_FALSE(run.w.Running);
}

TEST(PreparedAhead, AnInputReplacedByAnEarlierOutputIsReadAnew) {
  // A run again over a folder that holds its own earlier outputs: "a.jpg" is written into
  // "a_s.jpg", which comes later in the list, so "a_s_s.jpg" is made of the new "a_s.jpg", as on
  // one thread, however far the workers prepared ahead.
  QStringList oneThreadLines;
  std::vector<QByteArray> oneThreadFiles;
  for (const char* threads : {"1", "2", "8"}) {
    QTemporaryDir dir;
    QStringList photos;
    const std::vector<std::pair<const char*, JpegPicture>> pictures = {{"a.jpg", {1200, 802}},
                                                                       {"b.jpg", {900, 700}},
                                                                       {"a_s.jpg", {1200, 900}},
                                                                       {"b_s.jpg", {640, 640}}};
    for (const auto& [name, picture] : pictures) {
      photos << dir.filePath(name);
      WriteFile(photos.back(), MakeJpeg(picture));
    }
    ScriptedRun run(threads);
    run.w.edAddExt->setText("s");
    run.dialogs.answers = {mbYesToAll};
    run.Start(photos);
    std::vector<QByteArray> files;
    for (const char* name : {"a_s.jpg", "b_s.jpg", "a_s_s.jpg", "b_s_s.jpg"}) {
      files.push_back(Read(dir.filePath(name)));
      EXPECT_FALSE(files.back().isEmpty()) << threads << name;
    }
    EXPECT_EQ(run.dialogs.boxes.size(), 1u) << threads;
    if (oneThreadFiles.empty()) {
      oneThreadFiles = files;
      oneThreadLines = run.status;
      EXPECT_TRUE(run.status.contains("Imagesize (100 x 66)")) << "a_s.jpg read as a.jpg made it";
      continue;
    }
    for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(files[i], oneThreadFiles[i]) << threads << " threads, output " << i;
    }
    EXPECT_EQ(run.status, oneThreadLines) << threads;
  }
}
