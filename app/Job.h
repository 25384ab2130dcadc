#pragma once

#include "Exception.h"

#include <QString>

#include <cstdint>
#include <exception>

namespace lumvale {

// The error that ended the job on a photo, as the user reads it after the run: the photo's path,
// then the message of the error behind it. That error stays reachable, with its own kind, as the
// nested exception (std::rethrow_if_nested); construct this only while handling it.
class EJobError : public Exception, public std::nested_exception {
 public:
  EJobError(const QString& inputPath, const QString& reason);
  const QString& InputPath() const { return inputPath_; }

 private:
  QString inputPath_;
};

// The rules of the single image job that depend on nothing but their inputs.

// The output file name: the input name unchanged without an addition; with one, the base name
// (without its last extension) and the addition joined by "_", then ".jpg".
QString OutputName(const QString& inputName, bool addExtension, bool suffix,
                   const QString& addition);

// The output folder with a trailing "/": the given folder, else the chosen one, else the
// input's own folder.
QString OutputFolderFor(const QString& inputPath, const QString& outputFolder,
                        bool chosenFolderMode, const QString& chosenFolder);

// The size that fits the limits (0 or less: no limit) with the aspect ratio kept, never
// enlarging: the width limit first, then the height limit against the height it produced, with
// the width taken from the source width. A dimension that would truncate to 0 becomes 1.
void TargetSize(int32_t W, int32_t H, int32_t maxWidth, int32_t maxHeight, int32_t& w, int32_t& h);

// How much the quality drops for a size that is ratio percent of the limit.
int QualityStep(int64_t ratio);

// The quality of the next encoding for a stream of size bytes made at quality q, or 0 when the
// loop ends: the size is within the limit, or q is 5 or less. Never below 1.
int NextQuality(int64_t size, int64_t limit, int q);

}  // namespace lumvale
