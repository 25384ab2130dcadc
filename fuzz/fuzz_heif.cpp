// HEIF files (HEIC, AVIF) on arbitrary bytes: the picture's header, its extras, its rows handed
// to a sink with and without the file's rotation, mirror and crop, and the whole job on the file.
// The first four bytes choose how, the rest is the file:
//   0: bit 0 turn upright, 1 keep the colour profile, 2 keep the information, 3 with the
//      location, 4 progressive output, 5 a size limit, 6 the stored picture first;
//   1: the width limit (bits 0-5, 0: none), bit 6 a sink of three bytes a pixel, bit 7 a sink
//      that stops halfway;
//   2: the height limit (bits 0-5, 0: none), bit 7 the file called .jpg rather than .heic;
//   3: the quality, and the size limit in steps of 8 bytes.
#include "Bitmap32.h"
#include "Exception.h"
#include "FuzzFiles.h"
#include "HeifCodec.h"
#include "HeifImage.h"
#include "ImageJob.h"
#include "ImagingErrors.h"
#include "JobReport.h"
#include "JpegImage.h"
#include "MemoryStream.h"
#include "PhotoInformation.h"

#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Every picture of up to a quarter megapixel is decoded, as in the JPEG targets. Larger ones,
// up to the pixel store limit, would be decoded whole and shrunk, which takes seconds under the
// sanitizers for the same code the small ones run, so only their header is read. Beyond the
// limit the program must refuse them before libheif decodes anything, which is cheap, so those
// go through again: a refusal that does not happen shows as a timeout or the memory limit.
constexpr uint64_t kMaxDecodedPixels = 250'000;

// What libheif announces of the primary picture, the stored size (ispe) as well as the turned
// and cropped one, read apart from the program; 0 when it cannot read the file. Its limit is
// the loosest the program could have (no side longer than the pixel store holds), so that no
// file the program opens goes unmeasured.
uint64_t AnnouncedPixels(const uint8_t* data, size_t size) {
  struct Context {
    heif_context* c = heif_context_alloc();
    heif_image_handle* primary = nullptr;
    ~Context() {
      if (primary) heif_image_handle_release(primary);
      heif_context_free(c);
    }
  } context;
  heif_context_set_maximum_image_size_limit(
      context.c, int(lumvale::kMaxPixelStoreBytes / sizeof(lumvale::TColor32)));
  if (heif_context_read_from_memory_without_copy(context.c, data, size, nullptr).code !=
          heif_error_Ok ||
      heif_context_get_primary_image_handle(context.c, &context.primary).code != heif_error_Ok) {
    return 0;
  }
  auto area = [](int w, int h) { return uint64_t(std::max(w, 0)) * uint64_t(std::max(h, 0)); };
  return std::max(area(heif_image_handle_get_width(context.primary),
                       heif_image_handle_get_height(context.primary)),
                  area(heif_image_handle_get_ispe_width(context.primary),
                       heif_image_handle_get_ispe_height(context.primary)));
}

bool Decodable(uint64_t pixels) {
  return pixels <= kMaxDecodedPixels ||
         pixels * sizeof(lumvale::TColor32) > lumvale::kMaxPixelStoreBytes;
}

// Holds each row in a buffer of its own, exactly as long as the row, so that a write past a
// row's end is caught, and checks what the decoder promises: the size it was told to expect,
// colour rows only, rows in order, the fourth byte 0xFF.
class RowsSink final : public lumvale::jpeg::DecodeSink {
 public:
  RowsSink(int32_t width, int32_t height, bool fourBytes, bool stopHalfway)
      : width_(width), height_(height), fourBytes_(fourBytes), stopHalfway_(stopHalfway) {}

  void Prepare(int32_t width, int32_t height, bool indexed) override {
    if (indexed || width != width_ || height != height_ || width <= 0 || height <= 0) {
      __builtin_trap();
    }
    rows_.resize(size_t(height));
    prepared_ = true;
  }
  bool FourBytesPerPixel() const override { return fourBytes_; }
  void SetPalette(const std::vector<lumvale::TColor32>&) override { __builtin_trap(); }
  uint8_t* Row(int32_t y) override {
    if (!prepared_ || y != next_) __builtin_trap();
    rows_[size_t(y)].assign(size_t(width_) * (fourBytes_ ? 4 : 3), 0);
    return rows_[size_t(y)].data();
  }
  void RowDone(int32_t y) override {
    if (y != next_) __builtin_trap();
    if (fourBytes_) {
      const std::vector<uint8_t>& row = rows_[size_t(y)];
      for (size_t x = 3; x < row.size(); x += 4) {
        if (row[x] != 0xFF) __builtin_trap();
      }
    }
    ++next_;
  }
  bool Stopped() const override { return stopHalfway_ && next_ >= height_ / 2; }

  bool Complete() const { return next_ == height_; }

 private:
  int32_t width_, height_;
  bool fourBytes_, stopHalfway_;
  bool prepared_ = false;
  int32_t next_ = 0;
  std::vector<std::vector<uint8_t>> rows_;
};

