#include "Exception.h"
#include "QtPrinters.h"
#include "SectionStore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

using namespace lumvale;

namespace {
void WriteText(const QString& path, const char* text) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(text);
}
}  // namespace

TEST(SectionStore, ReadsWithDefaultsAndWritesStrings) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Lumvale.ini");
  WriteText(path,
            "[settings]\nlanguage=de\nclientwidth=abc\n"
            "[profiles]\nWeb\\quality=75\nWeb\\ext=web\nWeb\\cbprogressive=0\n"
            "Web\\list=a, b\nWeb\\maxwidth=12px\n");
  QSettings file(path, QSettings::IniFormat);
  TSectionStore settings(file, "");
  TSectionStore profiles(file, "profiles");

  EXPECT_EQ(settings.ReadString("settings", "language", "en"), "de");
  EXPECT_EQ(settings.ReadString("settings", "missing", "en"), "en");
  EXPECT_EQ(settings.ReadString("nosection", "language", "x"), "x");
  EXPECT_EQ(settings.ReadInteger("settings", "clientwidth", 790), 790) << "not a number";
  EXPECT_EQ(profiles.ReadInteger("Web", "quality", 90), 75);
  EXPECT_EQ(profiles.ReadInteger("WEB", "quality", 90), 75) << "sections ignore case";
  EXPECT_FALSE(profiles.ReadBool("web", "cbprogressive", true));
  EXPECT_TRUE(profiles.ReadBool("web", "absent", true));
  EXPECT_EQ(profiles.ReadInteger("Web", "maxwidth", 800), 800) << "only plain decimal numbers";
  try {
    profiles.ReadString("Web", "list", "");
    FAIL() << "a list is no string";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QString::fromUtf8("Ungültiger Datentyp für 'list'"));
  }

  // Writing into a section spelled otherwise keeps the stored spelling.
  profiles.WriteInteger("WEB", "quality", 60);
  profiles.WriteBool("New", "cbfilesize", true);
  profiles.WriteString("New", "ext", "a, b \"c\"");
  profiles.Commit();
  EXPECT_EQ(profiles.ReadSections(), (QStringList{"New", "Web"}));
  QSettings again(path, QSettings::IniFormat);
  TSectionStore reread(again, "profiles");
  EXPECT_EQ(reread.ReadInteger("Web", "quality", 0), 60);
  EXPECT_EQ(reread.ReadString("new", "cbfilesize", ""), "1");
  EXPECT_EQ(reread.ReadString("new", "ext", ""), "a, b \"c\"") << "written and read as a string";

  profiles.EraseSection("web");
  profiles.EraseSection("absent");
  EXPECT_EQ(profiles.ReadSections(), (QStringList{"New"}));
  EXPECT_EQ(profiles.ReadInteger("Web", "quality", 90), 90);
  EXPECT_EQ(settings.ReadString("settings", "language", ""), "de") << "other sections stay";
}

TEST(SectionStore, AnUnwritableFileIsReported) {
  QTemporaryDir dir;
  // A folder where the file should be: it cannot be written.
  QDir(dir.path()).mkpath("Lumvale.ini");
  QSettings file(dir.filePath("Lumvale.ini"), QSettings::IniFormat);
  TSectionStore settings(file, "");
  try {
    settings.WriteString("settings", "language", "de");
    settings.Commit();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QString::fromUtf8("Erzeugung von Schlüssel settings misslungen"));
  }
}

TEST(SectionStore, ASaveKilledHalfWayKeepsOldOrNewValues) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Lumvale.ini");
  int generations = 0;
  for (int round = 0; round < 25; ++round) {
    QProcess writer;
    writer.start(LUMVALE_SETTINGS_WRITER, {path});
    ASSERT_TRUE(writer.waitForStarted());
    QThread::msleep(5 + (round * 13) % 80);
    writer.kill();
    writer.waitForFinished();
    QSettings file(path, QSettings::IniFormat);
    if (!QFile::exists(path)) continue;  // killed before its first save
    ASSERT_EQ(file.status(), QSettings::NoError) << "round " << round;
    const QString generation = file.value("profiles/default/generation").toString();
    for (int k = 0; k < 40; ++k) {
      ASSERT_EQ(file.value(QStringLiteral("profiles/default/value%1").arg(k)).toString(),
                generation)
          << "round " << round << ", value " << k;
    }
    generations = std::max(generations, generation.toInt());
  }
  EXPECT_GT(generations, 1) << "the writer got to save at all";
}
