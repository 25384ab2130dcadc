#include "PhotoInformation.h"

#include <jpeglib.h>
#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <string>

namespace lumvale {

namespace {

// A marker's payload is at most 65533 bytes; the header of its kind comes first.
constexpr size_t kMaxPayload = 65533;

// Whether Exiv2 warned of damage on this thread since the flag was cleared. Exiv2 reads what it
// can of a damaged EXIF block (a directory cut short, an offset out of range) and tells of the
// rest only through its log.
thread_local bool exiv2Complained = false;

// Exiv2 and its XMP toolkit are set up once: their complaints go to the flag above instead of
// the terminal, and the toolkit gets a lock, since photos are read on several threads.
void SetUpExiv2() {
  static std::once_flag once;
  static std::mutex xmpLock;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
    Exiv2::LogMsg::setHandler([](int, const char*) { exiv2Complained = true; });
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

// Whether an XMP property tells where on earth the photo was taken. The rule looks at the
// property's own name, the last step of its path (Exiv2 writes a nested one as
// "Xmp.iptcExt.LocationCreated[1]/exif:GPSLatitude"), without its namespace prefix, array
// index or qualifier, in any case: a name that begins with "GPS" or speaks of a latitude,
// longitude or altitude. So the EXIF namespace's GPS properties, a drone maker's
// "GpsLatitude" and "AbsoluteAltitude" and the coordinates inside the IPTC extension's
// location structures go, in any namespace and at any depth; place names stay.
bool TellsTheLocation(const std::string& key) {
  const size_t slash = key.rfind('/');
  // "Xmp.<prefix>.<name>" at the top level.
  const size_t start = slash != std::string::npos ? slash + 1 : key.find('.', 4) + 1;
  std::string name = key.substr(start);
  if (const size_t colon = name.find(':'); colon != std::string::npos) name.erase(0, colon + 1);
  if (const size_t bracket = name.find('['); bracket != std::string::npos) name.erase(bracket);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return name.rfind("gps", 0) == 0 || name.find("latitude") != std::string::npos ||
         name.find("longitude") != std::string::npos || name.find("altitude") != std::string::npos;
}

// A picture of the old photo inside the XMP.
bool IsThumbnail(const std::string& key) {
  return key.rfind("Xmp.xmp.Thumbnails", 0) == 0;
}

}  // namespace

TPhotoInformation::TPhotoInformation(const jpeg::FileExtras& extras)
    : extras_(extras), exif_(std::make_unique<Exiv2::ExifData>()) {
  if (extras.exif.empty()) return;
  SetUpExiv2();
  exiv2Complained = false;
  try {
    byteOrder_ =
        int(Exiv2::ExifParser::decode(*exif_, extras.exif.data(), uint32_t(extras.exif.size())));
  } catch (const std::exception&) {
    exif_->clear();
  }
  // Exiv2 gives up on some damage quietly, with nothing read; on other damage it keeps what it
  // could read and complains: then part of the information is missing.
  exifDamaged_ = exif_->empty() || exiv2Complained;
}

TPhotoInformation::~TPhotoInformation() = default;

long TPhotoInformation::Orientation() const {
  try {
    const auto it = exif_->findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (it != exif_->end() && it->count() > 0) return it->toLong();
  } catch (const std::exception&) {
    return 1;
  }
  // Without an EXIF orientation, the one the XMP states.
  if (extras_.xmp.empty()) return 1;
  try {
    SetUpExiv2();
    Exiv2::XmpData xmp;
    if (Exiv2::XmpParser::decode(xmp, std::string(extras_.xmp.begin(), extras_.xmp.end())) != 0) {
      return 1;
    }
    const auto it = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
    if (it == xmp.end() || it->count() == 0) return 1;
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
      for (auto it = xmp.begin(); it != xmp.end();) {
        const std::string key = it->key();
        if (IsThumbnail(key) || (!keepLocation && TellsTheLocation(key))) {
          it = xmp.erase(it);
        } else {
          ++it;
        }
      }
      if (turnedUpright) SetIfPresent(xmp, Exiv2::XmpKey("Xmp.tiff.Orientation"), 1);
      SetIfPresent(xmp, Exiv2::XmpKey("Xmp.exif.PixelXDimension"), w);
      SetIfPresent(xmp, Exiv2::XmpKey("Xmp.exif.PixelYDimension"), h);
      SetIfPresent(xmp, Exiv2::XmpKey("Xmp.tiff.ImageWidth"), w);
      SetIfPresent(xmp, Exiv2::XmpKey("Xmp.tiff.ImageLength"), h);
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
