#pragma once

#include "Bitmap32.h"

#include <QImage>
#include <QWidget>

namespace lumvale {

// Shows a TBitmap32 at the top left: a picture larger than the display scaled down to fit with
// its aspect ratio (through the bitmap's own resampler), a smaller one at its own size. The
// scaled picture is made once per change of the bitmap, not per paint.
class TImage32 : public QWidget {
  Q_OBJECT

 public:
  explicit TImage32(QWidget* parent = nullptr);
  TBitmap32& Bitmap() { return bitmap_; }
  // The size the picture is shown at.
  QSize PreviewSize() const;
  // The shown picture (made now if the bitmap changed since).
  const QImage& Preview();

  // For a picture that is about to be scaled anyway: until ScaledPicture hands over the scaled
  // copy, the display keeps what it shows instead of shrinking the full-size picture itself.
  void AwaitScaledPicture();
  // A scaled copy of the bitmap's picture; the preview is made from it when it is at least as
  // large as the preview (else from the bitmap), which spares a second full-size shrink.
  void ScaledPicture(const TBitmap32& scaled);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TBitmap32 bitmap_;
  TBitmap32 scaled_;
  const TBitmap32* previewSource_ = nullptr;  // a scaled copy of the picture, or none
  QImage preview_;
  bool dirty_ = true;
  bool awaiting_ = false;
};

}  // namespace lumvale
