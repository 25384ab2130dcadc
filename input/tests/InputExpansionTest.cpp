// What the input list's entries stand for at "Run": the JPEG names, folders with and without
// the folders below them, hidden entries, links that lead back, and adding many entries.
#include "InputExpansion.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace lumvale;

namespace {

class Tree {
 public:
  explicit Tree(const QStringList& files) {
    for (const QString& f : files) {
      QDir().mkpath(QFileInfo(Path(f)).path());
      QFile file(Path(f));
      file.open(QIODevice::WriteOnly);
    }
  }
  QString Path(const QString& relative) const { return dir_.path() + u'/' + relative; }
  void Link(const QString& from, const QString& to) const { QFile::link(Path(to), Path(from)); }
  // The run's files relative to the tree, each with its subfolder after a "|".
  QStringList Relative(const std::vector<TRunFile>& files) const {
    QStringList out;
    for (const TRunFile& f : files) out << f.path.mid(dir_.path().size() + 1) + u'|' + f.subfolder;
    return out;
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace

TEST(InputExpansion, EveryJpegNameInAnyCase) {
  for (const char* name :
       {"a.jpg", "a.JPG", "b.jpeg", "B.JpEg", "c.jpe", "C.JPE", "d.jfif", "D.JFIF", "x.tar.jpg"}) {
    EXPECT_TRUE(IsJpegName(name)) << name;
  }
  for (const char* name : {"a.png", "a.jpgx", "jpg", "a.jp", "a.", "a", "a.jpg.txt", "a.heic"}) {
    EXPECT_FALSE(IsJpegName(name)) << name;
  }
}

TEST(InputExpansion, PhotosAreJpegAndHeifNamesAndAFolderStandsForBoth) {
  for (const char* name : {"a.jpg", "B.JPEG", "IMG_0001.HEIC", "c.heic", "d.HEIF", "e.hif",
                           "DSC0001.HIF", "f.avif", "F.AVIF"}) {
    EXPECT_TRUE(IsPhotoName(name)) << name;
  }
  for (const char* name : {"a.png", "a.heics", "heic", "a.hei", "a.avifs", "a.heic.txt"}) {
    EXPECT_FALSE(IsPhotoName(name)) << name;
  }
  Tree tree({"a.jpg", "IMG_0002.HEIC", "c.avif", "DSC0003.HIF", "e.heif", "f.png", "sub/g.heic"});
  EXPECT_EQ(tree.Relative(ExpandEntries({FolderPattern(tree.Path(""))}, true)),
            (QStringList{"a.jpg|", "c.avif|", "DSC0003.HIF|", "e.heif|", "IMG_0002.HEIC|",
                         "sub/g.heic|sub/"}));
}

TEST(InputExpansion, AFolderByNameWithOrWithoutTheFoldersBelow) {
  Tree tree({"b.jpg", "A.JPG", "c.jpeg", "d.JPE", "e.jfif", "f.png", "notes.txt", ".hidden.jpg",
             "sub1/x.jpg", "sub1/deeper/y.jpg", "Sub0/w.jpg", ".hiddendir/z.jpg",
             "plain.jpg/inside.jpg"});
  // A link back to the top and one from inside back up: each real folder is walked once.
  tree.Link("loop", ".");
  tree.Link("sub1/up", ".");
  const QString pattern = FolderPattern(tree.Path(""));
  EXPECT_EQ(tree.Relative(ExpandEntries({pattern}, false)),
            (QStringList{"A.JPG|", "b.jpg|", "c.jpeg|", "d.JPE|", "e.jfif|"}));
  EXPECT_EQ(tree.Relative(ExpandEntries({pattern}, true)),
            (QStringList{"A.JPG|", "b.jpg|", "c.jpeg|", "d.JPE|", "e.jfif|",
                         "plain.jpg/inside.jpg|plain.jpg/", "Sub0/w.jpg|Sub0/", "sub1/x.jpg|sub1/",
                         "sub1/deeper/y.jpg|sub1/deeper/"}));
  // A folder listed inside another is a walk of its own, which follows the link up once.
  EXPECT_EQ(tree.Relative(ExpandEntries({pattern, FolderPattern(tree.Path("sub1"))}, true)).mid(9),
            (QStringList{"sub1/x.jpg|", "sub1/deeper/y.jpg|deeper/", "sub1/up/A.JPG|up/",
                         "sub1/up/b.jpg|up/", "sub1/up/c.jpeg|up/", "sub1/up/d.JPE|up/",
                         "sub1/up/e.jfif|up/", "sub1/up/plain.jpg/inside.jpg|up/plain.jpg/",
                         "sub1/up/Sub0/w.jpg|up/Sub0/"}));
}

TEST(InputExpansion, TheOutputFolderBelowAListedFolderIsNotWalked) {
  // Earlier runs wrote into "photos/small"; the folder is left out by any path that names it,
  // but a listed folder is walked even when it is the output folder itself.
  Tree tree({"photos/a.jpg", "photos/x/b.jpg", "photos/small/a.jpg", "photos/small/x/b.jpg"});
  tree.Link("small-link", "photos/small");
  const QString pattern = FolderPattern(tree.Path("photos"));
  const QStringList all{"photos/a.jpg|", "photos/small/a.jpg|small/",
                        "photos/small/x/b.jpg|small/x/", "photos/x/b.jpg|x/"};
  const QStringList outside{"photos/a.jpg|", "photos/x/b.jpg|x/"};
  const struct {
    QString output;
    QStringList expected;
  } cases[] = {
      {QString(), all},
      {tree.Path("elsewhere"), all},
      {tree.Path("photos/small"), outside},
      {tree.Path("photos/small/"), outside},
      {tree.Path("photos/x/../small"), outside},
      {tree.Path("small-link"), outside},
      {tree.Path("photos"), all},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tree.Relative(ExpandEntries({pattern}, true, c.output)), c.expected)
        << c.output.toStdString();
  }
  EXPECT_EQ(tree.Relative(ExpandEntries({FolderPattern(tree.Path("photos/small"))}, true,
                                        tree.Path("photos/small"))),
            (QStringList{"photos/small/a.jpg|", "photos/small/x/b.jpg|x/"}));
}

TEST(InputExpansion, FileEntriesStandForThemselves) {
  Tree tree({"a.jpg", "b.txt", ".c.jpg", "d/e.jpg"});
  EXPECT_EQ(
      tree.Relative(ExpandEntries({tree.Path("b.txt"), tree.Path("a.jpg"), tree.Path(".c.jpg"),
                                   tree.Path("gone.jpg"), tree.Path("d"), tree.Path("a.jpg")},
                                  true)),
      (QStringList{"b.txt|", "a.jpg|", "a.jpg|"}))
      << "any listed file, not hidden, not a folder, each time it is listed";
  // A pattern without a folder stands for the working folder's photos.
  const QString before = QDir::currentPath();
  QDir::setCurrent(tree.Path(""));
  EXPECT_EQ(ExpandEntries({"*.jpg"}, false).size(), 1u);
  QDir::setCurrent(before);
  EXPECT_EQ(PatternFolder(FolderPattern("/x/y")), "/x/y/");
  EXPECT_EQ(PatternFolder("/x/Y/*.JPG"), "/x/Y/");
  EXPECT_EQ(PatternFolder("/x/y/a.jpg"), "");
}

TEST(InputExpansion, NewEntriesWithoutRepeats) {
  QStringList list{"/a.jpg", "/b/*.jpg"};
  AppendNewEntries(list, {"/c.jpg", "/a.jpg", "/A.jpg", "/c.jpg", "/b/*.jpg"});
  // Paths compare as the file system does: /a.jpg and /A.jpg are two photos.
  EXPECT_EQ(list, (QStringList{"/a.jpg", "/b/*.jpg", "/c.jpg", "/A.jpg"}));
}
