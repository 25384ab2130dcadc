#include "ScaleJob.h"

#include "JpegImage.h"
#include "KernelResampler.h"

namespace lumvale {

void FitSize(int32_t width, int32_t height, const TScaleSettings& settings, int32_t& fitWidth,
             int32_t& fitHeight) {
  int64_t w = width, h = height;
  if (settings.maxWidth > 0 && settings.maxWidth < w) {
    h = int64_t(height) * settings.maxWidth / width;
    w = settings.maxWidth;
  }
  if (settings.maxHeight > 0 && settings.maxHeight < h) {
    w = int64_t(width) * settings.maxHeight / height;
    h = settings.maxHeight;
  }
  fitWidth = int32_t(w);
  fitHeight = int32_t(h);
}

void ScaleToStream(const QString& inputPath, TBitmap32& source, const TScaleSettings& settings,
                   TMemoryStream& stream) {
  source.LoadImageFile(inputPath);
  int32_t w = 0, h = 0;
  FitSize(source.Width(), source.Height(), settings, w, h);

  TBitmap32 target;
  target.Resize(w, h);
  if (w == source.Width() || h == source.Height()) {
    target.CopyFrom(source);
  } else {
    target.StretchFrom(target.FullRect(), source.FullRect(), &source);
  }
  TDeviceBitmap plain;
  target.ExportToDeviceBitmap(plain);

  TJPEGImage jpeg;
  jpeg.TakeBitmap(plain);
  jpeg.SetEncodeQuality(settings.quality);
  jpeg.SetProgressiveScans(settings.progressive);
  jpeg.SetDecodeSmoothing(true);
  stream.Clear();
  jpeg.WriteEncoded(stream);
}

}  // namespace lumvale
