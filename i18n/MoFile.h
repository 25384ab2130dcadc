#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

namespace lumvale {

// Read access to one GNU gettext ".mo" catalogue, either a file of its own or a stretch of a
// larger file (a catalogue embedded in the executable). The file is mapped read-only and never
// copied. Every count, offset and length is checked against the catalogue's extent when it is
// opened, so that lookups never read outside the map.
class TMoFile {
 public:
  // size 0 means "up to the end of the file". Throws EGGIOError when the file cannot be opened
  // or mapped, or does not hold a valid catalogue at offset.
  TMoFile(const QString& path, int64_t offset, int64_t size);
  ~TMoFile();
  TMoFile(const TMoFile&) = delete;
  TMoFile& operator=(const TMoFile&) = delete;

  struct TLookupResult {
    std::string_view bytes;  // the translation, or the msgid itself when not found
    bool found;
  };
  // A halving search over the sorted msgids. The bytes of a translation stay valid as long as
  // this object lives.
  TLookupResult Lookup(std::string_view msgid) const;

  uint32_t EntryCount() const { return entryCount_; }
  // The msgid of entry index (0-based, below EntryCount()).
  std::string_view MsgidAt(uint32_t index) const { return String(msgidsOffset_, index); }
  uint32_t SearchStart() const { return searchStart_; }
  uint32_t SearchStep() const { return searchStep_; }
  bool ByteSwapped() const { return byteSwapped_; }

  // How many domains hold this catalogue; changed only under the file locator's lock.
  int32_t users = 0;

 private:
  uint32_t Word(uint64_t offset) const;
  std::string_view String(uint32_t table, uint32_t index) const;

  const uint8_t* map_ = nullptr;
  size_t mapSize_ = 0;
  const uint8_t* catalogueBase_ = nullptr;
  uint64_t catalogueSize_ = 0;
  bool byteSwapped_ = false;
  uint32_t entryCount_ = 0;
  uint32_t msgidsOffset_ = 0;
  uint32_t translationsOffset_ = 0;
  uint32_t searchStart_ = 0;
  uint32_t searchStep_ = 0;
};

}  // namespace lumvale
