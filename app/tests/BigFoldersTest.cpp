// Runs over folders as users have them: sub-folders mirrored below a chosen folder, the same
// name twice in one run, file dates kept, and unreadable photos skipped and listed.
#include "BatchFixture.h"
#include "QtPrinters.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>

using namespace lumvale;
using namespace lumvale::test;

namespace {

class BigFolders : public BatchTest {
 protected:
  // The output folder chosen, names kept as they are.
  QString ChooseOutput() {
    const QString out = dir.filePath("out");
    QDir().mkpath(out);
    w.edOutputPath->setEnabled(true);
    w.edOutputPath->setText(out);
    w.UpdateControls();
    w.cbAddExtension->setChecked(false);
    return out;
  }
  QStringList Files(const QString& folder) const {
    QStringList files;
    QDir root(folder);
    std::function<void(const QString&)> walk = [&](const QString& sub) {
      for (const QFileInfo& f :
           QDir(folder + sub)
               .entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                              QDir::Name)) {
        if (f.isDir()) {
          walk(sub + f.fileName() + u'/');
        } else {
          files << sub + f.fileName();
        }
      }
    };
    walk("/");
    return files;
  }
  // "Run" as the user presses it: enabled since the list has entries.
  void RunList() {
    w.UpdateControls();
    Run();
  }
  bool Said(const QString& line) const {
    return std::find(status.begin(), status.end(), line) != status.end();
  }
};

}  // namespace

TEST_F(BigFolders, SubFoldersAreMirroredBelowAChosenFolder) {
  QDir(dir.path()).mkpath("photos/x/deep");
  QDir(dir.path()).mkpath("photos/y");
  QDir(dir.path()).mkpath("photos/.hidden");
  Photo("photos/a.jpg");
  Photo("photos/x/same.jpg", 64, 48);
  Photo("photos/y/same.jpg", 80, 60);
  Photo("photos/x/deep/d.JPEG");
  Photo("photos/.hidden/h.jpg");
  const QString out = ChooseOutput();
  w.cbSubfolders->setChecked(true);
  w.AddInputFolder(dir.filePath("photos"));
  RunList();
  EXPECT_EQ(Files(out), (QStringList{"/a.jpg", "/x/deep/d.JPEG", "/x/same.jpg", "/y/same.jpg"}));
  EXPECT_TRUE(dialogs.boxes.empty()) << "two photos of one name in two folders are two outputs";
  EXPECT_EQ(JpegSize(out + "/x/same.jpg"), QSize(64, 48));
  EXPECT_EQ(JpegSize(out + "/y/same.jpg"), QSize(80, 60));
  EXPECT_TRUE(Said("Photos found: 4"));

  // Next to the inputs, each output beside its own photo.
  w.edOutputPath->setEnabled(false);
  w.UpdateControls();
  RunList();
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("photos/x/deep/d_small.jpg")));
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("photos/y/same_small.jpg")));

  // Without sub-folders, the listed folder's own photos only: a.jpg and the last run's output.
  status.clear();
  w.cbSubfolders->setChecked(false);
  dialogs.answers = {mbNoToAll};
  RunList();
  EXPECT_TRUE(Said("Photos found: 2"));
}

TEST_F(BigFolders, AnOutputFolderInsideTheListedFolderIsNotReadBack) {
  QDir(dir.path()).mkpath("photos/x");
  Photo("photos/a.jpg");
  Photo("photos/x/b.jpg");
  const QString out = dir.filePath("photos/small");
  QDir().mkpath(out);
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText(out);
  w.cbSubfolders->setChecked(true);
  w.AddInputFolder(dir.filePath("photos"));
  RunList();
  dialogs.answers = {mbYesToAll};
  status.clear();
  RunList();  // again, as a user does after changing a setting
  EXPECT_TRUE(Said("Photos found: 2"));
  EXPECT_EQ(Files(out), (QStringList{"/a_small.jpg", "/x/b_small.jpg"}));
}

TEST_F(BigFolders, AMirroredFolderIsMadeOnlyForAPhotoWrittenIntoIt) {
  QDir(dir.path()).mkpath("photos/bad");
  QDir(dir.path()).mkpath("photos/good");
  Write(dir.filePath("photos/bad/only.jpg"), "not a picture");
  Photo("photos/good/g.jpg");
  const QString out = ChooseOutput();
  w.cbSubfolders->setChecked(true);
  w.cbSkipErrors->setChecked(true);
  w.AddInputFolder(dir.filePath("photos"));
  RunList();
  EXPECT_EQ(Files(out), QStringList{"/good/g.jpg"});
  EXPECT_FALSE(QFileInfo::exists(out + "/bad")) << "no empty folder left behind";
  ASSERT_EQ(dialogs.lists.size(), 1u);

  // A chosen folder that does not exist is not made: the write fails as before.
  QDir(out).removeRecursively();
  dialogs.lists.clear();
  RunList();
  EXPECT_FALSE(QFileInfo::exists(out));
  ASSERT_EQ(dialogs.lists.size(), 1u);
  EXPECT_EQ(dialogs.lists[0].lines.size(), 2);
}

