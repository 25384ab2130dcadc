#include "Catalogues.h"
#include "FileLocator.h"
#include "GnuGettextErrors.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace lumvale;
using namespace lumvale::test;

namespace {

void PutU64(QByteArray& b, qsizetype at, uint64_t v) {
  for (int i = 0; i < 8; ++i) b[at + i] = char(v >> (8 * i));
}

struct Entry {
  std::string name;
  QByteArray data;
  qsizetype nameField = 232;
};

// An "executable": some image bytes, the files, zero bytes to a multiple of 256, the entries,
// the 8 zero bytes that end the chain. Returns the offset of the first entry.
uint64_t MakeExecutable(const QString& path, const std::vector<Entry>& entries,
                        QByteArray* out = nullptr) {
  QByteArray exe(3000, 'E');
  std::vector<std::pair<uint64_t, uint64_t>> where;
  for (const Entry& e : entries) {
    where.emplace_back(exe.size(), e.data.size());
    exe += e.data;
  }
  exe.resize((exe.size() + 255) / 256 * 256, '\0');
  const uint64_t first = uint64_t(exe.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const qsizetype at = exe.size();
    exe.resize(at + 24 + entries[i].nameField, ' ');
    PutU64(exe, at, uint64_t(exe.size()));
    PutU64(exe, at + 8, where[i].first);
    PutU64(exe, at + 16, where[i].second);
    std::memcpy(exe.data() + at + 24, entries[i].name.data(), entries[i].name.size());
  }
  exe.append(8, '\0');
  if (out) *out = exe;
  WriteBytes(path, exe);
  return first;
}

const char* kDe = "locale\\de\\LC_MESSAGES\\default.mo";
const char* kIt = "locale\\it\\LC_MESSAGES\\default.mo";

}  // namespace

TEST(FileLocator, ReadsTheTableAndFindsEmbeddedFiles) {
  QTemporaryDir dir;
  const QString exe = dir.filePath("lumvale");
  const uint64_t table = MakeExecutable(exe, {{kDe, CompileCatalogue({{"Run", "Starten"}})},
                                              {kIt, CompileCatalogue({{"Run", "Avvia"}})}});
  TFileLocator locator(exe);
  locator.ScanEmbeddedFiles(table);
  EXPECT_EQ(locator.BaseDirectory(), dir.path() + "/");
  const std::vector<QString> names = locator.EmbeddedNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], kDe) << "blanks are trimmed";
  EXPECT_EQ(names[1], kIt);

  const QString base = locator.BaseDirectory();
  EXPECT_TRUE(locator.IsEmbedded(base + "locale/de/LC_MESSAGES/default.mo"));
  EXPECT_TRUE(locator.IsEmbedded(base + "LOCALE/DE/LC_MESSAGES/DEFAULT.MO")) << "names ignore case";
  EXPECT_TRUE(locator.IsEmbedded(base + kIt)) << "either separator";
  EXPECT_FALSE(locator.IsEmbedded(base.toUpper() + "locale/de/LC_MESSAGES/default.mo"))
      << "the folder compares with regard to case";
  EXPECT_FALSE(locator.IsEmbedded("locale/de/LC_MESSAGES/default.mo"));
  EXPECT_FALSE(locator.IsEmbedded(base + "locale/fr/LC_MESSAGES/default.mo"));

  // An embedded file wins over a file on disk of the same path.
  WriteBytes(dir.filePath("locale/de/LC_MESSAGES/default.mo"),
             CompileCatalogue({{"Run", "Laufen"}}));
  TMoFile& de = locator.AcquireCatalogue(base + "locale/de/LC_MESSAGES/default.mo");
  EXPECT_EQ(de.Lookup("Run").bytes, "Starten");
  TMoFile& again = locator.AcquireCatalogue(base + "locale/DE/LC_MESSAGES/default.mo");
  EXPECT_EQ(&again, &de) << "one reader per file and offset";
  EXPECT_EQ(de.users, 2);
  TMoFile& it = locator.AcquireCatalogue(base + "locale/it/LC_MESSAGES/default.mo");
  EXPECT_EQ(it.Lookup("Run").bytes, "Avvia");
  EXPECT_EQ(locator.OpenCatalogueCount(), 2u);
  locator.ReleaseCatalogue(de);
  EXPECT_EQ(locator.OpenCatalogueCount(), 2u);
  locator.ReleaseCatalogue(again);
  EXPECT_EQ(locator.OpenCatalogueCount(), 1u);
  locator.ReleaseCatalogue(it);
  EXPECT_EQ(locator.OpenCatalogueCount(), 0u);

  // A catalogue on disk that is not embedded.
  WriteBytes(dir.filePath("locale/pt/LC_MESSAGES/default.mo"),
             CompileCatalogue({{"Run", "Executar"}}));
  TMoFile& pt = locator.AcquireCatalogue(base + "locale/pt/LC_MESSAGES/default.mo");
  EXPECT_EQ(pt.Lookup("Run").bytes, "Executar");
  locator.ReleaseCatalogue(pt);
  EXPECT_THROW(locator.AcquireCatalogue(base + "locale/xx/LC_MESSAGES/default.mo"), EGGIOError);
  EXPECT_EQ(locator.OpenCatalogueCount(), 0u);
}

