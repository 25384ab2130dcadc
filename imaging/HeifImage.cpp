#include "HeifImage.h"

#include "Bitmap32.h"
#include "ImagingErrors.h"
#include "MemoryStream.h"

namespace lumvale {

namespace {

// Decodes straight into the rows of a 32-bit bitmap of the picture's size.
class Bitmap32Rows final : public jpeg::DecodeSink {
 public:
  explicit Bitmap32Rows(TBitmap32& target) : target_(target) {}
  void Prepare(int32_t width, int32_t height, bool) override {
    if (width != target_.Width() || height != target_.Height()) {
      throw EHEIF(QStringLiteral("The HEIF picture does not have the size the file announced"));
    }
  }
  bool FourBytesPerPixel() const override { return true; }
  void SetPalette(const std::vector<TColor32>&) override {}
  uint8_t* Row(int32_t y) override { return reinterpret_cast<uint8_t*>(target_.RowPointer(y)); }

 private:
  TBitmap32& target_;
};

}  // namespace

THEIFImage::THEIFImage() = default;
THEIFImage::~THEIFImage() = default;

void THEIFImage::LoadFromFile(const QString& path) {
  TMemoryStream stream;
  stream.LoadFromFile(path);
  LoadFromBytes(std::move(stream.Bytes()));
}

void THEIFImage::LoadFromBytes(std::vector<uint8_t>&& bytes) {
  picture_.reset();
  file_.reset();  // it reads the old bytes
  bytes_ = std::move(bytes);
  if (!bytes_.empty()) file_ = std::make_unique<heif::File>(bytes_.data(), bytes_.size());
}

void THEIFImage::SetApplyTransformations(bool value) {
  if (value != params_.applyTransformations) picture_.reset();
  params_.applyTransformations = value;
}

const heif::Decoded& THEIFImage::Picture() const {
  if (!picture_) picture_ = file_->Decode(params_);
  return *picture_;
}

int32_t THEIFImage::Width() const {
  return file_ ? Picture().Width() : 0;
}

int32_t THEIFImage::Height() const {
  return file_ ? Picture().Height() : 0;
}

bool THEIFImage::DrawInto(TBitmap32& target) {
  if (!file_) return false;
  Bitmap32Rows sink(target);
  DecodeInto(sink);
  return true;
}

void THEIFImage::DecodeInto(jpeg::DecodeSink& sink) const {
  if (!file_) return;
  // Delivered once, the decoded picture is not kept: the job's memory goes to what follows.
  const std::unique_ptr<heif::Decoded> picture =
      picture_ ? std::move(picture_) : file_->Decode(params_);
  picture->Deliver(sink);
}

jpeg::FileExtras THEIFImage::Extras() const {
  jpeg::FileExtras extras;
  if (!file_) return extras;
  extras.icc = file_->IccProfile();
  TNclx nclx;
  if (extras.icc.empty() && file_->ReadNclx(nclx)) extras.icc = ProfileForNclx(nclx);
  extras.exif = file_->Exif();
  extras.xmp = file_->Xmp();
  return extras;
}

}  // namespace lumvale
