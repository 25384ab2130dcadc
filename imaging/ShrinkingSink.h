#pragma once

#include "Bitmap32.h"
#include "JpegCodec.h"
#include "Kernels.h"
#include "StretchPlan.h"

#include <atomic>
#include <memory>
#include <vector>

namespace lumvale {

// Decoded rows flow through a window of source rows, just tall enough for the contribution lists
// that need them, into a kernel shrink of the whole picture onto the whole target: the same bytes
// as a stretch from a fully decoded picture, without ever holding one. Source pixels are made as
// a decode into a 32-bit bitmap makes them (opaque, palette indices looked up).
class TShrinkingSink final : public jpeg::DecodeSink {
 public:
  // target has the destination size already; every one of its rows is written. When stop is
  // given and becomes true, the decode ends with EAbort before the next row. The source may be
  // mirrored on its way in, left to right and top to bottom: the target is then the shrink of
  // the mirrored picture, byte for byte.
  TShrinkingSink(TBitmap32& target, int32_t sourceWidth, int32_t sourceHeight,
                 const TCustomKernel& kernel, const std::atomic<bool>* stop = nullptr,
                 bool mirrorRows = false, bool upsideDown = false);
  ~TShrinkingSink() override;

  void Prepare(int32_t width, int32_t height, bool indexed) override;
  bool FourBytesPerPixel() const override { return true; }
  void SetPalette(const std::vector<TColor32>& palette) override;
  uint8_t* Row(int32_t y) override;
  void RowDone(int32_t y) override;
  bool Stopped() const override;

  // Source rows held at once (for the tests of the window's height).
  int32_t WindowRows() const { return windowRows_; }

 private:
  TColor32* Slot(int32_t y) { return window_.get() + size_t(y % windowRows_) * size_t(width_); }
  // The row of the (mirrored) source picture that decoded row y becomes.
  int32_t SourceRow(int32_t y) const { return upsideDown_ ? height_ - 1 - y : y; }

  TBitmap32& target_;
  int32_t width_, height_;
  const TCustomKernel& kernel_;
  const std::atomic<bool>* stop_;
  const bool mirrorRows_, upsideDown_;
  std::unique_ptr<TStretchPlan> plan_;
  // Where the plan reads source rows and writes target rows; made once in Prepare.
  TStretchPlan::RowAt rowAt_;
  TStretchPlan::Output output_;
  TStretchPlan::Done done_;
  int32_t windowRows_ = 1;
  int32_t nextGroup_ = 0;  // upside down: the next group from the last one down
  std::unique_ptr<TColor32[]> window_;
  std::vector<uint8_t> indices_;
  std::vector<TColor32> palette_;
};

}  // namespace lumvale
