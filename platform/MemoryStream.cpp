#include "MemoryStream.h"

#include "Exception.h"
#include "PlatformTexts.h"
#include "TextMarker.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace lumvale {

void TMemoryStream::SetPosition(int64_t position) {
  position_ = std::clamp<int64_t>(position, 0, Size());
}

void TMemoryStream::Write(const void* data, size_t count) {
  if (count == 0) return;
  const size_t end = static_cast<size_t>(position_) + count;
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, data, count);
  position_ = static_cast<int64_t>(end);
}

size_t TMemoryStream::Read(void* data, size_t count) {
  const size_t available = bytes_.size() - static_cast<size_t>(position_);
  const size_t n = std::min(count, available);
  if (n > 0) std::memcpy(data, bytes_.data() + position_, n);
  position_ += static_cast<int64_t>(n);
  return n;
}

void TMemoryStream::Clear() {
  bytes_.clear();
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw EFileError(
        TranslatePlatformText(N_("Cannot open file \"%1\". %2")).arg(path, file.errorString()));
  }
  const qint64 size = file.size();
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<qint64>(size, 0)));
  if (size > 0 && file.read(reinterpret_cast<char*>(bytes.data()), size) != size) {
    throw EFileError(
        TranslatePlatformText(N_("Cannot read file \"%1\". %2")).arg(path, file.errorString()));
  }
  bytes_ = std::move(bytes);
  position_ = 0;
}

void TMemoryStream::SaveToFile(const QString& path) const {
  QSaveFile file(path);
  // Without this, QSaveFile falls back to writing the target in place when the folder is not
  // writable for a temporary file, which could leave a partial file.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    throw EFileError(
        TranslatePlatformText(N_("Cannot create file \"%1\". %2")).arg(path, file.errorString()));
  }
  const auto fail = [&](const QString& reason) {
    file.cancelWriting();  // the temporary file goes; an existing target stays as it was
    throw EFileError(TranslatePlatformText(N_("Cannot write file \"%1\". %2")).arg(path, reason));
  };
  // Two halves, so that a failure in the middle of the data can be simulated.
  const qint64 size = Size();
  const qint64 half = size / 2;
  const char* data = reinterpret_cast<const char*>(bytes_.data());
  if (half > 0 && file.write(data, half) != half) fail(file.errorString());
  if (OutputFault && OutputFault(TOutputStage::afterHalf))
    fail(QStringLiteral("Simulated failure"));
  if (size - half > 0 && file.write(data + half, size - half) != size - half) {
    fail(file.errorString());
  }
  if (OutputFault && OutputFault(TOutputStage::beforeRename)) {
    fail(QStringLiteral("Simulated failure"));
  }
  if (!file.commit()) {
    throw EFileError(
        TranslatePlatformText(N_("Cannot write file \"%1\". %2")).arg(path, file.errorString()));
  }
}

}  // namespace lumvale