TEST_F(BigFolders, TheSameOutputNameTwiceInOneRunIsAsked) {
  QDir(dir.path()).mkpath("a");
  QDir(dir.path()).mkpath("b");
  Photo("a/same.jpg", 64, 48);
  Photo("b/same.jpg", 80, 60);
  const QString out = ChooseOutput();
  w.AddInputFolder(dir.filePath("a"));
  w.AddInputFolder(dir.filePath("b"));
  dialogs.answers = {mbNo};
  RunList();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_TRUE(dialogs.boxes[0].text.contains(out + "/same.jpg"))
      << dialogs.boxes[0].text.toStdString();
  EXPECT_EQ(JpegSize(out + "/same.jpg"), QSize(64, 48)) << "No keeps the first one's output";
  dialogs.answers = {mbYesToAll};
  QFile::remove(out + "/same.jpg");
  RunList();
  EXPECT_EQ(JpegSize(out + "/same.jpg"), QSize(80, 60)) << "Yes to All is the user's choice";
}

TEST_F(BigFolders, TheFileDateIsKeptOnRequest) {
  const QString in = Photo("dated.jpg");
  const QDateTime then(QDate(2001, 2, 3), QTime(4, 5, 6, 789), Qt::UTC);
  {
    QFile f(in);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(then, QFileDevice::FileModificationTime));
  }
  const QString out = ChooseOutput();
  w.AddInputFile(in);
  RunList();
  EXPECT_NE(QFileInfo(out + "/dated.jpg").lastModified(), then);
  w.cbKeepDate->setChecked(true);
  dialogs.answers = {mbYes};
  RunList();
  EXPECT_EQ(QFileInfo(out + "/dated.jpg").lastModified().toUTC(), then);

  // The photo replaced by its own output (its folder chosen, its name kept): its date stays.
  w.edOutputPath->setText(dir.path());
  dialogs.answers = {mbYes};
  RunList();
  EXPECT_EQ(JpegSize(in), QSize(64, 48));
  EXPECT_EQ(QFileInfo(in).lastModified().toUTC(), then);
}

TEST_F(BigFolders, UnreadablePhotosAreSkippedAndListed) {
  QDir(dir.path()).mkpath("five");
  Photo("five/1.jpg");
  Write(dir.filePath("five/2.jpg"), "not a picture");
  Photo("five/3.jpg");
  std::vector<uint8_t> cut = MakeJpeg({.width = 64, .height = 48});
  cut.resize(10);
  WriteFile(dir.filePath("five/4.jpg"), cut);
  Photo("five/5.jpg");
  WriteFile(dir.filePath("five/6.jpg"), {});
  const QString out = ChooseOutput();
  w.AddInputFolder(dir.filePath("five"));

  // As before: the first unreadable photo ends the run with its error.
  RunList();
  EXPECT_EQ(Files(out), QStringList{"/1.jpg"});
  EXPECT_EQ(w.LastBatch, TBatchOutcome::error);
  EXPECT_TRUE(dialogs.lists.empty());

  QDir(out).removeRecursively();
  QDir().mkpath(out);
  dialogs.boxes.clear();
  w.cbSkipErrors->setChecked(true);
  RunList();
  EXPECT_EQ(Files(out), (QStringList{"/1.jpg", "/3.jpg", "/5.jpg"}));
  EXPECT_EQ(w.LastBatch, TBatchOutcome::finished);
  EXPECT_TRUE(dialogs.boxes.empty()) << "no error box";
  ASSERT_EQ(dialogs.lists.size(), 1u);
  const QStringList& lines = dialogs.lists[0].lines;
  ASSERT_EQ(lines.size(), 3);
  for (int i = 0; i < 3; ++i) {
    const QString path = dir.filePath(QString("five/%1.jpg").arg("246"[i]));
    EXPECT_TRUE(lines[i].startsWith(path + ": ")) << lines[i].toStdString();
    EXPECT_EQ(lines[i].count(path), 1) << "the path once: " << lines[i].toStdString();
  }
  EXPECT_EQ(lines[2], dir.filePath("five/6.jpg") + ": The picture file \"6.jpg\" is empty.");
  EXPECT_TRUE(dialogs.lists[0].text.contains("(3)")) << dialogs.lists[0].text.toStdString();
  EXPECT_TRUE(Said("Skipped: " + dir.filePath("five/4.jpg")));
}

TEST_F(BigFolders, TheMenuEntryListsWhatItIsGivenWithoutRunning) {
  const QString photo = Photo("a b.jpg");
  QDir(dir.path()).mkpath("folder");
  w.OpenInputs({photo, dir.filePath("folder"), photo});
  ASSERT_EQ(w.liFiles->count(), 2);
  EXPECT_EQ(w.liFiles->item(0)->text(), photo);
  EXPECT_EQ(w.liFiles->item(1)->text(), dir.filePath("folder") + "/*.jpg");
  EXPECT_TRUE(w.btRun->isEnabled());
  EXPECT_TRUE(status.empty()) << "nothing is processed before Run";
}
