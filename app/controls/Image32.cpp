#include "Image32.h"

#include <QPainter>

#include <algorithm>

namespace lumvale {

TImage32::TImage32(QWidget* parent) : QWidget(parent) {
  bitmap_.OnChange = [this](TNotifiablePersistent&) {
    dirty_ = true;
    previewSource_ = nullptr;
    pictureSize_ = QSize();
    update();
  };
}

QSize TImage32::PreviewSize() const {
  const int w = pictureSize_.isValid() ? pictureSize_.width() : bitmap_.Width();
  const int h = pictureSize_.isValid() ? pictureSize_.height() : bitmap_.Height();
  if (w <= width() && h <= height()) return {w, h};
  const double scale = std::min(double(width()) / w, double(height()) / h);
  return {std::max(1, int(w * scale)), std::max(1, int(h * scale))};
}

void TImage32::ScaledPicture(const TBitmap32& scaled, QSize pictureSize) {
  pictureSize_ = pictureSize;
  dirty_ = true;
  // A window that is never put on a screen (the terminal mode's) shows nothing to make.
  if (window()->testAttribute(Qt::WA_DontShowOnScreen)) {
    preview_ = QImage();
    return;
  }
  previewSource_ = &scaled;
  Preview();  // while the scaled copy still exists
  previewSource_ = nullptr;
  update();
}

const QImage& TImage32::Preview() {
  if (!dirty_) return preview_;
  // A picture shown through a scaled copy keeps its preview until the next one.
  if (pictureSize_.isValid() && !previewSource_) return preview_;
  dirty_ = false;
  bitmap_.Lock();
  const TBitmap32& picture = previewSource_ ? *previewSource_ : bitmap_;
  if (picture.IsEmpty()) {
    preview_ = QImage();
  } else {
    const QSize size = PreviewSize();
    const TBitmap32* shown = &picture;
    if (size.width() != picture.Width() || size.height() != picture.Height()) {
      TBitmap32& from = const_cast<TBitmap32&>(picture);
      scaled_.Resize(size.width(), size.height());
      // The copy's resampler is the job's Lanczos kernel too.
      scaled_.StretchFrom(scaled_.FullRect(), from.FullRect(), &from);
      shown = &scaled_;
    }
    // Format_ARGB32 has the byte order of TColor32; the copy detaches from the bitmap.
    preview_ =
        QImage(reinterpret_cast<const uchar*>(shown->Bits()), shown->Width(), shown->Height(),
               int(shown->Width() * sizeof(TColor32)), QImage::Format_ARGB32)
            .copy();
  }
  bitmap_.Unlock();
  return preview_;
}

void TImage32::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage& image = Preview();
  if (!image.isNull()) painter.drawImage(0, 0, image);
}

void TImage32::resizeEvent(QResizeEvent*) {
  dirty_ = true;
}

}  // namespace lumvale
