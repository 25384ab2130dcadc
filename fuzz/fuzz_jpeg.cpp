// The JPEG adapter on arbitrary bytes: the header, the decoded device bitmap, and loading a file
// into a 32-bit bitmap.
#include "Bitmap32.h"
#include "FuzzFiles.h"
#include "ImagingErrors.h"
#include "JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    lumvale::TMemoryStream stream;
    stream.Write(data, size);
    stream.SetPosition(0);
    lumvale::TJPEGImage jpeg;
    jpeg.ReadEncoded(stream);
    // Pictures of more than a quarter megapixel are left to the size limit tests; here they only
    // slow the search down.
    if (int64_t(jpeg.Width()) * jpeg.Height() <= 250'000) (void)jpeg.DecodedBitmap();
  } catch (const lumvale::Exception&) {
  }
  try {
    lumvale::TBitmap32 bitmap;
    const QString path = WriteFuzzFile("picture.jpg", data, size);
    lumvale::TJPEGImage header;
    header.LoadFromFile(path);
    if (int64_t(header.Width()) * header.Height() <= 250'000) bitmap.LoadImageFile(path);
  } catch (const lumvale::Exception&) {
  }
  return 0;
}
