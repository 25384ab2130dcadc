// The built lumvale carries its catalogues: run it as a user would, with different locales.
#include "QtPrinters.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Result {
  int code;
  QString out;
};

Result Exec(const QString& program, const QStringList& args, const QStringList& env = {}) {
  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"}) e.remove(name);
  for (const QString& kv : env) e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
  p.setProcessEnvironment(e);
  p.start(program, args);
  p.waitForFinished(30000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
}

QString Translated(const QString& program, const QString& text, const QStringList& env) {
  return Exec(program, {"--translate", text}, env).out;
}

// Writes a catalogue compiled by msgfmt from a small po text.
void Compile(const QString& po, const QString& mo) {
  QDir().mkpath(QFileInfo(mo).absolutePath());
  const QString source = mo + ".po";
  QFile f(source);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(po.toUtf8());
  f.close();
  ASSERT_EQ(QProcess::execute("msgfmt", {"-o", mo, source}), 0);
}

const QString kHeader = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";

// A small JPEG made by the program itself from the test's own bytes would need imaging; a
// byte-exact tiny baseline JPEG (1 x 1, gray) serves.
void WriteTinyJpeg(const QString& path) {
  const QByteArray tiny = QByteArray::fromBase64(
      "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwc"
      "KDcpLDAxNDQ0Hyc5PTgyPC4zNDL/wAALCAABAAEBAREA/8QAFAABAAAAAAAAAAAAAAAAAAAACf/EABQQAQAAAAAAAAAA"
      "AAAAAAAAAAD/2gAIAQEAAD8AKp//2Q==");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(tiny);
}

}  // namespace

TEST(PackedExecutable, TranslatesFromItsOwnCatalogues) {
  const QString lumvale = LUMVALE_EXECUTABLE;
  EXPECT_EQ(Translated(lumvale, "Run", {"LANG=de_DE.UTF-8"}), "Starten");
  EXPECT_EQ(Translated(lumvale, "Select Folder", {"LANG=de_DE.UTF-8"}),
            QString::fromUtf8("Ordner auswählen"));
  EXPECT_EQ(Translated(lumvale, "Run", {"LANG=it"}), "Avvia");
  EXPECT_EQ(Translated(lumvale, "Run", {"LANG=fr"}), "Run");
  EXPECT_EQ(Translated(lumvale, "Run", {"LC_ALL=it_IT.UTF-8"}), "Avvia") << "no LANG: the locale";
  EXPECT_EQ(Translated(lumvale, "Run", {}), "Run");
  EXPECT_EQ(Exec(lumvale, {"--languages"}).out, "de it");
}

