// The whole road of a photo on small pictures: decode, Lanczos shrink to a size taken from the
// input, encode at a quality taken from it.
#include "Bitmap32.h"
#include "ImagingErrors.h"
#include "JpegImage.h"
#include "KernelResampler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int targetWidth = 1 + data[0] % 64, targetHeight = 1 + data[1] % 64, quality = data[2];
  const bool progressive = data[3] & 1;
  try {
    lumvale::TMemoryStream stream;
    stream.Write(data + 4, size - 4);
    stream.SetPosition(0);
    lumvale::TJPEGImage jpeg;
    jpeg.ReadEncoded(stream);
    if (int64_t(jpeg.Width()) * jpeg.Height() > 250'000) return 0;  // small pictures only
    lumvale::TBitmap32 source;
    lumvale::InstallLanczosResampler(source);
    source.CopyFrom(jpeg);
    lumvale::TBitmap32 target;
    target.Resize(targetWidth, targetHeight);
    target.StretchFrom(target.FullRect(), source.FullRect(), &source);
    lumvale::TDeviceBitmap plain;
    target.ExportToDeviceBitmap(plain);
    lumvale::TJPEGImage out;
    out.TakeBitmap(plain);
    out.SetEncodeQuality(quality);
    out.SetProgressiveScans(progressive);
    lumvale::TMemoryStream encoded;
    out.WriteEncoded(encoded);
    if (!source.IsEmpty() && encoded.Size() == 0) __builtin_trap();
  } catch (const lumvale::Exception&) {
  }
  return 0;
}
