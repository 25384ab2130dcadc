#include "Bitmap32.h"
#include "ImagingErrors.h"
#include "KernelResampler.h"
#include "Resamplers.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <set>

using namespace lumvale;
using namespace lumvale::test;

TEST(Bitmap32, ResizeRules) {
  TBitmap32 b;
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
  int changes = 0;
  b.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  EXPECT_TRUE(b.Resize(-5, 10));
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 10);
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(b.Resize(3, 2));
  EXPECT_EQ(b.ClipBounds, (TRect{0, 0, 3, 2}));
  EXPECT_EQ(b.FullRect(), (TRect{0, 0, 3, 2}));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.Bits()[i], 0u);
  EXPECT_EQ(b.RowPointer(1), b.Bits() + 3);
  EXPECT_FALSE(b.Resize(3, 2));
  EXPECT_EQ(changes, 2);
}

TEST(Bitmap32, ATooLargeStoreFailsAndLeavesTheBitmapEmpty) {
  TBitmap32 b;
  b.Resize(4, 4);
  try {
    b.Resize(60000, 60000);
    FAIL() << "a 14 GB store must be refused";
  } catch (const Exception& e) {
    EXPECT_TRUE(e.Message().startsWith("Can't allocate the DIB handle")) << e.what();
  }
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(b.Width(), 0);
}

TEST(Bitmap32, ChangeNotificationsFollowTheUpdateCounter) {
  TBitmap32 b;
  b.Resize(2, 2);
  std::vector<std::pair<TRect, uint32_t>> areas;
  int changes = 0;
  b.OnAreaChanged = [&](TBitmap32&, const TRect& r, uint32_t info) { areas.push_back({r, info}); };
  b.OnChange = [&](TNotifiablePersistent&) { ++changes; };
  b.BeginChange();
  b.NotifyChanged();
  EXPECT_TRUE(areas.empty());
  EXPECT_EQ(changes, 0);
  b.EndChange();
  EXPECT_EQ(changes, 0) << "EndChange notifies nobody by itself";
  b.NotifyAreaChanged({0, 0, 1, 1}, 7);
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0].first, (TRect{0, 0, 1, 1}));
  EXPECT_EQ(areas[0].second, 7u);
  EXPECT_EQ(changes, 1);
  b.MeasuringMode = true;
  b.BeginChange();
  b.NotifyChanged();
  EXPECT_EQ(areas.size(), 2u) << "measuring reports areas also during a change";
  EXPECT_EQ(areas[1].first, b.FullRect());
  EXPECT_EQ(areas[1].second, AREAINFO_RECT);
  EXPECT_EQ(changes, 1);
  b.EndChange();
  EXPECT_THROW(b.EndChange(), Exception);
}

TEST(Bitmap32, MakeOpaqueKeepsColours) {
  TBitmap32 b;
  Fill(b, 2, 1, {0x00123456u, 0x80FFFFFFu});
  b.MakeOpaque();
  EXPECT_EQ(b.Bits()[0], 0xFF123456u);
  EXPECT_EQ(b.Bits()[1], 0xFFFFFFFFu);
  b.Bits()[0] = 0x00123456u;
  b.MeasuringMode = true;
  b.MakeOpaque();
  EXPECT_EQ(b.Bits()[0], 0x00123456u);
}

TEST(Bitmap32, ResamplerInstallation) {
  TBitmap32 b;
  TCustomResampler* nearest = &b.Resampler();
  b.SetResampler(nullptr);
  EXPECT_EQ(&b.Resampler(), nearest);
  b.SetResamplerClassName("TNoSuchResampler");
  EXPECT_EQ(b.ResamplerClassName(), "TNearestResampler");
  b.SetResamplerClassName("TKernelResampler");
  EXPECT_EQ(b.ResamplerClassName(), "TKernelResampler");
  auto* kernel = &b.Resampler();
  b.SetResamplerClassName("TKernelResampler");
  EXPECT_EQ(&b.Resampler(), kernel) << "the same name keeps the resampler";
}

