#pragma once

#include "Color32.h"
#include "DeviceBitmap.h"
#include "Persistent.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace lumvale {

class TCustomResampler;
class TGraphic;

enum class TDrawMode { dmOpaque, dmBlend, dmCustom, dmTransparent };
enum class TCombineMode { cmBlend, cmMerge };
enum class TWrapMode { wmClamp, wmRepeat, wmMirror };

// Combines a foreground colour with a destination pixel at a master alpha.
using TPixelCombineEvent =
    std::function<void(TColor32 foreground, TColor32& background, uint8_t masterAlpha)>;
using TAreaChangedEvent = std::function<void(class TBitmap32&, const TRect&, uint32_t info)>;

// The info word of an area change that covers a rectangle.
constexpr uint32_t AREAINFO_RECT = 0x80000000u;

// The largest pixel store a bitmap will allocate: 1 GiB, room for 268 megapixels, so that a
// 100-megapixel photo loads while a damaged header cannot exhaust memory.
constexpr uint64_t kMaxPixelStoreBytes = uint64_t(1) << 30;

// A width x height raster of TColor32, rows top to bottom, row stride exactly the width. It owns
// the resampler used when it is the source of a stretch.
class TBitmap32 : public TCustomMap {
 public:
  TBitmap32();
  ~TBitmap32() override;
  TBitmap32(const TBitmap32&) = delete;
  TBitmap32& operator=(const TBitmap32&) = delete;

  // A negative argument counts as 0. Returns whether the size changed; a new store is all zero.
  // Throws Exception when the store cannot be allocated, leaving the bitmap empty.
  virtual bool Resize(int32_t width, int32_t height);
  void MakeEmpty() { Resize(0, 0); }
  virtual bool IsEmpty() const;
  TRect FullRect() const { return {0, 0, Width(), Height()}; }

  TColor32* Bits() { return store_.get(); }
  const TColor32* Bits() const { return store_.get(); }
  TColor32* RowPointer(int32_t y) { return store_.get() + size_t(y) * size_t(Width()); }
  const TColor32* RowPointer(int32_t y) const { return store_.get() + size_t(y) * size_t(Width()); }

  // Sets every alpha to 255 (skipped in measuring mode), then NotifyChanged.
  void MakeOpaque();

  TCustomResampler& Resampler() const { return *resampler_; }
  // Ignores nullptr and the resampler already installed; otherwise frees the old one.
  void SetResampler(std::unique_ptr<TCustomResampler> resampler);
  std::string ResamplerClassName() const;
  // A name of a known resampler class installs a new resampler of that class for this bitmap;
  // any other name changes nothing.
  void SetResamplerClassName(std::string_view className);

  // Loads a picture file, choosing the picture class by extension. Throws EInvalidGraphic for an
  // unknown extension and EJPEG for a file that is no JPEG, both before the bitmap is touched.
  void LoadImageFile(const QString& path);

  // Copies size, pixels and settings (modes, master alpha, outer colour, resampler class and
  // properties) of another bitmap.
  void CopyFrom(const TBitmap32& source);
  // Draws a picture 1:1 into a store of its size; every alpha becomes 255.
  void CopyFrom(TGraphic& picture);
  // Copies a device bitmap 1:1; opaque unless it has 32 bits per pixel; pixels of the
  // transparent colour of a transparent device bitmap get alpha 0.
  void CopyFrom(const TDeviceBitmap& source);
  // No source: the bitmap becomes empty.
  void CopyFrom(std::nullptr_t) { Resize(0, 0); }

  // The bitmap as a 32-bit device bitmap of the same size, bytes copied 1:1.
  void ExportToDeviceBitmap(TDeviceBitmap& target) const;

  // Stretches srcRect of source into dstRect of this bitmap through the source's resampler,
  // within ClipBounds. Nothing happens for a null source.
  void StretchFrom(const TRect& dstRect, const TRect& srcRect, TBitmap32* source);

  void NotifyChanged() override;
  virtual void NotifyAreaChanged(const TRect& area, uint32_t info);

  TRect ClipBounds;
  TDrawMode DrawMode = TDrawMode::dmOpaque;
  TCombineMode CombineMode = TCombineMode::cmBlend;
  TWrapMode WrapMode = TWrapMode::wmClamp;
  uint8_t MasterAlpha = 255;
  TColor32 OuterColor = 0;
  TPixelCombineEvent OnPixelCombine;
  TAreaChangedEvent OnAreaChanged;
  // When set, transfers only report the area they would touch.
  bool MeasuringMode = false;

 protected:
  virtual void RecreateStore(int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                             int32_t newHeight);
  virtual void AfterResize() {}

 private:
  struct FreeDeleter {
    void operator()(TColor32* p) const { std::free(p); }
  };
  std::unique_ptr<TColor32, FreeDeleter> store_;
  std::unique_ptr<TCustomResampler> resampler_;
};

// Stretches (or copies, at equal sizes) srcRect of src into dstRect of dst, clipped to dstClip,
// combining pixels by drawMode, then reports the destination rectangle as changed.
// Throws EBitmapException for a null bitmap and ESrcInvalidException for a source rectangle
// outside the source; empty bitmaps, an empty source rectangle or clip return quietly.
void TransferStretched(TBitmap32* dst, const TRect& dstRect, const TRect& dstClip, TBitmap32* src,
                       const TRect& srcRect, TCustomResampler& resampler, TDrawMode drawMode,
                       const TPixelCombineEvent& combine);

}  // namespace lumvale
