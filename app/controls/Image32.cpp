#include "Image32.h"

#include <QPainter>

#include <algorithm>

namespace lumvale {

TImage32::TImage32(QWidget* parent) : QWidget(parent) {
  bitmap_.OnChange = [this](TNotifiablePersistent&) {
    dirty_ = true;
    previewSource_ = nullptr;
    update();
  };
}

QSize TImage32::PreviewSize() const {
  const int w = bitmap_.Width(), h = bitmap_.Height();
  if (w <= width() && h <= height()) return {w, h};
  const double scale = std::min(double(width()) / w, double(height()) / h);
  return {std::max(1, int(w * scale)), std::max(1, int(h * scale))};
}

void TImage32::AwaitScaledPicture() {
  awaiting_ = true;
}

void TImage32::ScaledPicture(const TBitmap32& scaled) {
  awaiting_ = false;
  const QSize size = PreviewSize();
  previewSource_ =
      scaled.Width() >= size.width() && scaled.Height() >= size.height() ? &scaled : nullptr;
  dirty_ = true;
  Preview();  // while the scaled copy still exists
  previewSource_ = nullptr;
  update();
}

const QImage& TImage32::Preview() {
  if (!dirty_ || awaiting_) return preview_;
  dirty_ = false;
  bitmap_.Lock();
  if (bitmap_.IsEmpty()) {
    preview_ = QImage();
  } else {
    const QSize size = PreviewSize();
    const TBitmap32* shown = &bitmap_;
    if (size.width() != bitmap_.Width() || size.height() != bitmap_.Height()) {
      TBitmap32& from = previewSource_ ? const_cast<TBitmap32&>(*previewSource_) : bitmap_;
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
