#include "MoFile.h"

#include "GnuGettextErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumvale {

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr uint32_t kMagicSwapped = 0xde120495;
constexpr uint64_t kHeaderSize = 28;

// Closes a descriptor on every path out of the constructor.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

QString NotACatalogue(const QString& path) {
  return QStringLiteral("This file is not a valid GNU gettext mo file: ") + path;
}

}  // namespace

TMoFile::TMoFile(const QString& path, int64_t offset, int64_t size) {
  const QByteArray native = path.toLocal8Bit();
  FileDescriptor file{::open(native.constData(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) throw EGGIOError(QStringLiteral("Cannot open file ") + path);
  struct stat info {};
  if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    throw EGGIOError(QStringLiteral("Cannot create memory map on file ") + path);
  }
  const auto fileSize = static_cast<uint64_t>(info.st_size);
  if (offset < 0 || size < 0 || uint64_t(offset) > fileSize ||
      uint64_t(size) > fileSize - uint64_t(offset) || fileSize - uint64_t(offset) < kHeaderSize) {
    throw EGGIOError(NotACatalogue(path));
  }
  void* map = ::mmap(nullptr, fileSize, PROT_READ, MAP_SHARED, file.fd, 0);
  if (map == MAP_FAILED) {
    throw EGGIOError(QStringLiteral("Cannot map file ") + path +
                     QStringLiteral(" into memory. Reason: ") +
                     QString::fromLocal8Bit(std::strerror(errno)));
  }
  map_ = static_cast<const uint8_t*>(map);
  mapSize_ = fileSize;
  catalogueBase_ = map_ + offset;
  catalogueSize_ = size > 0 ? uint64_t(size) : fileSize - uint64_t(offset);

  try {
    uint32_t magic;
    std::memcpy(&magic, catalogueBase_, 4);  // little-endian on this platform
    if (magic == kMagicSwapped) {
      byteSwapped_ = true;
    } else if (magic != kMagic) {
      throw EGGIOError(NotACatalogue(path));
    }
    entryCount_ = Word(8);
    msgidsOffset_ = Word(12);
    translationsOffset_ = Word(16);
    // Both tables and every string they describe must lie inside the catalogue; all sums are
    // 64-bit, so no 32-bit field can make them wrap.
    const uint64_t tableBytes = uint64_t(entryCount_) * 8;
    if (uint64_t(msgidsOffset_) + tableBytes > catalogueSize_ ||
        uint64_t(translationsOffset_) + tableBytes > catalogueSize_) {
      throw EGGIOError(NotACatalogue(path));
    }
    for (uint32_t table : {msgidsOffset_, translationsOffset_}) {
      for (uint64_t i = 0; i < entryCount_; ++i) {
        const uint64_t length = Word(table + 8 * i), start = Word(table + 8 * i + 4);
        if (start + length > catalogueSize_) throw EGGIOError(NotACatalogue(path));
      }
    }
  } catch (...) {
    ::munmap(const_cast<uint8_t*>(map_), mapSize_);
    throw;
  }

  uint32_t remaining = entryCount_;
  searchStart_ = 1;
  while (remaining != 0) {
    searchStart_ *= 2;
    remaining /= 2;
  }
  searchStart_ /= 2;
  searchStep_ = searchStart_ / 2;
}

TMoFile::~TMoFile() {
  ::munmap(const_cast<uint8_t*>(map_), mapSize_);
}

uint32_t TMoFile::Word(uint64_t offset) const {
  uint32_t v;
  std::memcpy(&v, catalogueBase_ + offset, 4);
  return byteSwapped_ ? __builtin_bswap32(v) : v;
}

std::string_view TMoFile::String(uint32_t table, uint32_t index) const {
  const uint64_t descriptor = uint64_t(table) + 8 * uint64_t(index);
  return {reinterpret_cast<const char*>(catalogueBase_) + Word(descriptor + 4), Word(descriptor)};
}

TMoFile::TLookupResult TMoFile::Lookup(std::string_view msgid) const {
  if (entryCount_ == 0) return {msgid, false};
  uint32_t i = searchStart_, step = searchStep_;  // i counts from 1
  for (;;) {
    const std::string_view entry = String(msgidsOffset_, i - 1);
    // Unsigned byte order (memcmp), a prefix before the longer string.
    const size_t common = std::min(msgid.size(), entry.size());
    int result = common > 0 ? std::memcmp(msgid.data(), entry.data(), common) : 0;
    if (result == 0)
      result = msgid.size() < entry.size() ? -1 : msgid.size() > entry.size() ? 1 : 0;
    if (result == 0) return {String(translationsOffset_, i - 1), true};
    if (step == 0) return {msgid, false};
    if (result < 0) {
      i = i >= step + 1 ? i - step : 1;
    } else {
      i += step;
      if (i > entryCount_) i = entryCount_;
    }
    step /= 2;
  }
}

}  // namespace lumvale
