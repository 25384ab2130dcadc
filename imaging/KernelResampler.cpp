#include "KernelResampler.h"

namespace lumvale {

TKernelResampler::TKernelResampler(TBitmap32& bitmap)
    : TBitmap32Resampler(bitmap), kernel_(std::make_unique<TBoxKernel>()) {}

void TKernelResampler::ResampleArea(TBitmap32& dst, const TRect& dstRect, const TRect& dstClip,
                                    TBitmap32& src, const TRect& srcRect, TDrawMode drawMode,
                                    const TPixelCombineEvent& combine) {
  ResampleWithKernel(dst, dstRect, dstClip, src, srcRect, *kernel_, drawMode, combine);
}

void TKernelResampler::AssignTo(TCustomResampler& target) const {
  TBitmap32Resampler::AssignTo(target);
  if (auto* k = dynamic_cast<TKernelResampler*>(&target)) {
    k->SetKernelClassName(KernelClassName());
    kernel_->AssignTo(k->Kernel());
    k->SetKernelMode(kernelMode_);
    k->SetTableSize(tableSize_);
  }
}

void TKernelResampler::SetKernelClassName(std::string_view className) {
  if (className == kernel_->ClassName()) return;
  if (auto kernel = CreateKernelByName(className)) SetKernel(std::move(kernel));
}

void TKernelResampler::SetKernel(std::unique_ptr<TCustomKernel> kernel) {
  if (!kernel || kernel == kernel_) return;
  kernel_ = std::move(kernel);
  Changed();
}

void TKernelResampler::SetKernelMode(TKernelMode mode) {
  if (mode == kernelMode_) return;
  kernelMode_ = mode;
  Changed();
}

void TKernelResampler::SetTableSize(int32_t size) {
  size = std::max(size, 2);
  if (size == tableSize_) return;
  tableSize_ = size;
  Changed();
}

TKernelResampler& InstallLanczosResampler(TBitmap32& bitmap) {
  auto& resampler = TBitmap32Resampler::Create<TKernelResampler>(bitmap);
  auto kernel = std::make_unique<TLanczosKernel>();
  kernel->SetWidth(3.0f);
  resampler.SetKernel(std::move(kernel));
  resampler.SetKernelMode(TKernelMode::kmDynamic);
  resampler.SetTableSize(32);
  return resampler;
}

}  // namespace lumvale
