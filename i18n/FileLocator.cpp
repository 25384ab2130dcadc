#include "FileLocator.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <mutex>

namespace lumvale {

// Kept in the executable even though the program only reads its last 8 bytes; volatile, so that
// the compiler cannot assume those bytes stay 0.
[[gnu::used]] const volatile unsigned char EmbeddedTableSignature[44] = {
    '6', '6', '3', '7', 'D', 'B', '2', 'E', '-', '6', '2', 'E', '1', '-', '4',
    'A', '6', '0', '-', 'A', 'C', '1', '9', '-', 'C', '2', '3', '8', '6', '7',
    '0', '4', '6', 'A', '8', '9', 0,   0,   0,   0,   0,   0,   0,   0};

uint64_t EmbeddedTableOffset() {
  uint64_t offset = 0;
  for (int i = 7; i >= 0; --i) offset = offset << 8 | EmbeddedTableSignature[36 + i];
  return offset;
}

namespace {

// Embedded names compare without regard to case, with either separator.
QString Folded(const QString& name) {
  return QString(name).replace(u'\\', u'/').toLower();
}

// A table whose entries exceed these is taken as damaged.
constexpr uint64_t kMaxNameLength = 4096;
constexpr size_t kMaxEntries = 4096;

bool ReadU64(QFile& file, uint64_t& value) {
  unsigned char bytes[8];
  if (file.read(reinterpret_cast<char*>(bytes), 8) != 8) return false;
  value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
  return true;
}

}  // namespace

TFileLocator::TFileLocator(QString executablePath) : executablePath_(std::move(executablePath)) {}

TFileLocator::~TFileLocator() = default;

void TFileLocator::ScanEmbeddedFiles(uint64_t tableOffset) {
  if (tableOffset == 0) return;
  baseDirectory_ = QFileInfo(executablePath_).absolutePath() + u'/';
  QFile file(executablePath_);
  if (!file.open(QIODevice::ReadOnly)) return;
  const auto fileSize = uint64_t(file.size());
  uint64_t current = tableOffset;
  while (embeddedFiles_.size() < kMaxEntries) {
    uint64_t next = 0, offset = 0, size = 0;
    if (current > fileSize || !file.seek(qint64(current)) || !ReadU64(file, next) || next == 0) {
      return;
    }
    if (!ReadU64(file, offset) || !ReadU64(file, size)) return;
    const uint64_t nameStart = current + 24;
    if (next < nameStart || next - nameStart > kMaxNameLength || next > fileSize) return;
    const QByteArray raw = file.read(qint64(next - nameStart));
    if (uint64_t(raw.size()) != next - nameStart) return;
    // Blanks and control characters go from both ends (every byte up to and including 0x20).
    qsizetype from = 0, to = raw.size();
    while (from < to && uchar(raw[from]) <= 0x20) ++from;
    while (to > from && uchar(raw[to - 1]) <= 0x20) --to;
    const QString name = QString::fromUtf8(raw.mid(from, to - from));
    if (offset > fileSize || size > fileSize - offset) return;
    if (!embeddedFiles_.emplace(Folded(name), Embedded{name, {int64_t(offset), int64_t(size)}})
             .second) {
      return;  // a repeated name: the chain leads back
    }
    current = next;
  }
}

const TEmbeddedFileInfo* TFileLocator::FindEmbedded(const QString& path) const {
  if (baseDirectory_.isEmpty() || !path.startsWith(baseDirectory_)) return nullptr;
  const auto it = embeddedFiles_.find(Folded(path.mid(baseDirectory_.size())));
  return it == embeddedFiles_.end() ? nullptr : &it->second.info;
}

bool TFileLocator::IsEmbedded(const QString& path) const {
  return FindEmbedded(path) != nullptr;
}

TMoFile& TFileLocator::AcquireCatalogue(const QString& path) {
  QString realPath = path;
  int64_t offset = 0, size = 0;
  if (const TEmbeddedFileInfo* info = FindEmbedded(path)) {
    realPath = executablePath_;
    offset = info->offset;
    size = info->size;
  }
  const QString key = realPath + QChar(0) + QString::number(offset);
  std::unique_lock guard(lock_);
  auto it = openCatalogues_.find(key);
  if (it == openCatalogues_.end()) {
    it = openCatalogues_.emplace(key, std::make_unique<TMoFile>(realPath, offset, size)).first;
  }
  ++it->second->users;
  return *it->second;
}

void TFileLocator::ReleaseCatalogue(TMoFile& catalogue) {
  std::unique_lock guard(lock_);
  if (--catalogue.users > 0) return;
  for (auto it = openCatalogues_.begin(); it != openCatalogues_.end(); ++it) {
    if (it->second.get() == &catalogue) {
      openCatalogues_.erase(it);
      return;
    }
  }
}

std::vector<QString> TFileLocator::EmbeddedNames() const {
  std::vector<QString> names;
  for (const auto& [folded, entry] : embeddedFiles_) names.push_back(entry.name);
  return names;
}

size_t TFileLocator::OpenCatalogueCount() const {
  std::shared_lock guard(lock_);
  return openCatalogues_.size();
}

}  // namespace lumvale
