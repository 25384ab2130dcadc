#include "Bitmap32.h"
#include "ImagingErrors.h"
#include "JpegCodec.h"
#include "JpegImage.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <set>

#include <jerror.h>
#include <jpeglib.h>

using namespace lumvale;
using namespace lumvale::test;

namespace {

TMemoryStream StreamOf(const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  s.Write(bytes.data(), bytes.size());
  s.SetPosition(0);
  return s;
}

std::vector<uint8_t> BytesOf(const TMemoryStream& s) {
  return s.Bytes();
}

// A 32-bit device bitmap with a colourful pattern.
TDeviceBitmap Pattern(int32_t w, int32_t h) {
  TBitmap32 b;
  FillRandom(b, w, h, 17, true);
  // Smooth it a little so that the encoder has something photo-like to work on.
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if ((x / 4 + y / 4) % 3) b.RowPointer(y)[x] = Color32(uint8_t(x * 3), uint8_t(y * 5), 90);
    }
  }
  TDeviceBitmap d;
  b.ExportToDeviceBitmap(d);
  return d;
}

std::vector<uint8_t> Encode(const TDeviceBitmap& bitmap, int quality, bool progressive = false) {
  TJPEGImage jpeg;
  jpeg.TakeBitmap(bitmap);
  jpeg.SetEncodeQuality(quality);
  jpeg.SetProgressiveScans(progressive);
  TMemoryStream s;
  jpeg.WriteEncoded(s);
  return BytesOf(s);
}

// libjpeg called directly with the encoder settings the adapter promises.
std::vector<uint8_t> LibjpegEncode(const TDeviceBitmap& bitmap, int quality) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = bitmap.Width();
  c.image_height = bitmap.Height();
  c.input_components = 3;
  c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  c.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  const TDeviceBitmap rgb = bitmap.ConvertedTo24Bit();
  for (int32_t y = 0; y < rgb.Height(); ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.ScanLine(y));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

}  // namespace

TEST(JpegImage, DefaultsAndRefusedSize) {
  TJPEGImage jpeg;
  EXPECT_EQ(jpeg.EncodeQuality(), 90);
  EXPECT_FALSE(jpeg.ProgressiveScans());
  EXPECT_TRUE(jpeg.DecodeSmoothing());
  EXPECT_EQ(jpeg.Width(), 0);
  try {
    jpeg.SetWidth(5);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(),
              QString::fromUtf8("Die Größe einer JPEG-Grafik kann nicht verändert werden"));
  }
  EXPECT_THROW(jpeg.SetHeight(5), EInvalidGraphicOperation);
  jpeg.SetEncodeQuality(300);
  EXPECT_EQ(jpeg.EncodeQuality(), 44) << "one byte: modulo 256";
}

TEST(JpegImage, EncodesWhatLibjpegEncodesWithTheSameSettings) {
  const TDeviceBitmap bitmap = Pattern(45, 29);
  for (int q : {90, 50, 5}) EXPECT_EQ(Encode(bitmap, q), LibjpegEncode(bitmap, q)) << q;
  EXPECT_EQ(Encode(bitmap.ConvertedTo24Bit(), 75), LibjpegEncode(bitmap, 75));
}

TEST(JpegImage, QualityOutsideOneToHundred) {
  const TDeviceBitmap bitmap = Pattern(16, 16);
  EXPECT_EQ(Encode(bitmap, 0), Encode(bitmap, 1));
  EXPECT_EQ(Encode(bitmap, 256), Encode(bitmap, 1));
  EXPECT_EQ(Encode(bitmap, 101), Encode(bitmap, 100));
  EXPECT_EQ(Encode(bitmap, 255), Encode(bitmap, 100));
  EXPECT_NE(Encode(bitmap, 100), Encode(bitmap, 1));
}

