#include "JpegImage.h"

#include "Bitmap32.h"
#include "ImagingErrors.h"
#include "JpegCodec.h"

#include <algorithm>
#include <cstring>

namespace lumvale {

namespace {

jpeg::DecodeParams DecodeParamsOf(const TJPEGDefaults& s) {
  jpeg::DecodeParams p;
  p.scaleExponent = s.DecodeScale & 3;
  p.blockSmoothing = s.DecodeSmoothing != 0;
  p.grayscaleOutput = s.GrayscaleOutput != 0;
  p.paletted = s.PalettedOutput != 0;
  p.fast = s.FastDecode != 0;
  return p;
}

// Decodes into a device bitmap: 24-bit colour rows, or 8-bit rows with the palette.
class DeviceBitmapSink final : public jpeg::DecodeSink {
 public:
  explicit DeviceBitmapSink(TDeviceBitmap& target) : target_(target) {}
  void Prepare(int32_t width, int32_t height, bool indexed) override {
    target_.SetSize(width, height, indexed ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);
  }
  bool FourBytesPerPixel() const override { return false; }
  void SetPalette(const std::vector<TColor32>& palette) override { target_.Palette() = palette; }
  uint8_t* Row(int32_t y) override { return target_.ScanLine(y); }

 private:
  TDeviceBitmap& target_;
};

// Decodes straight into the rows of a 32-bit bitmap of the picture's size; libjpeg writes 0xFF
// into the fourth byte of each colour pixel, and indexed rows are looked up in the palette.
class Bitmap32Sink final : public jpeg::DecodeSink {
 public:
  explicit Bitmap32Sink(TBitmap32& target) : target_(target) {}
  void Prepare(int32_t width, int32_t height, bool indexed) override {
    if (width != target_.Width() || height != target_.Height()) {
      throw EJPEG(QStringLiteral("The JPEG picture does not have the size its header announced"));
    }
    if (indexed) indices_.resize(size_t(width));
  }
  bool FourBytesPerPixel() const override { return true; }
  void SetPalette(const std::vector<TColor32>& palette) override {
    // 256 entries, so that any index byte finds one.
    palette_.assign(256, 0xFF000000u);
    std::copy_n(palette.begin(), std::min<size_t>(palette.size(), 256), palette_.begin());
  }
  uint8_t* Row(int32_t y) override {
    return indices_.empty() ? reinterpret_cast<uint8_t*>(target_.RowPointer(y)) : indices_.data();
  }
  void RowDone(int32_t y) override {
    if (indices_.empty()) return;
    TColor32* d = target_.RowPointer(y);
    for (size_t x = 0; x < indices_.size(); ++x) d[x] = palette_[indices_[x]] | 0xFF000000u;
  }

