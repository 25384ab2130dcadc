#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace lumvale {

class TBitmap32;

// A picture that can be read from a file and drawn into a 32-bit bitmap.
class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual void LoadFromFile(const QString& path) = 0;
  // Draws the picture 1:1 into target, which has the picture's size. Returns true when every
  // pixel written already has alpha 255.
  virtual bool DrawInto(TBitmap32& target) = 0;
};

// A new, empty picture of the class registered for the file's extension (compared without regard
// to case): "jpeg" and "jpg" give a TJPEGImage. Throws EInvalidGraphic
// "Unknown picture file extension (.%s)" for any other extension.
std::unique_ptr<TGraphic> CreateGraphicForFile(const QString& path);

}  // namespace lumvale
