#pragma once

// What the engine's tests compare the job with: the job as it was done on whole pictures, and
// what a job told, as text.

#include "ImageJob.h"
#include "JpegImage.h"
#include "KernelResampler.h"

#include <QStringList>

#include <functional>

namespace lumvale::test {

// The job as it was done on whole pictures: a full-size bitmap (with the kernel's resampler
// installed) stretched, exported, encoded through the JPEG adapter, and the quality-lowering loop.
inline std::vector<uint8_t> WholePictureJob(TBitmap32& source, const TJobSettings& s) {
  TBitmap32 target;
  TBitmap32Resampler::Create<TKernelResampler>(target).SetKernel(
      std::make_unique<TLanczosKernel>());
  int32_t w = 0, h = 0;
  TargetSize(source.Width(), source.Height(), s.maxWidth, s.maxHeight, w, h);
  target.Resize(w, h);
  if (w == source.Width() && h == source.Height()) {
    target.CopyFrom(source);
  } else {
    target.StretchFrom(target.FullRect(), source.FullRect(), &source);
  }
  TDeviceBitmap plain;
  target.ExportToDeviceBitmap(plain);
  int q = s.quality;
  auto encode = [&] {
    TJPEGImage jpeg;
    jpeg.TakeBitmap(plain);
    jpeg.SetEncodeQuality(q);
    jpeg.SetProgressiveScans(s.progressive);
    TMemoryStream stream;
    jpeg.WriteEncoded(stream);
    return stream.Bytes();
  };
  std::vector<uint8_t> bytes = encode();
  if (s.sizeLimit > 0) {
    for (int next; (next = NextQuality(int64_t(bytes.size()), s.sizeLimit, q)) != 0;) {
      q = next;
      bytes = encode();
    }
  }
  return bytes;
}

// The same from a file decoded whole (turned by `turn`, when given, before anything else).
inline std::vector<uint8_t> WholePictureJob(const QString& path, const TJobSettings& s,
                                            const std::function<void(TBitmap32&)>& turn = {}) {
  TBitmap32 source;
  source.CombineMode = TCombineMode::cmMerge;
  InstallLanczosResampler(source);
  source.LoadImageFile(path);
  if (turn) turn(source);
  return WholePictureJob(source, s);
}

// What the job told, as text.
class Transcript final : public TJobReport {
 public:
  void Loading() override { lines << "loading"; }
  void ImageSize(int32_t w, int32_t h) override { lines << QString("size %1x%2").arg(w).arg(h); }
  void ResizeTo(int32_t w, int32_t h) override { lines << QString("resize %1x%2").arg(w).arg(h); }
  void DataMissing() override { lines << "data missing"; }
  void Scaled(const TBitmap32& p) override {
    lines << QString("scaled %1x%2").arg(p.Width()).arg(p.Height());
  }
  void InformationLeftOut() override { lines << "left out"; }
  void ReducingFileSize(int q, int n, int64_t) override {
    lines << QString("reduce q%1 #%2").arg(q).arg(n);
  }
  void Encoded(int q, int64_t size) override {
    lines << QString("encoded q%1").arg(q);
    encodedSize = size;
  }
  QStringList lines;
  int64_t encodedSize = -1;
};

}  // namespace lumvale::test