 private:
  TBitmap32& target_;
  std::vector<uint8_t> indices_;
  std::vector<TColor32> palette_;
};

}  // namespace

TJPEGImage::TJPEGImage() : data_(std::make_shared<TJPEGData>()), settings_(JpegDefaultSettings) {}

void TJPEGImage::NewData() {
  data_ = std::make_shared<TJPEGData>();
}

void TJPEGImage::Changed() {
  if (OnChange) OnChange(*this);
}

void TJPEGImage::TakeBitmap(const TDeviceBitmap& bitmap) {
  NewData();
  bitmap_ = std::make_unique<TDeviceBitmap>(bitmap);
}

void TJPEGImage::ShareFrom(const TJPEGImage& other) {
  data_ = other.data_;
  bitmap_ = other.bitmap_ ? std::make_unique<TDeviceBitmap>(*other.bitmap_) : nullptr;
}

void TJPEGImage::SetDecodeSmoothing(bool value) {
  if (value == DecodeSmoothing()) return;
  bitmap_.reset();
  settings_.DecodeSmoothing = value;
  Changed();
}

void TJPEGImage::WriteEncoded(TMemoryStream& stream) {
  EnsureEncoded();
  stream.Write(data_->EncodedBytes.data(), data_->EncodedBytes.size());
}

void TJPEGImage::EnsureEncoded() {
  if (data_->EncodedBytes.empty()) EncodeBitmap();
}

void TJPEGImage::EncodeBitmap() {
  // Encoding replaces the bytes: other images that shared the data keep theirs.
  NewData();
  if (!bitmap_ || bitmap_->Empty()) return;
  TJPEGData& data = *data_;
  data.ImageWidth = bitmap_->Width();
  data.ImageHeight = bitmap_->Height();

  // 24- and 32-bit rows go to the encoder as they are; only a paletted bitmap is converted.
  TDeviceBitmap converted;
  const TDeviceBitmap* pixels = bitmap_.get();
  if (pixels->PixelFormat() == TPixelFormat::pf8bit) {
    converted = pixels->ConvertedTo24Bit();
    pixels = &converted;
  }
  std::vector<const uint8_t*> rows(size_t(pixels->Height()));
  for (int32_t y = 0; y < pixels->Height(); ++y) rows[size_t(y)] = pixels->ScanLine(y);

  jpeg::EncodeParams params;
  params.quality = settings_.EncodeQuality;
  params.progressive = settings_.ProgressiveScans != 0;
  params.grayscale = settings_.GrayscaleOutput != 0;
  if (params.grayscale) data.IsGrayscale = true;
  const jpeg::EncodeSource source{pixels->Width(), pixels->Height(),
                                  pixels->PixelFormat() == TPixelFormat::pf32bit ? 4 : 3,
                                  rows.data()};
  try {
    if (OnProgress) OnProgress(*this, TProgressStage::psStarting, 0);
    jpeg::Encode(source, params, data.EncodedBytes);
    if (OnProgress) OnProgress(*this, TProgressStage::psEnding, 100);
  } catch (const EAbort&) {
    NewData();
  }
}

void TJPEGImage::ReadEncoded(TMemoryStream& stream) {
  const auto begin = stream.Bytes().begin() + std::ptrdiff_t(stream.Position());
  std::vector<uint8_t> bytes(begin, stream.Bytes().end());
  stream.SetPosition(stream.Size());
  ReadBytes(std::move(bytes));
}

void TJPEGImage::LoadFromFile(const QString& path) {
  TMemoryStream stream;
  stream.LoadFromFile(path);
  ReadBytes(std::move(stream.Bytes()));
}

void TJPEGImage::LoadFromBytes(std::vector<uint8_t>&& bytes) {
  ReadBytes(std::move(bytes));
}

void TJPEGImage::ReadBytes(std::vector<uint8_t>&& bytes) {
  NewData();
  bitmap_.reset();
  dataMissing_ = false;
  data_->EncodedBytes = std::move(bytes);
  if (!data_->EncodedBytes.empty()) {
    const jpeg::HeaderInfo header =
        jpeg::ReadHeader(data_->EncodedBytes.data(), data_->EncodedBytes.size());
    data_->ImageWidth = header.width;
    data_->ImageHeight = header.height;
    data_->IsGrayscale = header.grayscale;
    settings_.ProgressiveScans = header.progressive;
  }
  Changed();
}

int32_t TJPEGImage::Width() const {
  if (bitmap_) return bitmap_->Width();
  const int scale = settings_.DecodeScale & 3;
  return int32_t((int64_t(data_->ImageWidth) + (1 << scale) - 1) >> scale);
}

int32_t TJPEGImage::Height() const {
  if (bitmap_) return bitmap_->Height();
  const int scale = settings_.DecodeScale & 3;
  return int32_t((int64_t(data_->ImageHeight) + (1 << scale) - 1) >> scale);
}

void TJPEGImage::SetWidth(int32_t) {
  throw EInvalidGraphicOperation(
      QStringLiteral("Die Größe einer JPEG-Grafik kann nicht verändert werden"));
}

void TJPEGImage::SetHeight(int32_t value) {
  SetWidth(value);
}

const TDeviceBitmap& TJPEGImage::DecodedBitmap() {
  if (!bitmap_) {
    bitmap_ = std::make_unique<TDeviceBitmap>();
    if (!data_->EncodedBytes.empty()) {
      DeviceBitmapSink sink(*bitmap_);
      DecodeInto(sink);
    }
  }
  return *bitmap_;
}

void TJPEGImage::DecodeInto(jpeg::DecodeSink& sink) const {
  if (data_->EncodedBytes.empty()) return;
  dataMissing_ = jpeg::Decode(data_->EncodedBytes.data(), data_->EncodedBytes.size(),
                              DecodeParamsOf(settings_), sink)
                     .dataMissing;
}

bool TJPEGImage::DrawInto(TBitmap32& target) {
  if (bitmap_) {
    target.CopyFrom(*bitmap_);  // makes 8- and 24-bit pixels opaque
    return bitmap_->PixelFormat() != TPixelFormat::pf32bit;
  }
  if (data_->EncodedBytes.empty()) return false;
  Bitmap32Sink sink(target);
  DecodeInto(sink);
  return true;
}

}  // namespace lumvale