TEST(JpegImage, EncodedBytesStayUntilTheNextTakeBitmap) {
  const TDeviceBitmap bitmap = Pattern(20, 10);
  TJPEGImage jpeg;
  jpeg.TakeBitmap(bitmap);
  int changes = 0;
  jpeg.OnChange = [&](TJPEGImage&) { ++changes; };
  jpeg.SetDecodeSmoothing(true);
  EXPECT_EQ(changes, 0);
  TMemoryStream first, second;
  jpeg.WriteEncoded(first);
  EXPECT_EQ(BytesOf(first), LibjpegEncode(bitmap, 90)) << "smoothing(true) kept the bitmap";
  jpeg.SetEncodeQuality(10);
  jpeg.SetProgressiveScans(true);
  jpeg.WriteEncoded(second);
  EXPECT_EQ(BytesOf(first), BytesOf(second));
  jpeg.TakeBitmap(bitmap);
  TMemoryStream third;
  jpeg.WriteEncoded(third);
  EXPECT_LT(third.Size(), first.Size());
  EXPECT_TRUE(HasMultipleScans(BytesOf(third)));
}

TEST(JpegImage, EmptyBitmapsEncodeToNothing) {
  for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
    TJPEGImage jpeg;
    jpeg.TakeBitmap(TDeviceBitmap(w, h, TPixelFormat::pf32bit));
    TMemoryStream s;
    jpeg.WriteEncoded(s);
    EXPECT_EQ(s.Size(), 0);
  }
  TJPEGImage fresh;
  TMemoryStream s;
  fresh.WriteEncoded(s);
  EXPECT_EQ(s.Size(), 0);
}

TEST(JpegImage, OnePixelAndProgressiveEncodings) {
  TDeviceBitmap one(1, 1, TPixelFormat::pf32bit);
  one.ScanLine(0)[2] = 200;  // red
  const std::vector<uint8_t> bytes = Encode(one, 95);
  int w = 0, h = 0;
  const std::vector<TColor32> decoded = ReferenceDecode(bytes, w, h);
  ASSERT_EQ(w, 1);
  ASSERT_EQ(h, 1);
  EXPECT_NEAR(RedComponent(decoded[0]), 200, 3);
  EXPECT_FALSE(HasMultipleScans(bytes));
  EXPECT_TRUE(HasMultipleScans(Encode(one, 95, true)));
}

TEST(JpegImage, DecodedPixelsRoundTrip) {
  const std::vector<uint8_t> file = MakeJpeg({.width = 120, .height = 80, .quality = 95});
  TMemoryStream s = StreamOf(file);
  TJPEGImage jpeg;
  jpeg.ReadEncoded(s);
  const TDeviceBitmap& decoded = jpeg.DecodedBitmap();
  ASSERT_EQ(decoded.BitsPerPixel(), 24);
  const std::vector<uint8_t> again = Encode(decoded, 95);
  int w = 0, h = 0;
  const std::vector<TColor32> back = ReferenceDecode(again, w, h);
  ASSERT_EQ(w, 120);
  ASSERT_EQ(h, 80);
  double squared = 0;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* p = decoded.ScanLine(y) + 3 * x;
      const TColor32 q = back[size_t(y) * w + x];
      const int d[3] = {p[0] - BlueComponent(q), p[1] - GreenComponent(q), p[2] - RedComponent(q)};
      for (int v : d) squared += v * v;
    }
  }
  const double psnr = 10 * std::log10(255.0 * 255.0 / (squared / (w * h * 3)));
  EXPECT_GT(psnr, 30.0);
}

TEST(JpegImage, ReadEncodedTakesHeaderFacts) {
  TJPEGImage jpeg;
  TMemoryStream none;
  jpeg.ReadEncoded(none);
  EXPECT_EQ(jpeg.Width(), 0);
  EXPECT_EQ(jpeg.Height(), 0);

  TMemoryStream progressive = StreamOf(MakeJpeg({.width = 33, .height = 17, .progressive = true}));
  jpeg.ReadEncoded(progressive);
  EXPECT_EQ(jpeg.Width(), 33);
  EXPECT_EQ(jpeg.Height(), 17);
  EXPECT_TRUE(jpeg.ProgressiveScans());
  EXPECT_FALSE(jpeg.Data().IsGrayscale);

  TMemoryStream gray = StreamOf(MakeJpeg({.grayscale = true}));
  jpeg.ReadEncoded(gray);
  EXPECT_FALSE(jpeg.ProgressiveScans());
  EXPECT_TRUE(jpeg.Data().IsGrayscale);

  // Reading starts at the stream's position.
  TMemoryStream prefixed;
  prefixed.Write("junk", 4);
  const std::vector<uint8_t> file = MakeJpeg({.width = 9, .height = 4});
  prefixed.Write(file.data(), file.size());
  prefixed.SetPosition(4);
  jpeg.ReadEncoded(prefixed);
  EXPECT_EQ(jpeg.Width(), 9);
  EXPECT_EQ(jpeg.Data().EncodedBytes, file);
}

