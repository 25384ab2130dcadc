#include "VectorState.h"

namespace lumvale {

void ClearUpperVectorState() {
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) asm volatile("vzeroupper" ::: "memory");
}

}  // namespace lumvale
