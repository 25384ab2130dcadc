#include "Exception.h"
#include "MemoryStream.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace lumvale;

TEST(MemoryStream, WriteReadAndPosition) {
  TMemoryStream s;
  s.Write("abcdef", 6);
  EXPECT_EQ(s.Size(), 6);
  s.SetPosition(2);
  s.Write("XY", 2);
  s.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, sizeof buf), 5u);
  EXPECT_STREQ(buf, "bXYef");
  s.SetPosition(100);
  EXPECT_EQ(s.Position(), 6);
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
}

TEST(MemoryStream, SaveReplacesWholeAndLoadsBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath("out.jpg");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(10000, 'x'));
  }
  TMemoryStream s;
  s.Write("new", 3);
  s.SaveToFile(path);
  TMemoryStream back;
  back.LoadFromFile(path);
  ASSERT_EQ(back.Size(), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Data()), 3), "new");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.jpg"});
}

TEST(MemoryStream, FailuresNameTheFileAndLeaveNothing) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("no/such/folder/a.jpg");
  TMemoryStream s;
  s.Write("x", 1);
  try {
    s.SaveToFile(missing);
    FAIL() << "saving into a missing folder must fail";
  } catch (const EFileError& e) {
    EXPECT_TRUE(e.Message().contains(missing)) << e.what();
  }
  EXPECT_THROW(s.LoadFromFile(dir.filePath("absent.jpg")), EFileError);
  EXPECT_TRUE(
      QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}
