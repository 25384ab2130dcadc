#include "PhotoInformation.h"

#include <jpeglib.h>
#include <exiv2/exiv2.hpp>

#include <cstring>
#include <mutex>
#include <string>

namespace lumvale {

namespace {

// A marker's payload is at most 65533 bytes; the header of its kind comes first.
constexpr size_t kMaxPayload = 65533;

// Exiv2 and its XMP toolkit are set up once: quiet (a damaged file is not worth a line on the
// terminal) and with a lock, since photos are read on several threads.
void SetUpExiv2() {
  static std::once_flag once;
  static std::mutex xmpLock;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize(
        [](void* lock, bool locking) {
          auto* m = static_cast<std::mutex*>(lock);
          if (locking) {
            m->lock();
          } else {
            m->unlock();
          }
        },
        &xmpLock);
  });
}

std::vector<uint8_t> WithHeader(const char* header, size_t headerSize, const uint8_t* data,
                                size_t size) {
  std::vector<uint8_t> payload(headerSize + size);
  std::memcpy(payload.data(), header, headerSize);
  if (size > 0) std::memcpy(payload.data() + headerSize, data, size);
  return payload;
}

template <class Data, class Key>
void SetIfPresent(Data& data, const Key& key, uint32_t value) {
  auto it = data.findKey(key);
  if (it != data.end()) it->setValue(std::to_string(value));
}

}  // namespace

TPhotoInformation::TPhotoInformation(const jpeg::FileExtras& extras)
    : extras_(extras), exif_(std::make_unique<Exiv2::ExifData>()) {
  if (extras.exif.empty()) return;
  SetUpExiv2();
  try {
    byteOrder_ =
        int(Exiv2::ExifParser::decode(*exif_, extras.exif.data(), uint32_t(extras.exif.size())));
  } catch (const std::exception&) {
    exif_->clear();
  }
  // Exiv2 gives up on some damage quietly, with nothing read.
  exifDamaged_ = exif_->empty();
}

TPhotoInformation::~TPhotoInformation() = default;

long TPhotoInformation::Orientation() const {
  try {
    const auto it = exif_->findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (it == exif_->end() || it->count() == 0) return 1;
    return it->toLong();
  } catch (const std::exception&) {
    return 1;
  }
}

std::vector<jpeg::Marker> TPhotoInformation::Markers(int32_t width, int32_t height,
                                                     bool turnedUpright, bool keepLocation) {
  SetUpExiv2();
  std::vector<jpeg::Marker> markers;
  leftOut_ = exifDamaged_;
  const auto w = uint32_t(width), h = uint32_t(height);

  if (!exif_->empty()) {
    try {
      Exiv2::ExifData exif = *exif_;
      Exiv2::ExifThumb(exif).erase();
      if (!keepLocation) {
        for (auto it = exif.begin(); it != exif.end();) {
          if (it->groupName() == "GPSInfo" || it->key() == "Exif.Image.GPSTag") {
            it = exif.erase(it);
          } else {
            ++it;
          }
        }
      }
      if (turnedUpright) SetIfPresent(exif, Exiv2::ExifKey("Exif.Image.Orientation"), 1);
      exif["Exif.Photo.PixelXDimension"] = w;
      exif["Exif.Photo.PixelYDimension"] = h;
      SetIfPresent(exif, Exiv2::ExifKey("Exif.Image.ImageWidth"), w);
      SetIfPresent(exif, Exiv2::ExifKey("Exif.Image.ImageLength"), h);
      Exiv2::Blob blob;
      // In the byte order the camera wrote.
      Exiv2::ExifParser::encode(
          blob,
          Exiv2::ByteOrder(byteOrder_) == Exiv2::bigEndian ? Exiv2::bigEndian : Exiv2::littleEndian,
          exif);
      if (blob.empty() || blob.size() + 6 > kMaxPayload) throw Exiv2::Error(Exiv2::kerErrorMessage);
      markers.push_back(
          {JPEG_APP0 + 1, WithHeader(jpeg::kExifHeader, 6, blob.data(), blob.size())});
    } catch (const std::exception&) {
      leftOut_ = true;
    }
  }

  if (!extras_.xmp.empty()) {
    try {
      Exiv2::XmpData xmp;
      const std::string packet(extras_.xmp.begin(), extras_.xmp.end());
      if (Exiv2::XmpParser::decode(xmp, packet) != 0) throw Exiv2::Error(Exiv2::kerErrorMessage);
      if (!keepLocation) {
        for (auto it = xmp.begin(); it != xmp.end();) {
          if (it->key().rfind("Xmp.exif.GPS", 0) == 0) {
            it = xmp.erase(it);
          } else {
            ++it;
          }
        }
      }
      if (turnedUpright) SetIfPresent(xmp, Exiv2::XmpKey("Xmp.tiff.Orientation"), 1);
      SetIfPresent(xmp, Exiv2::XmpKey("Xmp.exif.PixelXDimension"), w);
      SetIfPresent(xmp, Exiv2::XmpKey("Xmp.exif.PixelYDimension"), h);
      std::string out;
      if (Exiv2::XmpParser::encode(
              out, xmp, Exiv2::XmpParser::useCompactFormat | Exiv2::XmpParser::omitPacketWrapper) !=
              0 ||
          out.size() + sizeof jpeg::kXmpHeader > kMaxPayload) {
        throw Exiv2::Error(Exiv2::kerErrorMessage);
      }
      if (!xmp.empty()) {
        markers.push_back(
            {JPEG_APP0 + 1, WithHeader(jpeg::kXmpHeader, sizeof jpeg::kXmpHeader,
                                       reinterpret_cast<const uint8_t*>(out.data()), out.size())});
      }
    } catch (const std::exception&) {
      leftOut_ = true;
    }
  }

  if (!extras_.iptc.empty()) {
    try {
      const Exiv2::byte* record = nullptr;
      uint32_t header = 0, size = 0;
      const auto* ps = extras_.iptc.data();
      const long psSize = long(extras_.iptc.size());
      // 0: found, 3: no IPTC block among the resources; anything else is damage.
      const int found = Exiv2::Photoshop::locateIptcIrb(ps, psSize, &record, &header, &size);
      if (found != 0 && found != 3) throw Exiv2::Error(Exiv2::kerErrorMessage);
      if (found == 0) {
        Exiv2::IptcData iptc;
        if (Exiv2::IptcParser::decode(iptc, record + header, size) != 0) {
          throw Exiv2::Error(Exiv2::kerErrorMessage);
        }
        // Only the IPTC block goes over, not Photoshop's other resources (its thumbnail).
        const Exiv2::DataBuf irb = Exiv2::Photoshop::setIptcIrb(nullptr, 0, iptc);
        if (irb.size_ + sizeof jpeg::kPhotoshopHeader > kMaxPayload) {
          throw Exiv2::Error(Exiv2::kerErrorMessage);
        }
        if (irb.size_ > 0) {
          markers.push_back(
              {JPEG_APP0 + 13, WithHeader(jpeg::kPhotoshopHeader, sizeof jpeg::kPhotoshopHeader,
                                          irb.pData_, size_t(irb.size_))});
        }
      }
    } catch (const std::exception&) {
      leftOut_ = true;
    }
  }
  return markers;
}

}  // namespace lumvale
