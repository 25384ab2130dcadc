#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace lumvale {

// Where a test can make the writing of an output file fail: after half of the bytes, or after
// all of them just before the file is renamed into place.
enum class TOutputStage { afterHalf, beforeRename };
// A test's fault seam: returns true to make the write fail at that stage. Empty in the program.
inline std::function<bool(TOutputStage)> OutputFault;

// A growable byte buffer with a position, as the encoder writes into and the loader reads from.
class TMemoryStream {
 public:
  int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
  int64_t Position() const { return position_; }
  void SetPosition(int64_t position);

  // Writes at the position, growing the stream as needed; the position moves past the bytes.
  void Write(const void* data, size_t count);
  // Reads at most count bytes from the position; returns how many were read.
  size_t Read(void* data, size_t count);
  void Clear();

  const uint8_t* Data() const { return bytes_.data(); }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  // Replaces the stream's contents by the whole file; EFileError names the file on failure.
  void LoadFromFile(const QString& path);
  // Writes the whole stream to path, creating or replacing it. The bytes go to a temporary file
  // beside the target first, which is renamed over it only once complete: a failed write never
  // leaves a partial file nor harms an existing one. EFileError names the file on failure.
  void SaveToFile(const QString& path) const;

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

}  // namespace lumvale
