#pragma once

#include "DeviceBitmap.h"
#include "Graphic.h"
#include "JpegCodec.h"
#include "MemoryStream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumvale {

// One byte per setting, in this order.
struct TJPEGDefaults {
  uint8_t EncodeQuality = 90;      // libjpeg quality, 0..255 as stored
  uint8_t GrayscaleOutput = 0;     // encode and decode as grayscale
  uint8_t FastDecode = 0;          // fast integer DCT and cheap quantization when decoding
  uint8_t PalettedOutput = 0;      // decode to an 8-bit palette
  uint8_t IncrementalDisplay = 0;  // not supported: decoding always runs all scans at once
  uint8_t ProgressiveScans = 0;    // encode progressive; set from the file when reading
  uint8_t DecodeScale = 0;         // decode at 1 / 2^n, n = 0..3
  uint8_t DecodeSmoothing = 1;     // libjpeg block smoothing when decoding
};
static_assert(sizeof(TJPEGDefaults) == 8);

// The settings every new TJPEGImage starts with.
inline TJPEGDefaults JpegDefaultSettings;

// One encoded JPEG, shared between the images that reference it.
struct TJPEGData {
  std::vector<uint8_t> EncodedBytes;
  int32_t ImageWidth = 0;
  int32_t ImageHeight = 0;
  bool IsGrayscale = false;
};

enum class TProgressStage { psStarting, psRunning, psEnding };

// The JPEG adapter: encoded bytes to decode, or a device bitmap to encode.
class TJPEGImage : public TStreamedGraphic {
 public:
  TJPEGImage();

  // Drops the held bytes and keeps a copy of bitmap as the image to encode.
  void TakeBitmap(const TDeviceBitmap& bitmap);
  // References the other image's bytes and copies its cached bitmap, if any.
  void ShareFrom(const TJPEGImage& other);

  // Plain stores: bytes already encoded stay as they are.
  uint8_t EncodeQuality() const { return settings_.EncodeQuality; }
  void SetEncodeQuality(int quality) { settings_.EncodeQuality = uint8_t(quality & 0xFF); }
  bool ProgressiveScans() const { return settings_.ProgressiveScans != 0; }
  void SetProgressiveScans(bool value) { settings_.ProgressiveScans = value; }
  bool DecodeSmoothing() const { return settings_.DecodeSmoothing != 0; }
  // A different value discards the cached bitmap and notifies OnChange.
  void SetDecodeSmoothing(bool value);
  TJPEGDefaults& Settings() { return settings_; }

  // Encodes the cached bitmap when no bytes are held, then writes the bytes at the stream's
  // position. An empty or missing bitmap writes 0 bytes.
  void WriteEncoded(TMemoryStream& stream);
  void EnsureEncoded();
  void EncodeBitmap();

  // Takes all bytes from the stream's position on and reads the header (when there is at least
  // one byte). Throws EJPEG for a header libjpeg rejects.
  void ReadEncoded(TMemoryStream& stream);
  void LoadFromFile(const QString& path) override;
  void LoadFromBytes(std::vector<uint8_t>&& bytes) override;

  int32_t Width() const override;
  int32_t Height() const override;
  // Throws EInvalidGraphicOperation: the size of a JPEG picture cannot be changed.
  void SetWidth(int32_t);
  void SetHeight(int32_t);

  // The decoded picture, decoded on first use: 24 bits per pixel for colour, 8 bits with a gray
  // palette of at most 236 levels for grayscale. Throws EJPEG.
  const TDeviceBitmap& DecodedBitmap();
  // Decodes the held bytes with this image's decode settings into any sink (nothing when no
  // bytes are held). Throws EJPEG.
  void DecodeInto(jpeg::DecodeSink& sink) const override;
  // Draws the picture 1:1 into target. Without a cached bitmap it decodes straight into the
  // target's rows, so that a large photo is never held twice.
  bool DrawInto(TBitmap32& target) override;
  // Whether the last decode found data missing (a file cut short or garbled), left grey.
  bool DataMissing() const override { return dataMissing_; }

  const TJPEGData& Data() const { return *data_; }

  std::function<void(TJPEGImage&)> OnChange;
  // Told of the start and end of an encoding; a handler that throws EAbort stops the encoding,
  // which then leaves no bytes.
  std::function<void(TJPEGImage&, TProgressStage, int percent)> OnProgress;

 private:
  void NewData();
  void Changed();
  void ReadBytes(std::vector<uint8_t>&& bytes);

  std::shared_ptr<TJPEGData> data_;
  std::unique_ptr<TDeviceBitmap> bitmap_;
  TJPEGDefaults settings_;
  mutable bool dataMissing_ = false;
};

}  // namespace lumvale