TEST(PackedExecutable, PackingToolListsAndRefusesASecondTable) {
  const Result list = Exec(LUMVALE_PACK, {"--list", LUMVALE_EXECUTABLE});
  ASSERT_EQ(list.code, 0);
  const QStringList lines = list.out.split(u'\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].startsWith("locale\\de\\LC_MESSAGES\\default.mo\t")) << lines[0];
  EXPECT_TRUE(lines[1].startsWith("locale\\it\\LC_MESSAGES\\default.mo\t")) << lines[1];

  QTemporaryDir dir;
  const QString copy = dir.filePath("lumvale");
  ASSERT_TRUE(QFile::copy(LUMVALE_EXECUTABLE, copy));
  const qint64 size = QFileInfo(copy).size();
  const Result again = Exec(
      LUMVALE_PACK, {copy, "x=" + QString(LUMVALE_CATALOGUE_DIR) + "/de/LC_MESSAGES/default.mo"});
  EXPECT_NE(again.code, 0);
  EXPECT_EQ(QFileInfo(copy).size(), size);
}

TEST(PackedExecutable, CataloguesOnDiskBesideTheExecutable) {
  QTemporaryDir dir;
  const QString lumvale = dir.filePath("lumvale");
  ASSERT_TRUE(QFile::copy(LUMVALE_EXECUTABLE, lumvale));
  Compile(kHeader + "msgid \"Run\"\nmsgstr \"Executar\"\n",
          dir.filePath("locale/pt_BR/LC_MESSAGES/default.mo"));
  // A German catalogue on disk loses against the embedded one.
  Compile(kHeader + "msgid \"Run\"\nmsgstr \"Laufen\"\n",
          dir.filePath("locale/de/LC_MESSAGES/default.mo"));
  EXPECT_EQ(Translated(lumvale, "Run", {"LANG=pt_BR.UTF-8"}), "Executar");
  EXPECT_EQ(Translated(lumvale, "Run", {"LANG=pt_PT"}), "Run")
      << "pt_PT falls back to pt, which has none";
  EXPECT_EQ(Translated(lumvale, "Run", {"LANG=de_AT"}), "Starten");
  const QStringList languages = Exec(lumvale, {"--languages"}).out.split(u' ');
  EXPECT_TRUE(languages.contains("pt_br")) << languages.join(u' ');
  EXPECT_TRUE(languages.contains("de"));
  EXPECT_TRUE(languages.contains("it"));
  EXPECT_EQ(languages.size(), 3);
}

TEST(CommandLineWithoutScreen, ReportsOnTheTerminalWithExitCodes) {
  QTemporaryDir dir;
  const QString lumvale = LUMVALE_EXECUTABLE;
  const QStringList env = {"QT_QPA_PLATFORM=offscreen",
                           "XDG_CONFIG_HOME=" + dir.filePath("config")};
  auto run = [&](const QStringList& args, QString* err = nullptr) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES", "DISPLAY", "WAYLAND_DISPLAY"})
      e.remove(name);
    for (const QString& kv : env) e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(dir.path());
    p.start(lumvale, args);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
  };
  WriteTinyJpeg(dir.filePath("a.jpg"));

  QString err;
  EXPECT_EQ(run({"a.jpg", "notes.txt"}, &err), 0) << err;
  EXPECT_TRUE(err.contains("Saving image a_small.jpg")) << err;
  EXPECT_TRUE(err.contains("[1/2]")) << err;
  EXPECT_TRUE(QFile::exists(dir.filePath("a_small.jpg")));
  // The output exists and standard input is no terminal: answered No, the file is kept.
  EXPECT_EQ(run({"a.jpg"}, &err), 0);
  EXPECT_TRUE(err.contains("the existing file is kept")) << err;
  QFile bad(dir.filePath("bad.jpg"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("no");
  bad.close();
  EXPECT_EQ(run({"bad.jpg"}, &err), 1);
  EXPECT_TRUE(err.contains("JPEG-Fehler #53: Not a JPEG file: starts with 0x6e 0x6f")) << err;
  // Cut short in its pixel data: written, its missing part grey, and the user is told.
  WriteTinyJpeg(dir.filePath("cut.jpg"));
  QFile cut(dir.filePath("cut.jpg"));
  ASSERT_TRUE(cut.resize(cut.size() - 4));
  EXPECT_EQ(run({"cut.jpg"}, &err), 0) << err;
  EXPECT_TRUE(err.contains("The photo file is damaged or cut short; its missing part is grey"))
      << err;
  EXPECT_TRUE(QFile::exists(dir.filePath("cut_small.jpg")));
  EXPECT_EQ(run({"-p:default", "a.jpg"}, &err), 0);
  EXPECT_FALSE(err.contains("damaged")) << err;
  // Every JPEG name, in any case, is a photo on the command line.
  WriteTinyJpeg(dir.filePath("b.jpe"));
  WriteTinyJpeg(dir.filePath("c.JFIF"));
  WriteTinyJpeg(dir.filePath("d.Jpeg"));
  EXPECT_EQ(run({"b.jpe", "c.JFIF", "d.Jpeg"}, &err), 0) << err;
  for (const char* made : {"b_small.jpg", "c_small.jpg", "d_small.jpg"}) {
    EXPECT_TRUE(QFile::exists(dir.filePath(made))) << made << "\n" << err;
  }
  EXPECT_EQ(run({}, &err), 2) << "no arguments and no screen";
  EXPECT_TRUE(err.startsWith("usage: lumvale")) << err;
  EXPECT_EQ(Exec(lumvale, {"--version"}).out, QStringLiteral("Lumvale ") + lumvale::kVersion);
  EXPECT_EQ(Exec(lumvale, {"--help"}).code, 0);
}

TEST(CommandLineWithoutScreen, SkippedPhotosAreListedAndEndWithExitCodeOne) {
  QTemporaryDir dir;
  QDir().mkpath(dir.filePath("config/Lumvale"));
  QFile ini(dir.filePath("config/Lumvale/Lumvale.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[profiles]\nSkip\\skiperrors=1\n");
  ini.close();
  for (const char* name : {"1.jpg", "3.jpg", "5.jpeg"}) WriteTinyJpeg(dir.filePath(name));
  for (const char* name : {"bad.jpg", "cut.jpg"}) {
    QFile bad(dir.filePath(name));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\xFF\xD8\xFF");
  }
  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES", "DISPLAY", "WAYLAND_DISPLAY"})
    e.remove(name);
  e.insert("QT_QPA_PLATFORM", "offscreen");
  e.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  p.setProcessEnvironment(e);
  p.setWorkingDirectory(dir.path());
  p.start(LUMVALE_EXECUTABLE, {"-p:Skip", "1.jpg", "bad.jpg", "3.jpg", "cut.jpg", "5.jpeg"});
  p.closeWriteChannel();
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
  for (const char* name : {"1_small.jpg", "3_small.jpg", "5_small.jpg"}) {
    EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name;
  }
  // One line per skipped photo, with its reason, after the run.
  const QStringList lines = err.split(u'\n');
  for (const char* name : {"bad.jpg", "cut.jpg"}) {
    EXPECT_EQ(lines
                  .filter(QRegularExpression("^" + QRegularExpression::escape(dir.filePath(name)) +
                                             ": .+"))
                  .size(),
              1)
        << name << "\n"
        << err.toStdString();
  }
}

TEST(CommandLineWithoutScreen, ADamagedCatalogueOnDiskIsReportedOnceAndTheBatchRunsInEnglish) {
  QTemporaryDir dir;
  const QString lumvale = dir.filePath("lumvale");
  ASSERT_TRUE(QFile::copy(LUMVALE_EXECUTABLE, lumvale));
  const QString mo = dir.filePath("locale/fr/LC_MESSAGES/default.mo");
  QDir().mkpath(QFileInfo(mo).absolutePath());
  QFile broken(mo);
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write(QByteArray("\xde\x12\x04\x95") + QByteArray(40, '\xff'));
  broken.close();
  WriteTinyJpeg(dir.filePath("a.jpg"));

  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "DISPLAY", "WAYLAND_DISPLAY"}) e.remove(name);
  e.insert("LANG", "fr_FR.UTF-8");
  e.insert("QT_QPA_PLATFORM", "offscreen");
  e.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  p.setProcessEnvironment(e);
  p.setWorkingDirectory(dir.path());
  p.start(lumvale, {"a.jpg"});
  p.closeWriteChannel();
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), 0) << err;
  EXPECT_EQ(err.count("not a valid GNU gettext mo file"), 1) << err;
  EXPECT_TRUE(err.contains(mo)) << "the message names the catalogue: " << err;
  EXPECT_TRUE(err.contains("Saving image a_small.jpg")) << "English texts: " << err;
  EXPECT_TRUE(QFile::exists(dir.filePath("a_small.jpg")));
}

