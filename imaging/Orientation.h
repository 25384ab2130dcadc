#pragma once

#include "Bitmap32.h"

namespace lumvale {

// How a stored picture is turned to be seen upright, as mirrors of the stored picture followed
// by an optional transpose (rows become columns). Every EXIF orientation is such a turn:
//   1 nothing, 2 mirrorRows, 3 both mirrors, 4 upsideDown, 5 transpose,
//   6 (90 degrees clockwise) upsideDown + transpose, 7 both mirrors + transpose,
//   8 (90 degrees anticlockwise) mirrorRows + transpose.
// Mirrors are applied to the source; a transpose may be applied to the shrunk picture instead,
// since the kernel shrink is separable with the same weight lists on either axis and its sums
// are exact integers: shrinking a transposed picture gives the transpose of the shrink.
struct TOrientation {
  bool mirrorRows = false;  // left and right swapped
  bool upsideDown = false;  // top and bottom swapped
  bool transpose = false;

  bool IsNone() const { return !mirrorRows && !upsideDown && !transpose; }
};

// The turn for an EXIF orientation value; anything but 2 to 8 is no turn.
TOrientation OrientationFromExif(long value);

// Applies the mirrors of o to picture in place.
void Mirror(TBitmap32& picture, const TOrientation& o);
// picture becomes its transpose (width and height swapped).
void Transpose(TBitmap32& picture);

}  // namespace lumvale
