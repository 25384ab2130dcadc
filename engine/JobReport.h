#pragma once

#include <cstdint>
#include <vector>

namespace lumvale {

class TBitmap32;

// What a job tells while it prepares a photo, in this order: Loading; ImageSize; ResizeTo when
// the picture is scaled; DataMissing when the file was cut short or garbled; Scaled;
// InformationLeftOut when photo information to keep was damaged; ReducingFileSize once per
// round of the size-limit loop; Encoded.
// The listener turns them into status lines, progress steps and the preview.
class TJobReport {
 public:
  virtual ~TJobReport() = default;
  virtual void Loading() = 0;
  virtual void ImageSize(int32_t width, int32_t height) = 0;
  virtual void ResizeTo(int32_t width, int32_t height) = 0;
  // The file lacks part of its picture (cut short, or a garbled segment): that part is grey.
  virtual void DataMissing() = 0;
  // The picture as it is encoded; valid during the call.
  virtual void Scaled(const TBitmap32& picture) = 0;
  virtual void InformationLeftOut() = 0;
  virtual void ReducingFileSize(int quality, int round, int64_t size) = 0;
  virtual void Encoded(int quality, int64_t size) = 0;
};

// Keeps what a job told on another thread, to be told again, in the same order, on the thread
// that shows it.
class TRecordedReport final : public TJobReport {
 public:
  void Loading() override { events_.push_back({Kind::loading}); }
  void ImageSize(int32_t width, int32_t height) override {
    events_.push_back({Kind::imageSize, width, height});
  }
  void ResizeTo(int32_t width, int32_t height) override {
    events_.push_back({Kind::resizeTo, width, height});
  }
  void DataMissing() override { events_.push_back({Kind::dataMissing}); }
  void Scaled(const TBitmap32&) override { events_.push_back({Kind::scaled}); }
  void InformationLeftOut() override { events_.push_back({Kind::leftOut}); }
  void ReducingFileSize(int quality, int round, int64_t size) override {
    events_.push_back({Kind::reducing, quality, round, size});
  }
  void Encoded(int quality, int64_t size) override {
    events_.push_back({Kind::encoded, quality, 0, size});
  }

  // scaled is the picture the job kept (TPreparedImage::scaled).
  void ReplayTo(TJobReport& listener, const TBitmap32& scaled) const {
    for (const Event& e : events_) {
      switch (e.kind) {
        case Kind::loading:
          listener.Loading();
          break;
        case Kind::imageSize:
          listener.ImageSize(e.a, e.b);
          break;
        case Kind::resizeTo:
          listener.ResizeTo(e.a, e.b);
          break;
        case Kind::dataMissing:
          listener.DataMissing();
          break;
        case Kind::scaled:
          listener.Scaled(scaled);
          break;
        case Kind::leftOut:
          listener.InformationLeftOut();
          break;
        case Kind::reducing:
          listener.ReducingFileSize(e.a, e.b, e.size);
          break;
        case Kind::encoded:
          listener.Encoded(e.a, e.size);
          break;
      }
    }
  }

 private:
  enum class Kind { loading, imageSize, resizeTo, dataMissing, scaled, leftOut, reducing, encoded };
  struct Event {
    Kind kind;
    int32_t a = 0, b = 0;
    int64_t size = 0;
  };
  std::vector<Event> events_;
};

}  // namespace lumvale
