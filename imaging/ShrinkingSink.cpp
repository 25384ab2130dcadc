#include "ShrinkingSink.h"

#include "ImagingErrors.h"

#include <algorithm>

namespace lumvale {

TShrinkingSink::TShrinkingSink(TBitmap32& target, int32_t sourceWidth, int32_t sourceHeight,
                               const TCustomKernel& kernel, const std::atomic<bool>* stop,
                               bool mirrorRows, bool upsideDown)
    : target_(target),
      width_(sourceWidth),
      height_(sourceHeight),
      kernel_(kernel),
      stop_(stop),
      mirrorRows_(mirrorRows),
      upsideDown_(upsideDown) {}

TShrinkingSink::~TShrinkingSink() = default;

void TShrinkingSink::Prepare(int32_t width, int32_t height, bool indexed) {
  if (width != width_ || height != height_) {
    throw EJPEG(QStringLiteral("The JPEG picture does not have the size its header announced"));
  }
  const int32_t w = target_.Width(), h = target_.Height();
  const auto mapX = BuildContributions(0, w, 0, w, 0, width_, kernel_);
  const auto mapY = BuildContributions(0, h, 0, h, 0, height_, kernel_);
  if (mapX && mapY && !mapX->empty() && !mapY->empty()) {
    plan_ = std::make_unique<TStretchPlan>(*mapX, *mapY, 0, height_, kernel_.ClampsOutput());
    windowRows_ = std::max(upsideDown_ ? plan_->WindowRowsUpward() : plan_->WindowRows(), 1);
    nextGroup_ = upsideDown_ ? plan_->Groups() - 1 : 0;
    const int32_t spanLo = plan_->SpanLo();
    rowAt_ = [this, spanLo](int32_t row) {
      return reinterpret_cast<const uint8_t*>(Slot(row) + spanLo);
    };
    output_ = [this](int32_t row) { return target_.RowPointer(row); };
    done_ = [](int32_t, TColor32*) {};
  }
  // Every slot is written by the decoder before a pass reads it, so the window is not cleared.
  window_ = std::make_unique_for_overwrite<TColor32[]>(size_t(windowRows_) * size_t(width_));
  if (indexed) indices_.resize(size_t(width));
}

void TShrinkingSink::SetPalette(const std::vector<TColor32>& palette) {
  // 256 entries, so that any index byte finds one.
  palette_.assign(256, 0xFF000000u);
  std::copy_n(palette.begin(), std::min<size_t>(palette.size(), 256), palette_.begin());
}

uint8_t* TShrinkingSink::Row(int32_t y) {
  return indices_.empty() ? reinterpret_cast<uint8_t*>(Slot(SourceRow(y))) : indices_.data();
}

void TShrinkingSink::RowDone(int32_t decoded) {
  const int32_t y = SourceRow(decoded);
  TColor32* row = Slot(y);
  if (!indices_.empty()) {
    for (size_t x = 0; x < indices_.size(); ++x) row[x] = palette_[indices_[x]] | 0xFF000000u;
  }
  if (mirrorRows_) std::reverse(row, row + width_);
  if (!plan_) return;
  // Every group whose source rows are all here runs now, while the rows it reads are still in
  // the window: rows arrive downward, or upward for a picture turned upside down.
  if (upsideDown_) {
    while (nextGroup_ >= 0 && plan_->NeedLo(nextGroup_) >= y) {
      plan_->RunGroup(nextGroup_--, rowAt_, output_, done_);
    }
    return;
  }
  while (nextGroup_ < plan_->Groups() && plan_->NeedHi(nextGroup_) <= y) {
    plan_->RunGroup(nextGroup_++, rowAt_, output_, done_);
  }
}

bool TShrinkingSink::Stopped() const {
  return stop_ && stop_->load(std::memory_order_relaxed);
}

}  // namespace lumvale