TEST(Bitmap32, CopyFromBitmapTakesPixelsSettingsAndResampler) {
  TBitmap32 src, dst;
  FillRandom(src, 5, 3, 1);
  src.DrawMode = TDrawMode::dmBlend;
  src.MasterAlpha = 77;
  src.OuterColor = 0x12345678u;
  src.CombineMode = TCombineMode::cmMerge;
  src.WrapMode = TWrapMode::wmMirror;
  auto& r = TBitmap32Resampler::Create<TKernelResampler>(src);
  r.SetKernelClassName("TLanczosKernel");
  static_cast<TLanczosKernel&>(r.Kernel()).SetWidth(2.5f);
  r.SetTableSize(77);
  r.SetKernelMode(TKernelMode::kmTableLinear);
  dst.CopyFrom(src);
  EXPECT_EQ(Grid(dst), Grid(src));
  EXPECT_EQ(dst.DrawMode, TDrawMode::dmBlend);
  EXPECT_EQ(dst.MasterAlpha, 77);
  EXPECT_EQ(dst.OuterColor, 0x12345678u);
  EXPECT_EQ(dst.CombineMode, TCombineMode::cmMerge);
  EXPECT_EQ(dst.WrapMode, TWrapMode::wmMirror);
  ASSERT_EQ(dst.ResamplerClassName(), "TKernelResampler");
  auto& copied = static_cast<TKernelResampler&>(dst.Resampler());
  EXPECT_NE(&copied, &r);
  ASSERT_EQ(copied.KernelClassName(), "TLanczosKernel");
  EXPECT_EQ(static_cast<TLanczosKernel&>(copied.Kernel()).Width(), 2.5f);
  EXPECT_EQ(copied.TableSize(), 77);
  EXPECT_EQ(copied.KernelMode(), TKernelMode::kmTableLinear);
  dst.CopyFrom(nullptr);
  EXPECT_TRUE(dst.IsEmpty());
  EXPECT_EQ(dst.Width(), 0);
}

TEST(Bitmap32, DeviceBitmapsInAndOut) {
  TBitmap32 b;
  Fill(b, 3, 2, {0x01020304u, 0x05060708u, 0x090A0B0Cu, 0x0D0E0F10u, 0x11121314u, 0x15161718u});
  TDeviceBitmap device;
  b.ExportToDeviceBitmap(device);
  ASSERT_EQ(device.Width(), 3);
  ASSERT_EQ(device.Height(), 2);
  EXPECT_EQ(device.BitsPerPixel(), 32);
  const uint8_t row1[] = {0x14, 0x13, 0x12, 0x11};  // blue, green, red, alpha of pixel (1, 1)
  EXPECT_EQ(std::memcmp(device.ScanLine(1) + 4, row1, 4), 0);

  TBitmap32 back;
  back.CopyFrom(device);
  EXPECT_EQ(Grid(back), Grid(b)) << "32-bit device bitmaps keep their alpha";

  TDeviceBitmap rgb(2, 1, TPixelFormat::pf24bit);
  const uint8_t bgr[] = {10, 20, 30, 40, 50, 60};
  std::memcpy(rgb.ScanLine(0), bgr, 6);
  rgb.Transparent = true;
  rgb.TransparentColor = Color32(60, 50, 40);
  back.CopyFrom(rgb);
  EXPECT_EQ(back.Bits()[0], Color32(30, 20, 10));
  EXPECT_EQ(back.Bits()[1], Color32(60, 50, 40, 0));

  TDeviceBitmap indexed(3, 1, TPixelFormat::pf8bit);
  indexed.Palette() = {Color32(1, 2, 3), Color32(9, 9, 9)};
  indexed.ScanLine(0)[1] = 1;
  indexed.ScanLine(0)[2] = 200;  // outside the palette
  back.CopyFrom(indexed);
  EXPECT_EQ(back.Bits()[0], Color32(1, 2, 3));
  EXPECT_EQ(back.Bits()[1], Color32(9, 9, 9));
  EXPECT_EQ(back.Bits()[2], Color32(0, 0, 0));

  TBitmap32 empty;
  empty.Resize(0, 4);
  empty.ExportToDeviceBitmap(device);
  EXPECT_EQ(device.Width(), 0);
  EXPECT_EQ(device.Height(), 4);
}

namespace {
// Counts the calls a stretch makes of it.
class CountingResampler final : public TBitmap32Resampler {
 public:
  using TBitmap32Resampler::TBitmap32Resampler;
  const char* ClassName() const override { return "CountingResampler"; }
  void ResampleArea(TBitmap32&, const TRect&, const TRect&, TBitmap32&, const TRect&, TDrawMode,
                    const TPixelCombineEvent&) override {
    ++calls;
  }
  int calls = 0;
};
}  // namespace

