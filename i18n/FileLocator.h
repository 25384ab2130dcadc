#pragma once

#include "MoFile.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <shared_mutex>
#include <vector>

namespace lumvale {

// 36 characters that occur exactly once in the executable's file, then the file offset of the
// first entry of the embedded file table as an unsigned 64-bit little-endian number (0: nothing
// embedded). The packaging tool writes those 8 bytes after linking.
// (The characters are spelled out only in the definition, so that no other copy of them lands in
// the file.)
extern const volatile unsigned char EmbeddedTableSignature[44];

// The table offset the packaging tool wrote into this executable (0 when it was not packed).
uint64_t EmbeddedTableOffset();

struct TEmbeddedFileInfo {
  int64_t offset = 0;
  int64_t size = 0;
};

// Knows the files embedded behind the executable's image and hands out shared catalogue readers
// for catalogue paths, embedded or on disk (an embedded file wins over a file of the same path).
// Paths compare as the file system does, with regard to case; embedded names compare without
// regard to case and with "\" and "/" alike.
class TFileLocator {
 public:
  explicit TFileLocator(QString executablePath);
  ~TFileLocator();

  // Reads the table whose first entry lies at tableOffset of the executable (0: nothing is
  // embedded). Stops quietly at any damage, keeping the entries read before it.
  void ScanEmbeddedFiles(uint64_t tableOffset);

  bool IsEmbedded(const QString& path) const;
  // Throws EGGIOError from the reader; the same file and offset share one reader.
  TMoFile& AcquireCatalogue(const QString& path);
  void ReleaseCatalogue(TMoFile& catalogue);

  const QString& ExecutablePath() const { return executablePath_; }
  // The executable's folder with a trailing "/"; empty when nothing is embedded.
  const QString& BaseDirectory() const { return baseDirectory_; }
  // The embedded names as stored, sorted without regard to case.
  std::vector<QString> EmbeddedNames() const;
  size_t OpenCatalogueCount() const;

 private:
  const TEmbeddedFileInfo* FindEmbedded(const QString& path) const;

  QString executablePath_;
  QString baseDirectory_;
  struct Embedded {
    QString name;
    TEmbeddedFileInfo info;
  };
  std::map<QString, Embedded> embeddedFiles_;  // by folded name
  std::map<QString, std::unique_ptr<TMoFile>> openCatalogues_;
  mutable std::shared_mutex lock_;
};

}  // namespace lumvale
