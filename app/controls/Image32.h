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

  // Shows a picture of pictureSize through a scaled copy of it: the preview is made from the
  // copy, so the full-size picture is never needed. The bitmap is left alone.
  void ScaledPicture(const TBitmap32& scaled, QSize pictureSize);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TBitmap32 bitmap_;
  TBitmap32 scaled_;
  const TBitmap32* previewSource_ = nullptr;  // a scaled copy of the picture, or none
  QSize pictureSize_;  // of the picture shown through a scaled copy; invalid: the bitmap's
  QImage preview_;
  bool dirty_ = true;
};

}  // namespace lumvale