TEST(FileLocator, NoTableNoEmbeddedFiles) {
  QTemporaryDir dir;
  const QString exe = dir.filePath("lumvale");
  MakeExecutable(exe, {{kDe, CompileCatalogue({{"Run", "Starten"}})}});
  TFileLocator locator(exe);
  locator.ScanEmbeddedFiles(0);
  EXPECT_TRUE(locator.EmbeddedNames().empty());
  EXPECT_TRUE(locator.BaseDirectory().isEmpty());
  EXPECT_FALSE(locator.IsEmbedded(dir.path() + "/" + kDe));
}

TEST(FileLocator, DamagedTablesKeepWhatWasReadBefore) {
  QTemporaryDir dir;
  const QString exe = dir.filePath("lumvale");
  QByteArray bytes;
  const QByteArray mo = CompileCatalogue({{"Run", "Starten"}});
  const uint64_t table = MakeExecutable(exe, {{kDe, mo}, {kIt, mo}, {"third", mo}}, &bytes);
  const qsizetype second = qsizetype(table) + 256, third = second + 256;

  const struct {
    const char* what;
    qsizetype at;
    uint64_t value;
    size_t kept;
  } cases[] = {
      {"a next entry beyond the end", second, uint64_t(bytes.size()) + 100, 1},
      {"a chain leading back (a next entry before its own name)", third, table, 2},
      {"a next entry inside its own header", second, uint64_t(second) + 10, 1},
      {"an embedded file beyond the end", second + 16, uint64_t(bytes.size()), 1},
      {"a huge name field", second, uint64_t(second) + 1000000, 1},
      {"the first entry beyond the end", -1, 0, 0},
  };
  for (const auto& c : cases) {
    QByteArray damaged = bytes;
    if (c.at >= 0) PutU64(damaged, c.at, c.value);
    WriteBytes(exe, damaged);
    TFileLocator locator(exe);
    locator.ScanEmbeddedFiles(c.at >= 0 ? table : uint64_t(bytes.size()) + 7);
    EXPECT_EQ(locator.EmbeddedNames().size(), c.kept) << c.what;
  }

  // A repeated name ends the scan: the name of the second entry spelled in capitals.
  const uint64_t repeatedTable =
      MakeExecutable(exe, {{kDe, mo}, {"LOCALE/DE/LC_MESSAGES/DEFAULT.MO", mo}, {kIt, mo}});
  TFileLocator repeated(exe);
  repeated.ScanEmbeddedFiles(repeatedTable);
  EXPECT_EQ(repeated.EmbeddedNames().size(), 1u);

  TFileLocator missing(dir.filePath("no-such-file"));
  missing.ScanEmbeddedFiles(table);
  EXPECT_TRUE(missing.EmbeddedNames().empty());
}

TEST(FileLocator, TheProgramsOwnSignatureIsReadable) {
  // Test programs are not packed: their table offset is 0.
  EXPECT_EQ(EmbeddedTableOffset(), 0u);
  char guid[37] = {};
  for (int i = 0; i < 36; ++i) guid[i] = char(EmbeddedTableSignature[i]);
  EXPECT_STREQ(guid, "6637DB2E-62E1-4A60-AC19-C23867046A89");
}
