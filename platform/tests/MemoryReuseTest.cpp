#include "MemoryReuse.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>

using namespace lumvale;

namespace {

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// Page faults taken while a block of the size of a photo's coefficient store is allocated,
// written in full and released.
long FaultsOfOneBlock() {
  constexpr size_t kBytes = 48u << 20;  // 12,288 pages of 4 KB
  const long before = MinorFaults();
  // volatile: the compiler may not leave out a block that nothing else reads.
  auto* block = static_cast<volatile char*>(std::malloc(kBytes));
  if (!block) return -1;
  for (size_t i = 0; i < kBytes; i += 4096) block[i] = 1;
  std::free(const_cast<char*>(block));
  return MinorFaults() - before;
}

}  // namespace

TEST(MemoryReuse, AFreedBlockServesTheNextPhotoUntilTheBatchEnds) {
  KeepFreedMemoryForReuse();
  ASSERT_GT(FaultsOfOneBlock(), 1000) << "the first block is new memory";
  EXPECT_LT(FaultsOfOneBlock(), 100) << "the second reuses the first one's pages";
  ReturnFreedMemory();
  EXPECT_GT(FaultsOfOneBlock(), 1000) << "after the batch the pages went back to the system";
  ReturnFreedMemory();
}
