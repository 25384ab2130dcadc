#pragma once

#include "Kernels.h"
#include "Resamplers.h"

#include <memory>
#include <string>
#include <string_view>

namespace lumvale {

enum class TKernelMode { kmDynamic, kmTableNearest, kmTableLinear };

// A separable filter resampler: the exact fixed-point kernel stretch of ResampleWithKernel.
// Every change of its properties notifies its bitmap; a change of a kernel parameter does not.
class TKernelResampler final : public TBitmap32Resampler {
 public:
  // Starts with a TBoxKernel, kmDynamic and a table size of 32.
  explicit TKernelResampler(TBitmap32& bitmap);

  const char* ClassName() const override { return "TKernelResampler"; }
  void ResampleArea(TBitmap32& dst, const TRect& dstRect, const TRect& dstClip, TBitmap32& src,
                    const TRect& srcRect, TDrawMode drawMode,
                    const TPixelCombineEvent& combine) override;
  void AssignTo(TCustomResampler& target) const override;

  std::string KernelClassName() const { return kernel_->ClassName(); }
  // A known kernel class name other than the current one replaces the kernel by a new one of
  // that class with default parameters; other names change nothing.
  void SetKernelClassName(std::string_view className);

  TCustomKernel& Kernel() const { return *kernel_; }
  // Ignores nullptr; otherwise the resampler owns the new kernel and frees the old one.
  void SetKernel(std::unique_ptr<TCustomKernel> kernel);

  // Used by per-point sampling only; a stretch never depends on them.
  TKernelMode KernelMode() const { return kernelMode_; }
  void SetKernelMode(TKernelMode mode);
  int32_t TableSize() const { return tableSize_; }
  // Values below 2 are raised to 2.
  void SetTableSize(int32_t size);

 private:
  std::unique_ptr<TCustomKernel> kernel_;
  TKernelMode kernelMode_ = TKernelMode::kmDynamic;
  int32_t tableSize_ = 32;
};

// Gives bitmap the resampler every downscale of this program samples with: a TKernelResampler
// with a Lanczos kernel of width 3, kmDynamic and a table size of 32.
TKernelResampler& InstallLanczosResampler(TBitmap32& bitmap);

// Writes every destination pixel of clip by the kernel: per destination row, a vertical pass
// over the whole horizontal span, then a horizontal pass, on integer sums of 8.8 fixed-point
// weights, packed by clamping (when the kernel clamps) and truncating to bits 16..23.
void ResampleWithKernel(TBitmap32& dst, const TRect& dstRect, const TRect& clip, TBitmap32& src,
                        const TRect& srcRect, const TCustomKernel& kernel, TDrawMode drawMode,
                        const TPixelCombineEvent& combine);

}  // namespace lumvale
