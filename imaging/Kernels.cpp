#include "Kernels.h"

#include <cmath>
#include <functional>

namespace lumvale {

// The arithmetic between the single-precision stores runs in x87 extended precision (long double
// on x86-64), so that every stored value is rounded exactly once from the extended result.
namespace {
constexpr long double kPi = 3.141592653589793238462643383279502884L;
}

float Sinc(float v) {
  if (v == 0.0f) return 1.0f;
  const float t = static_cast<float>(static_cast<long double>(v) * kPi);
  // The sine itself in double: glibc's extended sine reduces its argument the slow, multi-
  // precision way, and a double-accurate sine rounds to the same single in all but freak cases.
  return static_cast<float>(std::sin(static_cast<double>(t)) / t);
}

void TCustomKernel::AssignTo(TCustomKernel&) const {}

float TWindowedSincKernel::Evaluate(float x) const {
  x = std::fabs(x);
  if (x >= width_) return 0.0f;
  const float w = WindowAt(x);
  return Sinc(x) * w;  // a product of two singles is exact in double; one rounding to single
}

void TWindowedSincKernel::AssignTo(TCustomKernel& target) const {
  if (auto* sinc = dynamic_cast<TWindowedSincKernel*>(&target)) sinc->SetWidth(width_);
}

float TLanczosKernel::WindowAt(float x) const {
  const float q = static_cast<float>(static_cast<long double>(x) / Width());
  return Sinc(q);
}

namespace {
struct KernelClass {
  const char* name;
  std::unique_ptr<TCustomKernel> (*create)();
};
template <class T>
std::unique_ptr<TCustomKernel> Make() {
  return std::make_unique<T>();
}
constexpr KernelClass kKernelClasses[] = {
    {"TBoxKernel", &Make<TBoxKernel>},
    {"TLanczosKernel", &Make<TLanczosKernel>},
};
}  // namespace

std::unique_ptr<TCustomKernel> CreateKernelByName(std::string_view className) {
  for (const auto& k : kKernelClasses) {
    if (className == k.name) return k.create();
  }
  return nullptr;
}

std::vector<std::string> KernelClassNames() {
  std::vector<std::string> names;
  for (const auto& k : kKernelClasses) names.emplace_back(k.name);
  return names;
}

}  // namespace lumvale
