#include "Image32.h"

#include <QPainter>

#include <algorithm>

namespace lumvale {

TImage32::TImage32(QWidget* parent) : QWidget(parent) {
  bitmap_.OnChange = [this](TNotifiablePersistent&) {
    dirty_ = true;
    update();
  };
}

QSize TImage32::PreviewSize() const {
  const int w = bitmap_.Width(), h = bitmap_.Height();
  if (w <= width() && h <= height()) return {w, h};
  const double scale = std::min(double(width()) / w, double(height()) / h);
  return {std::max(1, int(w * scale)), std::max(1, int(h * scale))};
}

const QImage& TImage32::Preview() {
  if (!dirty_) return preview_;
  dirty_ = false;
  bitmap_.Lock();
  if (bitmap_.IsEmpty()) {
    preview_ = QImage();
  } else {
    const QSize size = PreviewSize();
    const TBitmap32* shown = &bitmap_;
    if (size.width() != bitmap_.Width() || size.height() != bitmap_.Height()) {
      scaled_.Resize(size.width(), size.height());
      scaled_.StretchFrom(scaled_.FullRect(), bitmap_.FullRect(), &bitmap_);
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
