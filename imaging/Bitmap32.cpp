#include "Bitmap32.h"

#include "Graphic.h"
#include "ImagingErrors.h"
#include "PixelCombine.h"
#include "Resamplers.h"

#include <algorithm>
#include <cstring>

namespace lumvale {

TBitmap32::TBitmap32() {
  TBitmap32Resampler::Create<TNearestResampler>(*this);
}

TBitmap32::~TBitmap32() = default;

bool TBitmap32::Resize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width() && height == Height()) return false;
  RecreateStore(Width(), Height(), width, height);
  NotifyChanged();
  AfterResize();
  return true;
}

void TBitmap32::RecreateStore(int32_t, int32_t, int32_t newWidth, int32_t newHeight) {
  store_.reset();
  SetSize(0, 0);
  ClipBounds = {};
  if (newWidth > 0 && newHeight > 0) {
    const uint64_t bytes = uint64_t(newWidth) * uint64_t(newHeight) * sizeof(TColor32);
    if (bytes > kMaxPixelStoreBytes) {
      throw Exception(QStringLiteral("Can't allocate the DIB handle: %1 x %2 pixels exceed the "
                                     "limit of %3 MB")
                          .arg(newWidth)
                          .arg(newHeight)
                          .arg(kMaxPixelStoreBytes >> 20));
    }
    // calloc hands out zero pages without touching them, so a store that is overwritten right
    // away costs no extra pass.
    store_.reset(
        static_cast<TColor32*>(std::calloc(size_t(bytes / sizeof(TColor32)), sizeof(TColor32))));
    if (!store_) throw Exception(QStringLiteral("Can't allocate the DIB handle"));
  }
  SetSize(newWidth, newHeight);
  ClipBounds = FullRect();
}

bool TBitmap32::IsEmpty() const {
  return !store_ || Width() == 0 || Height() == 0;
}

void TBitmap32::MakeOpaque() {
  if (!MeasuringMode && store_) {
    TColor32* p = store_.get();
    const size_t n = size_t(Width()) * size_t(Height());
    for (size_t i = 0; i < n; ++i) p[i] |= 0xFF000000u;
  }
  NotifyChanged();
}

void TBitmap32::SetResampler(std::unique_ptr<TCustomResampler> resampler) {
  if (!resampler || resampler == resampler_) return;
  resampler_ = std::move(resampler);
  NotifyChanged();
}

std::string TBitmap32::ResamplerClassName() const {
  return resampler_->ClassName();
}

void TBitmap32::SetResamplerClassName(std::string_view className) {
  if (className == resampler_->ClassName()) return;
  CreateResamplerByName(className, *this);
}

void TBitmap32::LoadImageFile(const QString& path) {
  CopyFrom(*LoadGraphicFile(path));
}

namespace {
// Runs body between BeginChange and EndChange and ends with NotifyChanged, also when body throws.
template <class Body>
void InChange(TBitmap32& bitmap, Body&& body) {
  bitmap.BeginChange();
  try {
    body();
  } catch (...) {
    bitmap.EndChange();
    bitmap.NotifyChanged();
    throw;
  }
  bitmap.EndChange();
  bitmap.NotifyChanged();
}
}  // namespace

void TBitmap32::CopyFrom(const TBitmap32& source) {
  if (&source == this) return;
  InChange(*this, [&] {
    Resize(source.Width(), source.Height());
    if (!IsEmpty()) {
      std::memcpy(Bits(), source.Bits(), size_t(Width()) * size_t(Height()) * sizeof(TColor32));
    }
    DrawMode = source.DrawMode;
    CombineMode = source.CombineMode;
    WrapMode = source.WrapMode;
    MasterAlpha = source.MasterAlpha;
    OuterColor = source.OuterColor;
    SetResamplerClassName(source.ResamplerClassName());
    source.Resampler().AssignTo(Resampler());
  });
}

void TBitmap32::CopyFrom(TGraphic& picture) {
  InChange(*this, [&] {
    Resize(picture.Width(), picture.Height());
    if (IsEmpty()) return;
    if (!picture.DrawInto(*this)) MakeOpaque();
  });
}