TEST(Bitmap32, StretchFromRules) {
  TBitmap32 src, dst;
  FillRandom(src, 6, 4, 5);
  auto& counter = TBitmap32Resampler::Create<CountingResampler>(src);

  dst.Resize(6, 4);
  int areas = 0;
  dst.OnAreaChanged = [&](TBitmap32&, const TRect&, uint32_t) { ++areas; };
  dst.StretchFrom(dst.FullRect(), src.FullRect(), &src);
  EXPECT_EQ(Grid(dst), Grid(src));
  EXPECT_EQ(counter.calls, 0) << "equal sizes copy without the resampler";
  EXPECT_EQ(areas, 1);

  dst.StretchFrom({0, 0, 3, 2}, src.FullRect(), &src);
  EXPECT_EQ(counter.calls, 1);
  dst.StretchFrom(dst.FullRect(), src.FullRect(), nullptr);

  try {
    dst.StretchFrom(dst.FullRect(), {0, 0, 7, 4}, &src);
    FAIL() << "a source rectangle past the right edge is invalid";
  } catch (const ESrcInvalidException& e) {
    EXPECT_EQ(e.Message(), "Source rectangle is invalid");
  }
  EXPECT_THROW(dst.StretchFrom(dst.FullRect(), {0, 1, 6, 5}, &src), ESrcInvalidException);

  areas = 0;
  dst.StretchFrom(dst.FullRect(), {2, 2, 2, 4}, &src);      // empty source rectangle
  dst.StretchFrom({10, 10, 12, 12}, src.FullRect(), &src);  // clip outside the destination
  TBitmap32 empty;
  empty.Resize(0, 3);
  empty.StretchFrom(empty.FullRect(), src.FullRect(), &src);
  src.MasterAlpha = 0;
  src.DrawMode = TDrawMode::dmBlend;
  dst.StretchFrom({0, 0, 3, 2}, src.FullRect(), &src);
  EXPECT_EQ(areas, 0);
  EXPECT_EQ(counter.calls, 1);

  try {
    TransferStretched(nullptr, {}, {}, &src, {}, counter, TDrawMode::dmOpaque, {});
    FAIL();
  } catch (const EBitmapException& e) {
    EXPECT_EQ(e.Message(), "Destination bitmap is nil");
  }
  try {
    TransferStretched(&dst, {}, {}, nullptr, {}, counter, TDrawMode::dmOpaque, {});
    FAIL();
  } catch (const EBitmapException& e) {
    EXPECT_EQ(e.Message(), "Source bitmap is nil");
  }
}

TEST(Bitmap32, DrawModesOfACopy) {
  TBitmap32 src, dst;
  Fill(src, 2, 1, {0xFF112233u, 0xFF445566u});
  dst.Resize(2, 1);
  dst.Bits()[0] = dst.Bits()[1] = 0xFF000000u;
  src.DrawMode = TDrawMode::dmTransparent;
  src.OuterColor = 0xFF445566u;
  dst.StretchFrom(dst.FullRect(), src.FullRect(), &src);
  EXPECT_EQ(dst.Bits()[0], 0xFF112233u);
  EXPECT_EQ(dst.Bits()[1], 0xFF000000u);

  src.DrawMode = TDrawMode::dmCustom;
  src.OnPixelCombine = [](TColor32 f, TColor32& b, uint8_t) { b = f ^ 0x00FFFFFFu; };
  dst.StretchFrom(dst.FullRect(), src.FullRect(), &src);
  EXPECT_EQ(dst.Bits()[1], 0xFFBBAA99u);

  src.DrawMode = TDrawMode::dmBlend;
  src.MasterAlpha = 255;
  dst.StretchFrom(dst.FullRect(), src.FullRect(), &src);
  EXPECT_EQ(dst.Bits()[0], 0xFF112233u) << "an opaque blend replaces";
}

TEST(Bitmap32, LoadImageFile) {
  QTemporaryDir dir;
  TBitmap32 b;
  b.Resize(2, 2);

  try {
    b.LoadImageFile(dir.filePath("photo.PNG"));
    FAIL() << "png has no picture class";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.png)");
  }
  WriteFile(dir.filePath("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_THROW(b.LoadImageFile(dir.filePath("text.jpg")), EJPEG);
  EXPECT_EQ(b.Width(), 2) << "a bad header leaves the bitmap untouched";
  EXPECT_THROW(b.LoadImageFile(dir.filePath("missing.jpg")), Exception);

  WriteFile(dir.filePath("empty.jpg"), {});
  b.LoadImageFile(dir.filePath("empty.jpg"));
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);

  const std::vector<uint8_t> colour = MakeJpeg({.width = 37, .height = 21});
  WriteFile(dir.filePath("colour.JPEG"), colour);
  b.LoadImageFile(dir.filePath("colour.JPEG"));
  int w = 0, h = 0;
  const std::vector<TColor32> expected = ReferenceDecode(colour, w, h);
  ASSERT_EQ(b.Width(), 37);
  ASSERT_EQ(b.Height(), 21);
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(b.Bits()[i], expected[i] | 0xFF000000u) << "pixel " << i;
  }

  WriteFile(dir.filePath("gray.jpg"), MakeJpeg({.width = 64, .height = 64, .grayscale = true}));
  b.LoadImageFile(dir.filePath("gray.jpg"));
  std::set<uint8_t> levels;
  for (size_t i = 0; i < 64 * 64; ++i) {
    const TColor32 p = b.Bits()[i];
    ASSERT_EQ(RedComponent(p), GreenComponent(p));
    ASSERT_EQ(RedComponent(p), BlueComponent(p));
    ASSERT_EQ(AlphaComponent(p), 255);
    levels.insert(RedComponent(p));
  }
  EXPECT_LE(levels.size(), 236u);
  EXPECT_GT(levels.size(), 50u);

  std::vector<uint8_t> cut = MakeJpeg({.width = 64, .height = 64});
  cut.resize(cut.size() / 2);
  WriteFile(dir.filePath("cut.jpg"), cut);
  b.LoadImageFile(dir.filePath("cut.jpg"));
  EXPECT_EQ(b.Width(), 64);
}
