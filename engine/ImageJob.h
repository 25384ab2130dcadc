#pragma once

#include "Bitmap32.h"
#include "JobReport.h"
#include "JobSettings.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumvale {

// A photo made ready to be written: the encoded bytes and the picture they encode.
struct TPreparedImage {
  std::vector<uint8_t> bytes;
  std::unique_ptr<TBitmap32> scaled;
};

// The single image job without its file names and questions: loads the picture at inputPath,
// fits it into the settings' limits with the Lanczos-3 kernel (a JPEG's rows stream from the
// decoder into the shrink, so the full-size picture is never held), encodes it, and lowers the
// quality until the bytes fit the size limit. Tells report each step. Touches no widget and may
// run on any thread. Throws the picture's errors; EAbort when stop becomes true.
TPreparedImage PrepareImage(const QString& inputPath, const TJobSettings& settings,
                            TJobReport& report, const std::atomic<bool>* stop = nullptr);

// The size rules of the job.

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