void TBitmap32::CopyFrom(const TDeviceBitmap& source) {
  InChange(*this, [&] {
    Resize(source.Width(), source.Height());
    if (IsEmpty()) return;
    const TPixelFormat format = source.PixelFormat();
    for (int32_t y = 0; y < Height(); ++y) {
      const uint8_t* s = source.ScanLine(y);
      TColor32* d = RowPointer(y);
      switch (format) {
        case TPixelFormat::pf32bit:
          std::memcpy(d, s, size_t(Width()) * sizeof(TColor32));
          break;
        case TPixelFormat::pf24bit:
          for (int32_t x = 0; x < Width(); ++x, s += 3) d[x] = Color32(s[2], s[1], s[0]);
          break;
        case TPixelFormat::pf8bit: {
          const auto& palette = source.Palette();
          for (int32_t x = 0; x < Width(); ++x) {
            d[x] = (s[x] < palette.size() ? palette[s[x]] : 0) | 0xFF000000u;
          }
          break;
        }
      }
    }
    if (source.Transparent) {
      const TColor32 key = source.TransparentColor & 0x00FFFFFFu;
      TColor32* p = Bits();
      const size_t n = size_t(Width()) * size_t(Height());
      for (size_t i = 0; i < n; ++i) {
        if ((p[i] & 0x00FFFFFFu) == key) p[i] &= 0x00FFFFFFu;
      }
    }
  });
}

void TBitmap32::ExportToDeviceBitmap(TDeviceBitmap& target) const {
  target.SetSize(Width(), Height(), TPixelFormat::pf32bit);
  if (IsEmpty()) return;
  for (int32_t y = 0; y < Height(); ++y) {
    std::memcpy(target.ScanLine(y), RowPointer(y), size_t(Width()) * sizeof(TColor32));
  }
}

void TBitmap32::StretchFrom(const TRect& dstRect, const TRect& srcRect, TBitmap32* source) {
  if (!source) return;
  TransferStretched(this, dstRect, ClipBounds, source, srcRect, source->Resampler(),
                    source->DrawMode, source->OnPixelCombine);
}

void TBitmap32::NotifyChanged() {
  NotifyAreaChanged(FullRect(), AREAINFO_RECT);
}

void TBitmap32::NotifyAreaChanged(const TRect& area, uint32_t info) {
  if ((UpdateCount() == 0 || MeasuringMode) && OnAreaChanged) OnAreaChanged(*this, area, info);
  if (!MeasuringMode) TCustomMap::NotifyChanged();
}

namespace {
void CopyBlock(TBitmap32& dst, const TRect& clip, const TBitmap32& src, int32_t srcX, int32_t srcY,
               const TPixelCombiner& combiner) {
  for (int32_t y = 0; y < clip.Height(); ++y) {
    combiner.CombineRow(src.RowPointer(srcY + y) + srcX, dst.RowPointer(clip.Top + y) + clip.Left,
                        clip.Width());
  }
}
}  // namespace

void TransferStretched(TBitmap32* dst, const TRect& dstRect, const TRect& dstClip, TBitmap32* src,
                       const TRect& srcRect, TCustomResampler& resampler, TDrawMode drawMode,
                       const TPixelCombineEvent& combine) {
  if (!dst) throw EBitmapException(QStringLiteral("Destination bitmap is nil"));
  if (!src) throw EBitmapException(QStringLiteral("Source bitmap is nil"));
  if (src->IsEmpty() || dst->IsEmpty()) return;
  if (drawMode == TDrawMode::dmBlend && src->MasterAlpha == 0) return;
  if (srcRect.IsEmpty()) return;
  if (srcRect.Left < 0 || srcRect.Top < 0 || srcRect.Right > src->Width() ||
      srcRect.Bottom > src->Height()) {
    throw ESrcInvalidException(QStringLiteral("Source rectangle is invalid"));
  }
  if (!dst->MeasuringMode) {
    const TRect clip = IntersectRect(IntersectRect(dstClip, dst->FullRect()), dstRect);
    if (clip.IsEmpty()) return;
    if (srcRect.Width() == dstRect.Width() && srcRect.Height() == dstRect.Height()) {
      const TPixelCombiner combiner(drawMode, *src, combine);
      // Overlapping rows of one bitmap are copied safely by memmove in dmOpaque.
      CopyBlock(*dst, clip, *src, srcRect.Left + clip.Left - dstRect.Left,
                srcRect.Top + clip.Top - dstRect.Top, combiner);
    } else {
      resampler.ResampleArea(*dst, dstRect, clip, *src, srcRect, drawMode, combine);
    }
  }
  dst->NotifyAreaChanged(dstRect, AREAINFO_RECT);
}

}  // namespace lumvale
