#include "Catalogues.h"
#include "GnuGettextErrors.h"
#include "MoFile.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <random>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// 139 msgids, as many as the program's catalogues hold: msgfmt sorts them.
Messages ManyMessages() {
  Messages m;
  for (int i = 0; i < 138; ++i) {
    m.emplace_back("text " + std::to_string(i * 7919 % 1000), "Text " + std::to_string(i));
  }
  std::sort(m.begin(), m.end());
  m.erase(std::unique(m.begin(), m.end(), [](auto& a, auto& b) { return a.first == b.first; }),
          m.end());
  return m;
}

std::string Found(const TMoFile& mo, const std::string& msgid) {
  const auto r = mo.Lookup(msgid);
  return r.found ? std::string(r.bytes) : "<not found>";
}

}  // namespace

TEST(MoFile, SearchFindsEveryEntryInBothByteOrders) {
  const Messages messages = ManyMessages();
  ASSERT_EQ(messages.size(), 138u);
  const QByteArray le = CompileCatalogue(messages);
  QTemporaryDir dir;
  WriteBytes(dir.filePath("le.mo"), le);
  WriteBytes(dir.filePath("be.mo"), BigEndianTwin(le));
  for (const char* name : {"le.mo", "be.mo"}) {
    const TMoFile mo(dir.filePath(name), 0, 0);
    EXPECT_EQ(mo.ByteSwapped(), std::strcmp(name, "be.mo") == 0);
    ASSERT_EQ(mo.EntryCount(), 139u) << "the header entry counts";
    EXPECT_EQ(mo.SearchStart(), 128u);
    EXPECT_EQ(mo.SearchStep(), 64u);
    for (const auto& [id, str] : messages) EXPECT_EQ(Found(mo, id), str) << name << ": " << id;
    EXPECT_TRUE(Found(mo, "").starts_with("Content-Type: text/plain; charset=UTF-8"));
    for (const char* absent : {"\x01 first", "text 5000", "text", "zzz", "text 99 "}) {
      const auto r = mo.Lookup(absent);
      EXPECT_FALSE(r.found) << absent;
      EXPECT_EQ(r.bytes, absent) << "a miss returns the msgid";
    }
  }
}

TEST(MoFile, SmallTablesAndByteOrderOfComparison) {
  QTemporaryDir dir;
  // "&Abort" sorts before "Abort" ('&' is 0x26); a prefix sorts before the longer text; bytes
  // compare unsigned, so "\xC3..." comes after ASCII.
  const Messages m = {{"&Abort", "&Abbrechen"},
                      {"Abort", "Abbruch"},
                      {"Ab", "Kurz"},
                      {"\xC3\x9C"
                       "ber",
                       "über"}};
  WriteBytes(dir.filePath("m.mo"), CompileCatalogue(m));
  const TMoFile mo(dir.filePath("m.mo"), 0, 0);
  for (const auto& [id, str] : m) EXPECT_EQ(Found(mo, id), str);
  EXPECT_EQ(Found(mo, "abort"), "<not found>") << "no case folding";
  EXPECT_EQ(Found(mo, "Abort\r\n"), "<not found>");

  const struct {
    Messages messages;
    uint32_t start, step;
  } sizes[] = {{{}, 0, 0}, {{{"a", "A"}}, 1, 0}, {{{"a", "A"}, {"b", "B"}}, 2, 1}};
  for (const auto& s : sizes) {
    WriteBytes(dir.filePath("s.mo"), BuildCatalogue(s.messages));
    const TMoFile small(dir.filePath("s.mo"), 0, 0);
    EXPECT_EQ(small.SearchStart(), s.start);
    EXPECT_EQ(small.SearchStep(), s.step);
    for (const auto& [id, str] : s.messages) EXPECT_EQ(Found(small, id), str);
    EXPECT_FALSE(small.Lookup("c").found);
    EXPECT_FALSE(small.Lookup("").found);
  }
}

TEST(MoFile, CatalogueAtAnOffsetOfALargerFile) {
  QTemporaryDir dir;
  QByteArray file(1000, '\xFF');  // bytes before the catalogue are never looked at
  file += CompileCatalogue({{"Run", "Starten"}});
  const qsizetype end = file.size();
  file += QByteArray(50, 'x');
  WriteBytes(dir.filePath("exe"), file);
  const TMoFile mo(dir.filePath("exe"), 1000, end - 1000);
  EXPECT_EQ(Found(mo, "Run"), "Starten");
}