TEST(JpegImage, GrayscaleDecodesToAPaletteOfAtMost236Grays) {
  TMemoryStream s = StreamOf(MakeJpeg({.width = 80, .height = 60, .grayscale = true}));
  TJPEGImage jpeg;
  jpeg.ReadEncoded(s);
  const TDeviceBitmap& d = jpeg.DecodedBitmap();
  ASSERT_EQ(d.BitsPerPixel(), 8);
  ASSERT_LE(d.Palette().size(), 236u);
  for (TColor32 c : d.Palette()) {
    EXPECT_EQ(RedComponent(c), GreenComponent(c));
    EXPECT_EQ(RedComponent(c), BlueComponent(c));
  }
  std::set<uint8_t> used;
  for (int32_t y = 0; y < d.Height(); ++y) {
    for (int32_t x = 0; x < d.Width(); ++x) used.insert(d.ScanLine(y)[x]);
  }
  EXPECT_GT(used.size(), 50u);
  EXPECT_LT(*used.rbegin(), d.Palette().size());
}

TEST(JpegImage, DamagedFiles) {
  TJPEGImage jpeg;
  TMemoryStream notJpeg = StreamOf({'G', 'I', 'F', '8', '9', 'a', 0, 0});
  try {
    jpeg.ReadEncoded(notJpeg);
    FAIL() << "a GIF header is no JPEG header";
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.MessageCode(), JERR_NO_SOI);
    // The number as it always was, and libjpeg's own words after it.
    EXPECT_EQ(
        e.Message(),
        QStringLiteral("JPEG-Fehler #%1: Not a JPEG file: starts with 0x47 0x49").arg(JERR_NO_SOI));
  }

  std::vector<uint8_t> file = MakeJpeg({.width = 64, .height = 64});
  TMemoryStream whole = StreamOf(file);
  jpeg.ReadEncoded(whole);
  EXPECT_EQ(jpeg.DecodedBitmap().Width(), 64);
  EXPECT_FALSE(jpeg.DataMissing());
  // Cut short: the rest decodes grey, and the image tells that data went missing.
  TMemoryStream cut =
      StreamOf(std::vector<uint8_t>(file.begin(), file.begin() + file.size() * 2 / 3));
  jpeg.ReadEncoded(cut);
  EXPECT_EQ(jpeg.DecodedBitmap().Width(), 64);
  EXPECT_TRUE(jpeg.DataMissing());
  TBitmap32 drawn;
  TMemoryStream wholeAgain = StreamOf(file);
  jpeg.ReadEncoded(wholeAgain);
  EXPECT_FALSE(jpeg.DataMissing()) << "new bytes, no decode yet";
  TMemoryStream cutAgain =
      StreamOf(std::vector<uint8_t>(file.begin(), file.begin() + file.size() * 2 / 3));
  jpeg.ReadEncoded(cutAgain);
  drawn.Resize(64, 64);
  jpeg.DrawInto(drawn);
  EXPECT_TRUE(jpeg.DataMissing()) << "drawn straight into a bitmap";

  // Only the start-of-image marker: the header runs into the inserted end of image.
  TMemoryStream soiOnly = StreamOf({0xFF, 0xD8});
  EXPECT_THROW(jpeg.ReadEncoded(soiOnly), EJPEG);

  // Scrambled entropy-coded data never crashes; libjpeg either decodes noise or fails.
  for (size_t i = file.size() / 2; i < file.size() - 2; i += 7) file[i] ^= 0x5A;
  TMemoryStream scrambled = StreamOf(file);
  jpeg.ReadEncoded(scrambled);
  try {
    EXPECT_EQ(jpeg.DecodedBitmap().Width(), 64);
  } catch (const EJPEG&) {
  }
}

