#include "ImageJob.h"

#include "CmykColour.h"
#include "Exception.h"
#include "Graphic.h"
#include "HeifImage.h"
#include "ImagingErrors.h"
#include "JpegCodec.h"
#include "JpegImage.h"
#include "KernelResampler.h"
#include "Orientation.h"
#include "PhotoInformation.h"
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

// A picture whose pixels fit the pixel store streams; anything else is decoded whole first,
// which also raises the errors a whole decode raises (an unknown kind of file, a picture too
// large).
const TStreamedGraphic* Streams(const TGraphic& picture) {
  const auto* streamed = dynamic_cast<const TStreamedGraphic*>(&picture);
  if (!streamed || picture.Width() <= 0 || picture.Height() <= 0) return nullptr;
  const bool fits = uint64_t(picture.Width()) * uint64_t(picture.Height()) * sizeof(TColor32) <=
                    kMaxPixelStoreBytes;
  return fits ? streamed : nullptr;
}

// What goes into the output besides the pixels.
struct TKept {
  std::vector<jpeg::Marker> markers;
  std::vector<uint8_t> icc;
};

void Encode(const TBitmap32& picture, int quality, bool progressive, const TKept& kept,
            std::vector<uint8_t>& out) {
  std::vector<const uint8_t*> rows(size_t(picture.Height()));
  for (int32_t y = 0; y < picture.Height(); ++y) {
    rows[size_t(y)] = reinterpret_cast<const uint8_t*>(picture.RowPointer(y));
  }
  jpeg::EncodeParams params;
  params.quality = uint8_t(quality & 0xFF);  // as the JPEG adapter stores it
  params.progressive = progressive;
  params.grayscale = JpegDefaultSettings.GrayscaleOutput != 0;
  params.markers = kept.markers;
  params.icc = kept.icc;
  out.clear();
  jpeg::Encode({picture.Width(), picture.Height(), 4, rows.data()}, params, out);
}

}  // namespace

TPreparedImage PrepareImage(const QString& inputPath, const TJobSettings& settings,
                            TJobReport& report, const std::atomic<bool>* stop) {
  report.Loading();
  std::unique_ptr<TGraphic> picture = LoadGraphicFile(inputPath);

  // The file's extras are read only when a setting uses them.
  const auto* jpegFile = dynamic_cast<const TJPEGImage*>(picture.get());
  auto* heifFile = dynamic_cast<THEIFImage*>(picture.get());
  const bool extrasUsed =
      settings.turnUpright || settings.keepColourProfile || settings.keepInformation;
  jpeg::FileExtras extras;
  if (jpegFile && !jpegFile->Data().EncodedBytes.empty() && extrasUsed) {
    const std::vector<uint8_t>& bytes = jpegFile->Data().EncodedBytes;
    extras = jpeg::ReadExtras(bytes.data(), bytes.size());
  }
  if (heifFile) {
    // A HEIF file says which way is up by its own rotation and mirror, which libheif applies;
    // its EXIF orientation only repeats them.
    heifFile->SetApplyTransformations(settings.turnUpright);
    if (settings.keepColourProfile || settings.keepInformation) extras = heifFile->Extras();
  }
  TPhotoInformation information(extras);
  const TOrientation turn = settings.turnUpright && !heifFile
                                ? OrientationFromExif(information.Orientation())
                                : TOrientation{};
  const bool turnedUpright = heifFile ? settings.turnUpright : !turn.IsNone();

  TPreparedImage prepared;
  prepared.scaled = std::make_unique<TBitmap32>();
  TBitmap32& target = *prepared.scaled;
  // The scaled picture's own resampler draws the preview from it.
  TBitmap32Resampler::Create<TKernelResampler>(target).SetKernel(
      std::make_unique<TLanczosKernel>());
  const auto kernel = JobKernel();
  // W x H: the picture as stored; U x V: as seen upright; w x h: the output, upright. A turn by
  // 90 degrees scales the stored picture to h x w and transposes the result.
  int32_t W = 0, H = 0, U = 0, V = 0, w = 0, h = 0;
  auto fit = [&] {
    U = turn.transpose ? H : W;
    V = turn.transpose ? W : H;
    TargetSize(U, V, settings.maxWidth, settings.maxHeight, w, h);
    target.Resize(turn.transpose ? h : w, turn.transpose ? w : h);
    return w == U && h == V;
  };

  if (const TStreamedGraphic* streamed = Streams(*picture)) {
    W = picture->Width();
    H = picture->Height();
    if (fit()) {
      // Nothing to scale: the decoder's rows are the picture to encode.
      target.CopyFrom(*picture);
      Mirror(target, turn);
    } else {
      TShrinkingSink sink(target, W, H, *kernel, stop, turn.mirrorRows, turn.upsideDown);
      streamed->DecodeInto(sink);
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
    Mirror(source, turn);
    if (fit()) {
      target.CopyFrom(source);
    } else {
      target.StretchFrom(target.FullRect(), source.FullRect(), &source);
    }
  }
  if (turn.transpose) Transpose(target);
  if (stop && stop->load()) throw EAbort();
  report.ImageSize(U, V);
  if (w != U || h != V) report.ResizeTo(w, h);
  if (const auto* streamed = dynamic_cast<const TStreamedGraphic*>(picture.get());
      streamed && streamed->DataMissing()) {
    report.DataMissing();
  }
  report.Scaled(target);

  TKept kept;
  // A CMYK file's profile describes the inks, not the RGB pixels written; nor does a gray one.
  if (settings.keepColourProfile && !extras.cmyk && IsRgbProfile(extras.icc)) kept.icc = extras.icc;
  if (settings.keepInformation) {
    kept.markers = information.Markers(w, h, turnedUpright, settings.keepLocation);
    if (information.LeftOut()) report.InformationLeftOut();
  }

  int q = settings.quality;
  Encode(target, q, settings.progressive, kept, prepared.bytes);
  if (settings.sizeLimit > 0) {
    for (int n = 0, next;
         (next = NextQuality(int64_t(prepared.bytes.size()), settings.sizeLimit, q)) != 0; ++n) {
      report.ReducingFileSize(q, n, int64_t(prepared.bytes.size()));
      if (stop && stop->load()) throw EAbort();
      q = next;
      Encode(target, q, settings.progressive, kept, prepared.bytes);
    }
  }
  report.Encoded(q, int64_t(prepared.bytes.size()));
  return prepared;
}

}  // namespace lumvale