TEST(MoFile, DamagedCataloguesAreRefused) {
  QTemporaryDir dir;
  const QByteArray good = BuildCatalogue({{"a", "A"}, {"b", "B"}});
  auto word = [](QByteArray b, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
    return b;
  };
  const struct {
    const char* what;
    QByteArray bytes;
  } cases[] = {
      {"wrong magic", word(good, 0, 0x12345678)},
      {"cut in the header", good.left(20)},
      {"empty file", QByteArray()},
      {"count beyond the file", word(good, 8, 0x10000000)},
      {"msgid table beyond the file", word(good, 12, 0xFFFFFFF0)},
      {"translation table beyond the file", word(good, 16, uint32_t(good.size()))},
      {"string length beyond the file", word(good, 28, 0x7FFFFFFF)},
      {"string offset beyond the file", word(good, 28 + 16 + 4, 0xFFFFFFFF)},
      {"offset plus length wraps 32 bits", word(word(good, 28, 0x10), 32, 0xFFFFFFF8)},
  };
  for (const auto& c : cases) {
    const QString path = dir.filePath("bad.mo");
    WriteBytes(path, c.bytes);
    try {
      TMoFile mo(path, 0, 0);
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const EGGIOError& e) {
      EXPECT_EQ(e.Message(), "This file is not a valid GNU gettext mo file: " + path) << c.what;
    }
  }
  // The size from the table bounds an embedded catalogue, even inside a larger file.
  WriteBytes(dir.filePath("exe"), good + QByteArray(100, '\0'));
  EXPECT_THROW(TMoFile(dir.filePath("exe"), 0, 20), EGGIOError);
  EXPECT_THROW(TMoFile(dir.filePath("exe"), 5000, 0), EGGIOError);

  try {
    TMoFile mo(dir.filePath("absent.mo"), 0, 0);
    FAIL();
  } catch (const EGGIOError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + dir.filePath("absent.mo"));
  }
  EXPECT_THROW(TMoFile(dir.path(), 0, 0), EGGIOError) << "a folder is no catalogue";
}

TEST(MoFile, RealCatalogueMatchesMsgunfmt) {
  // A large catalogue that Debian installs, read as it is on this machine.
  const QString real = LargestSystemCatalogue();
  if (real.isEmpty()) GTEST_SKIP() << "no large catalogue under /usr/share/locale";
  // Messages with system-dependent segments (%<PRIdMAX>) live in a table of their own that only
  // the C library's gettext expands; the program's catalogues have none.
  Messages expected = Unformat(real);
  std::erase_if(expected, [](const auto& m) { return m.first.find("%<") != std::string::npos; });
  ASSERT_GT(expected.size(), 300u) << real.toStdString();
  QTemporaryDir dir;
  QFile f(real);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray le = f.readAll();
  WriteBytes(dir.filePath("be.mo"), BigEndianTwin(le));
  for (const QString& path : {real, dir.filePath("be.mo")}) {
    const TMoFile mo(path, 0, 0);
    size_t mismatches = 0;
    for (const auto& [id, str] : expected) {
      const auto r = mo.Lookup(id);
      if (!r.found || r.bytes != str) {
        if (++mismatches <= 3) ADD_FAILURE() << "msgid [" << id << "] found " << r.found;
      }
    }
    EXPECT_EQ(mismatches, 0u) << path << " with " << expected.size() << " messages";
  }
}

TEST(MoFile, MutatedCataloguesNeverReadOutside) {
  // Random damage either is refused or leaves a catalogue whose lookups stay inside it; run
  // under AddressSanitizer this shows any stray read.
  const Messages m = {{"", "Content-Type: text/plain; charset=UTF-8\n"},
                      {"Abort", "Abbruch"},
                      {"Run", "Starten"},
                      {"Zoom", "Vergrößern"}};
  const QByteArray good = BuildCatalogue(m);
  QTemporaryDir dir;
  std::mt19937 rng(11);
  int refused = 0;
  for (int round = 0; round < 2000; ++round) {
    QByteArray bytes = good;
    for (int k = 0, n = 1 + int(rng() % 4); k < n; ++k) {
      bytes[int(rng() % uint32_t(bytes.size()))] = char(rng());
    }
    if (rng() % 8 == 0) bytes.truncate(int(rng() % uint32_t(bytes.size())));
    WriteBytes(dir.filePath("m.mo"), bytes);
    try {
      const TMoFile mo(dir.filePath("m.mo"), 0, 0);
      for (const auto& [id, str] : m) (void)mo.Lookup(id);
      (void)mo.Lookup("absent");
    } catch (const EGGIOError&) {
      ++refused;
    }
  }
  EXPECT_GT(refused, 100);
  EXPECT_LT(refused, 2000);
}