TEST(JpegImage, HugeHeadersFailBeforeAnyPixelStore) {
  std::vector<uint8_t> file = MakeJpeg({.width = 16, .height = 16});
  // Patch the frame header (SOF0: FF C0, length, precision, height, width) to 60000 x 60000.
  for (size_t i = 0; i + 9 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xC0) {
      file[i + 5] = file[i + 7] = 0xEA;
      file[i + 6] = file[i + 8] = 0x60;
      break;
    }
  }
  QTemporaryDir dir;
  WriteFile(dir.filePath("huge.jpg"), file);
  TBitmap32 b;
  try {
    b.LoadImageFile(dir.filePath("huge.jpg"));
    FAIL() << "60000 x 60000 pixels exceed the pixel store limit";
  } catch (const Exception& e) {
    EXPECT_TRUE(e.Message().contains("60000 x 60000")) << e.what();
  }
  EXPECT_TRUE(b.IsEmpty());

  TMemoryStream s = StreamOf(file);
  TJPEGImage jpeg;
  jpeg.ReadEncoded(s);
  EXPECT_EQ(jpeg.Width(), 60000);
  EXPECT_THROW(jpeg.DecodedBitmap(), EJPEG);
}

TEST(JpegImage, AnAbortingProgressHandlerLeavesNoBytes) {
  TJPEGImage jpeg;
  jpeg.TakeBitmap(Pattern(8, 8));
  std::vector<int> seen;
  jpeg.OnProgress = [&](TJPEGImage&, TProgressStage, int percent) {
    seen.push_back(percent);
    if (percent == 100) throw EAbort();
  };
  TMemoryStream s;
  jpeg.WriteEncoded(s);
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(seen, (std::vector<int>{0, 100}));
}

TEST(JpegCodec, A12BitFileIsRefusedInLibjpegsWords) {
  // A photo whose frame says 12 bits per sample, which this libjpeg does not decode.
  std::vector<uint8_t> file = MakeJpeg({.width = 16, .height = 16});
  bool patched = false;
  for (size_t i = 0; i + 4 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xC0) {
      file[i + 4] = 12;
      patched = true;
      break;
    }
  }
  ASSERT_TRUE(patched);
  try {
    jpeg::ReadHeader(file.data(), file.size());
    FAIL() << "12 bits per sample are refused";
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.MessageCode(), JERR_BAD_PRECISION);
    EXPECT_EQ(e.Message(), QStringLiteral("JPEG-Fehler #%1: Unsupported JPEG data precision 12")
                               .arg(JERR_BAD_PRECISION));
  }
}

TEST(JpegCodec, NoDataAtAllIsLibjpegError42) {
  try {
    jpeg::ReadHeader(nullptr, 0);
    FAIL() << "no data is an error for libjpeg";
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.MessageCode(), JERR_INPUT_EMPTY);
    EXPECT_EQ(e.Message(), "JPEG-Fehler #42: Empty input file");
  }
}

namespace {
// A progressive file whose first scan is repeated `copies` more times (libjpeg only warns).
std::vector<uint8_t> WithRepeatedFirstScan(int copies) {
  const std::vector<uint8_t> file = MakeJpeg({.width = 16, .height = 16, .progressive = true});
  size_t sos = 0;
  while (!(file[sos] == 0xFF && file[sos + 1] == 0xDA)) ++sos;
  size_t end = sos + 2 + (size_t(file[sos + 2]) << 8 | file[sos + 3]);
  while (!(file[end] == 0xFF && file[end + 1] != 0x00 && (file[end + 1] & 0xF8) != 0xD0)) ++end;
  std::vector<uint8_t> out(file.begin(), file.begin() + std::ptrdiff_t(end));
  for (int i = 0; i < copies; ++i)
    out.insert(out.end(), file.begin() + std::ptrdiff_t(sos), file.begin() + std::ptrdiff_t(end));
  out.insert(out.end(), file.begin() + std::ptrdiff_t(end), file.end());
  return out;
}
}  // namespace

TEST(JpegCodec, TooManyScansAreRefused) {
  TJPEGImage jpeg;
  TMemoryStream some = StreamOf(WithRepeatedFirstScan(50));
  jpeg.ReadEncoded(some);
  EXPECT_EQ(jpeg.DecodedBitmap().Width(), 16);

  TMemoryStream hostile = StreamOf(WithRepeatedFirstScan(jpeg::kMaxScans));
  jpeg.ReadEncoded(hostile);
  try {
    jpeg.DecodedBitmap();
    FAIL() << "more than the scan limit must be refused";
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.Message(),
              QStringLiteral("The JPEG file has more than %1 scans").arg(jpeg::kMaxScans));
  }
}