// One decode into a sink: it either delivers every row or throws; a sink that stops always ends
// it with EAbort.
void DecodeAll(const lumvale::THEIFImage& picture, int32_t width, int32_t height, bool fourBytes,
               bool stopHalfway) {
  RowsSink sink(width, height, fourBytes, stopHalfway);
  try {
    picture.DecodeInto(sink);
  } catch (const lumvale::EAbort&) {
    if (!stopHalfway) __builtin_trap();
    return;
  }
  if (stopHalfway || !sink.Complete()) __builtin_trap();
}

// The picture on its own: header, extras, and rows, with the file's transformations and
// without them, in the order the input asks for.
void ReadPicture(const uint8_t* data, size_t size, bool decode, bool storedFirst, bool fourBytes,
                 bool stopHalfway) {
  lumvale::THEIFImage picture;
  picture.LoadFromBytes(std::vector<uint8_t>(data, data + size));
  const int32_t width = picture.Width(), height = picture.Height();
  const lumvale::jpeg::FileExtras extras = picture.Extras();
  lumvale::TPhotoInformation information(extras);
  (void)information.Orientation();
  if (!decode || size == 0) return;
  auto turned = [&] {
    picture.SetApplyTransformations(true);
    if (picture.Width() != width || picture.Height() != height) __builtin_trap();
    DecodeAll(picture, width, height, fourBytes, stopHalfway);
  };
  auto stored = [&] {
    picture.SetApplyTransformations(false);
    const int32_t w = picture.Width(), h = picture.Height();  // decodes
    // Twice: the second decode reuses the first one's picture.
    DecodeAll(picture, w, h, fourBytes, stopHalfway);
    DecodeAll(picture, w, h, !fourBytes, false);
  };
  if (storedFirst) {
    try {
      stored();
    } catch (const lumvale::Exception&) {
    }
    turned();
  } else {
    try {
      turned();
    } catch (const lumvale::Exception&) {
    }
    stored();
  }
}

class QuietReport final : public lumvale::TJobReport {
 public:
  void Loading() override {}
  void ImageSize(int32_t, int32_t) override {}
  void ResizeTo(int32_t, int32_t) override {}
  void DataMissing() override {}
  void Scaled(const lumvale::TBitmap32& picture) override {
    width = picture.Width();
    height = picture.Height();
  }
  void InformationLeftOut() override {}
  void ReducingFileSize(int, int, int64_t) override {}
  void Encoded(int, int64_t) override { encoded = true; }

  int32_t width = 0, height = 0;
  bool encoded = false;
};

// The job on the file: the Lanczos shrink (or the copy) of what libheif decodes, the photo
// information step, the encoder and the size-limit loop. The JPEG it makes has the size of the
// scaled picture, within the limits, and reads back without an error.
void RunJob(const uint8_t* data, size_t size, const uint8_t* control) {
  lumvale::TJobSettings settings;
  settings.turnUpright = control[0] & 1;
  settings.keepColourProfile = control[0] & 2;
  settings.keepInformation = control[0] & 4;
  settings.keepLocation = control[0] & 8;
  settings.progressive = control[0] & 16;
  settings.sizeLimit = (control[0] & 32) ? 8 * int64_t(control[3]) + 1 : 0;
  settings.maxWidth = control[1] & 0x3F;
  settings.maxHeight = control[2] & 0x3F;
  settings.quality = control[3];
  const QString path = WriteFuzzFile((control[2] & 0x80) ? "photo.jpg" : "photo.heic", data, size);
  QuietReport report;
  lumvale::TPreparedImage prepared;
  try {
    prepared = lumvale::PrepareImage(path, settings, report);
  } catch (const lumvale::Exception&) {
    return;
  }
  if (!report.encoded || prepared.bytes.empty() || !prepared.scaled) __builtin_trap();
  const int32_t w = prepared.scaled->Width(), h = prepared.scaled->Height();
  if (w != report.width || h != report.height || w <= 0 || h <= 0 ||
      (settings.maxWidth > 0 && w > settings.maxWidth) ||
      (settings.maxHeight > 0 && h > settings.maxHeight)) {
    __builtin_trap();
  }
  lumvale::TMemoryStream stream;
  stream.Write(prepared.bytes.data(), prepared.bytes.size());
  stream.SetPosition(0);
  lumvale::TJPEGImage out;
  try {
    out.ReadEncoded(stream);
  } catch (const lumvale::Exception&) {
    __builtin_trap();
  }
  if (out.Width() != w || out.Height() != h) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t* control = data;
  const uint8_t* file = data + 4;
  const size_t fileSize = size - 4;
  const bool heif = lumvale::heif::IsHeif(file, fileSize);
  const bool decode = Decodable(AnnouncedPixels(file, fileSize));
  try {
    ReadPicture(file, fileSize, decode, control[0] & 64, !(control[1] & 64), control[1] & 128);
  } catch (const lumvale::Exception&) {
  }
  // Other files go the JPEG way, which fuzz_jpeg and fuzz_chain search.
  if (heif && decode) RunJob(file, fileSize, control);
  return 0;
}
