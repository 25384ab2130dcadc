#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumvale {

// A filter kernel: a function of the distance from a sample point, zero beyond its support.
// Values and widths are single precision; the exact rounding of every value matters, because
// the resampler's fixed-point weights are derived from them.
class TCustomKernel {
 public:
  virtual ~TCustomKernel() = default;
  virtual const char* ClassName() const = 0;
  virtual bool ClampsOutput() const { return false; }
  virtual float Evaluate(float x) const = 0;
  virtual float SupportWidth() const = 0;
  // Copies the published properties into target, where target's class has them.
  virtual void AssignTo(TCustomKernel& target) const;
};

// sinc(x) times a window, zero from |x| >= Width on.
class TWindowedSincKernel : public TCustomKernel {
 public:
  bool ClampsOutput() const override { return true; }
  float Evaluate(float x) const override;
  float SupportWidth() const override { return width_; }
  void AssignTo(TCustomKernel& target) const override;

  // Stored without any limit.
  float Width() const { return width_; }
  void SetWidth(float width) { width_ = width; }

 protected:
  virtual float WindowAt(float x) const = 0;

 private:
  float width_ = 3.0f;
};

// L(x) = sinc(x) * sinc(x / Width) for |x| < Width.
class TLanczosKernel : public TWindowedSincKernel {
 public:
  const char* ClassName() const override { return "TLanczosKernel"; }

 protected:
  float WindowAt(float x) const override;
};

// 1 for -0.5 <= x <= 0.5, else 0.
class TBoxKernel : public TCustomKernel {
 public:
  const char* ClassName() const override { return "TBoxKernel"; }
  float Evaluate(float x) const override { return (x >= -0.5f && x <= 0.5f) ? 1.0f : 0.0f; }
  float SupportWidth() const override { return 1.0f; }
};

// sin(pi v) / (pi v) with the product and the quotient each rounded to single; 1 at v = 0.
float Sinc(float v);

// The kernel classes known by name; an unknown name gives nullptr.
std::unique_ptr<TCustomKernel> CreateKernelByName(std::string_view className);
std::vector<std::string> KernelClassNames();

}  // namespace lumvale
