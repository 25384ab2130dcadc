#pragma once

// The kernel stretch's integer passes, planned once per stretch and run in groups of destination
// rows. A group needs a known, contiguous range of source rows, so the rows may come from a whole
// bitmap or arrive one after another from a decoder: the bytes are the same either way.

#include "Color32.h"
#include "Contributions.h"
#include "ResamplePasses.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace lumvale {

class TStretchPlan {
 public:
  // Destination rows and columns [clip), mapped from the source rectangle through the kernel;
  // sourceHeight is the height of the picture the rows come from (rows past its end stand in
  // for the padding of the two-row pass). Empty() when nothing is drawn.
  TStretchPlan(const TContributionTable& mapX, const TContributionTable& mapY, int32_t clipTop,
               int32_t sourceHeight, bool clamp);

  // Source columns the horizontal pass reads: [SpanLo(), SpanLo() + SpanWidth()).
  int32_t SpanLo() const { return spanLo_; }
  int32_t SpanWidth() const { return spanHi_ - spanLo_ + 1; }

  int32_t Groups() const { return int32_t(groups_.size()); }
  // The source rows group g reads, [NeedLo(g), NeedHi(g)], both inside the source picture.
  int32_t NeedLo(int32_t g) const { return groups_[size_t(g)].needLo; }
  int32_t NeedHi(int32_t g) const { return groups_[size_t(g)].needHi; }
  // The most source rows that must be held at once when rows arrive in order and every group is
  // run as soon as its last row is there; and when they arrive from the last row up (a picture
  // turned upside down) and every group is run as soon as its first row is there.
  int32_t WindowRows() const { return windowRows_; }
  int32_t WindowRowsUpward() const { return windowRowsUpward_; }

  // Runs group g: rowAt(y) gives source row y from column SpanLo() on (4 bytes per pixel); each
  // destination row y of the group is packed into output(y), clip width long, and then handed
  // to done(y, that row).
  using RowAt = std::function<const uint8_t*(int32_t y)>;
  using Output = std::function<TColor32*(int32_t y)>;
  using Done = std::function<void(int32_t y, TColor32* row)>;
  void RunGroup(int32_t g, const RowAt& rowAt, const Output& output, const Done& done);

 private:
  struct Dense {
    std::vector<resample::DenseList> lists;
    std::vector<int32_t> weights;
    bool fitsInt16 = true;
    bool fitsInt8 = true;
  };
  struct Group {
    int32_t y;      // first destination row
    int32_t rows;   // 1 or 2
    int32_t lo;     // first source row of the pass (aligned down to 4 for the two-row pass)
    int32_t quads;  // two-row pass: number of source row quads
    int32_t needLo, needHi;
  };
  static Dense MakeDense(const TContributionTable& table, int32_t base);

  Dense horizontal_, vertical_;
  int32_t clipTop_, width_, sourceHeight_;
  int32_t spanLo_ = 0, spanHi_ = -1;
  bool quadPass_ = false;
  resample::VerticalPassFn verticalPass_ = nullptr;
  resample::HorizontalPassFn horizontalPass_ = nullptr;
  std::vector<Group> groups_;
  int32_t windowRows_ = 0, windowRowsUpward_ = 0;
  // Scratch of the passes, kept between groups.
  std::vector<int32_t> sums_, sumsB_;
  std::vector<const uint8_t*> rows_;
  std::vector<uint32_t> weightsA_, weightsB_;
};

}  // namespace lumvale
