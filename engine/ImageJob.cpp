#include "ImageJob.h"

#include "Exception.h"
#include "Graphic.h"
#include "ImagingErrors.h"
#include "JpegCodec.h"
#include "JpegImage.h"
#include "KernelResampler.h"
#include "PlatformTexts.h"
#include "ShrinkingSink.h"
#include "TextMarker.h"

#include <algorithm>

namespace lumvale {

void TargetSize(int32_t W, int32_t H, int32_t maxWidth, int32_t maxHeight, int32_t& w, int32_t& h) {
  // 64-bit products: a dimension times a limit can pass 2^31.
  int64_t tw = W, th = H;
  if (maxWidth > 0 && maxWidth < W) {
    th = int64_t(H) * maxWidth / W;
    tw = maxWidth;
  }
  if (maxHeight > 0 && maxHeight < th) {
    tw = int64_t(W) * maxHeight / H;
    th = maxHeight;
  }
  w = int32_t(std::max<int64_t>(tw, 1));
  h = int32_t(std::max<int64_t>(th, 1));
}

int QualityStep(int64_t ratio) {
  if (ratio >= 601) return 20;
  if (ratio >= 301) return 10;
  if (ratio >= 181) return 6;
  if (ratio >= 121) return 4;
  if (ratio >= 111) return 2;
  return 1;
}

int NextQuality(int64_t size, int64_t limit, int q) {
  if (size <= limit || q <= 5) return 0;
  return std::max(q - QualityStep(size * 100 / limit), 1);
}

namespace {

// The kernel every picture is scaled with: Lanczos with three lobes.
std::unique_ptr<TLanczosKernel> JobKernel() {
  auto kernel = std::make_unique<TLanczosKernel>();
  kernel->SetWidth(3.0f);
  return kernel;
}

// A JPEG whose pixels fit the pixel store streams; anything else is decoded whole first, which
// also raises the errors a whole decode raises (an unknown kind of file, a picture too large).
bool Streams(const TGraphic& picture) {
  const auto* jpeg = dynamic_cast<const TJPEGImage*>(&picture);
  if (!jpeg || jpeg->Width() <= 0 || jpeg->Height() <= 0) return false;
  return uint64_t(jpeg->Width()) * uint64_t(jpeg->Height()) * sizeof(TColor32) <=
         kMaxPixelStoreBytes;
}

void Encode(const TBitmap32& picture, int quality, bool progressive, std::vector<uint8_t>& out) {
  std::vector<const uint8_t*> rows(size_t(picture.Height()));
  for (int32_t y = 0; y < picture.Height(); ++y) {
    rows[size_t(y)] = reinterpret_cast<const uint8_t*>(picture.RowPointer(y));
  }
  jpeg::EncodeParams params;
  params.quality = uint8_t(quality & 0xFF);  // as the JPEG adapter stores it
  params.progressive = progressive;
  params.grayscale = JpegDefaultSettings.GrayscaleOutput != 0;
  out.clear();
  jpeg::Encode({picture.Width(), picture.Height(), 4, rows.data()}, params, out);
}

}  // namespace

TPreparedImage PrepareImage(const QString& inputPath, const TJobSettings& settings,
                            TJobReport& report, const std::atomic<bool>* stop) {
  report.Loading();
  std::unique_ptr<TGraphic> picture = CreateGraphicForFile(inputPath);
  picture->LoadFromFile(inputPath);

  TPreparedImage prepared;
  prepared.scaled = std::make_unique<TBitmap32>();
  TBitmap32& target = *prepared.scaled;
  // The scaled picture's own resampler draws the preview from it.
  TBitmap32Resampler::Create<TKernelResampler>(target).SetKernel(
      std::make_unique<TLanczosKernel>());
  const auto kernel = JobKernel();
  int32_t W = 0, H = 0, w = 0, h = 0;

  if (Streams(*picture)) {
    W = picture->Width();
    H = picture->Height();
    TargetSize(W, H, settings.maxWidth, settings.maxHeight, w, h);
    target.Resize(w, h);
    if (w == W && h == H) {
      // Nothing to scale: the decoder's rows are the picture to encode.
      target.CopyFrom(*picture);
    } else {
      TShrinkingSink sink(target, W, H, *kernel, stop);
      static_cast<const TJPEGImage&>(*picture).DecodeInto(sink);
    }
  } else {
    TBitmap32 source;
    InstallLanczosResampler(source);
    source.CombineMode = TCombineMode::cmMerge;
    source.CopyFrom(*picture);
    W = source.Width();
    H = source.Height();
    if (W == 0 || H == 0) {
      throw Exception(
          TranslatePlatformText(N_("The picture file \"%1\" is empty.")).arg(inputPath));
    }
    TargetSize(W, H, settings.maxWidth, settings.maxHeight, w, h);
    target.Resize(w, h);
    if (w == W && h == H) {
      target.CopyFrom(source);
    } else {
      target.StretchFrom(target.FullRect(), source.FullRect(), &source);
    }
  }
  if (stop && stop->load()) throw EAbort();
  report.ImageSize(W, H);
  if (w != W || h != H) report.ResizeTo(w, h);
  report.Scaled(target);

  int q = settings.quality;
  Encode(target, q, settings.progressive, prepared.bytes);
  if (settings.sizeLimit > 0) {
    for (int n = 0, next;
         (next = NextQuality(int64_t(prepared.bytes.size()), settings.sizeLimit, q)) != 0; ++n) {
      report.ReducingFileSize(q, n, int64_t(prepared.bytes.size()));
      if (stop && stop->load()) throw EAbort();
      q = next;
      Encode(target, q, settings.progressive, prepared.bytes);
    }
  }
  report.Encoded(q, int64_t(prepared.bytes.size()));
  return prepared;
}

}  // namespace lumvale