TEST(CommandLineWithoutScreen, TheOverwriteQuestionInTheUsersLanguage) {
  QTemporaryDir dir;
  WriteTinyJpeg(dir.filePath("a.jpg"));
  // Standard input a terminal with the answer typed ahead, or no terminal at all.
  auto run = [&](const char* lang, const char* typed) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "DISPLAY", "WAYLAND_DISPLAY"})
      e.remove(name);
    e.insert("LANG", lang);
    e.insert("QT_QPA_PLATFORM", "offscreen");
    e.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(dir.path());
    int master = -1, terminal = -1;
    if (typed) {
      master = ::posix_openpt(O_RDWR | O_NOCTTY);
      EXPECT_GE(master, 0);
      EXPECT_EQ(::grantpt(master), 0);
      EXPECT_EQ(::unlockpt(master), 0);
      terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
      EXPECT_GE(terminal, 0);
      EXPECT_GT(::write(master, typed, std::strlen(typed)), 0);
      p.setChildProcessModifier([terminal] { ::dup2(terminal, STDIN_FILENO); });
    }
    p.start(LUMVALE_EXECUTABLE, {"a.jpg"});
    if (!typed) p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    if (typed) {
      ::close(terminal);
      ::close(master);
    }
    EXPECT_EQ(p.exitCode(), 0);
    return QString::fromUtf8(p.readAllStandardError());
  };
  const struct {
    const char* lang;
    const char* output;  // the default addition is translated too
    const char* notice;  // standard input is no terminal
    const char* legend;  // the question on the terminal
  } cases[] = {
      {"C", "a_small.jpg", "No (standard input is no terminal): the existing file is kept.",
       "[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All: "},
      {"de_DE.UTF-8", "a_klein.jpg",
       "Nein (die Standardeingabe ist kein Terminal): Die vorhandene Datei bleibt erhalten.",
       "[y] Ja  [n] Nein  [c] Abbrechen  [N] Nein für alle  [A] Ja für alle: "},
      {"it_IT.UTF-8", "a_piccola.jpg",
       "No (lo standard input non è un terminale): il file esistente viene mantenuto.",
       "[y] Sì  [n] No  [c] Annulla  [N] No a tutti  [A] Sì a tutti: "},
  };
  for (const auto& c : cases) {
    QFile existing(dir.filePath(c.output));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    const QString notice = run(c.lang, nullptr);
    EXPECT_TRUE(notice.contains(QString::fromUtf8(c.notice))) << c.lang << ": " << notice;
    const QString asked = run(c.lang, "n\n");
    EXPECT_TRUE(asked.contains(QString::fromUtf8(c.legend))) << c.lang << ": " << asked;
    QFile kept(dir.filePath(c.output));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old") << c.lang << ": both answered No";
  }
}
