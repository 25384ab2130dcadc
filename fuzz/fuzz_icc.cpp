// Colour profiles on hostile APP2 markers. The input is a list of chunks, each a marker number,
// a marker count, a length (two bytes) and that many bytes; each becomes an APP2 "ICC_PROFILE"
// marker of a small CMYK JPEG and of a small YCbCr one. Then the extras are read (libjpeg puts
// the profile together, or leaves it out) and the CMYK picture is decoded, through Little CMS
// when the profile is one it can use.
#include "FuzzPictures.h"
#include "ImagingErrors.h"
#include "JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::vector<uint8_t>> chunks;
  for (size_t at = 0; at + 4 <= size && chunks.size() < 64;) {
    const size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
    std::vector<uint8_t> chunk = {'I', 'C', 'C', '_', 'P', 'R',      'O',
                                  'F', 'I', 'L', 'E', 0,   data[at], data[at + 1]};
    at += 4;
    const size_t take = std::min(length, size - at);
    chunk.insert(chunk.end(), data + at, data + at + take);
    at += take;
    chunks.push_back(std::move(chunk));
  }
  for (const std::vector<uint8_t>* base : {&fuzz::CmykJpeg(), &fuzz::ColourJpeg()}) {
    const std::vector<uint8_t> file = fuzz::WithApps(*base, 2, chunks);
    try {
      (void)lumvale::jpeg::ReadExtras(file.data(), file.size());
      lumvale::TMemoryStream stream;
      stream.Write(file.data(), file.size());
      stream.SetPosition(0);
      lumvale::TJPEGImage jpeg;
      jpeg.ReadEncoded(stream);
      (void)jpeg.DecodedBitmap();
    } catch (const lumvale::Exception&) {
    }
  }
  return 0;
}
