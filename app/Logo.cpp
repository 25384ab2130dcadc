#include "Logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace lumvale {

namespace {

// A small landscape photograph: sky, sun, two hills, in a white frame.
void Photo(QPainter& p, const QRectF& r) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(r, 4, 4);
  const QRectF inner =
      r.adjusted(r.width() * 0.07, r.height() * 0.08, -r.width() * 0.07, -r.height() * 0.08);
  QLinearGradient sky(inner.topLeft(), inner.bottomLeft());
  sky.setColorAt(0, QColor(58, 123, 213));
  sky.setColorAt(1, QColor(170, 215, 245));
  p.setBrush(sky);
  p.drawRect(inner);
  p.setBrush(QColor(255, 206, 84));
  p.drawEllipse(QPointF(inner.left() + inner.width() * 0.75, inner.top() + inner.height() * 0.3),
                inner.width() * 0.1, inner.width() * 0.1);
  QPainterPath hills;
  hills.moveTo(inner.bottomLeft());
  hills.lineTo(inner.left(), inner.top() + inner.height() * 0.7);
  hills.quadTo(inner.left() + inner.width() * 0.3, inner.top() + inner.height() * 0.35,
               inner.left() + inner.width() * 0.55, inner.top() + inner.height() * 0.72);
  hills.quadTo(inner.left() + inner.width() * 0.8, inner.top() + inner.height() * 0.5,
               inner.right(), inner.top() + inner.height() * 0.68);
  hills.lineTo(inner.bottomRight());
  hills.closeSubpath();
  p.setBrush(QColor(76, 153, 76));
  p.drawPath(hills);
}

}  // namespace

void PaintLumvaleLogo(QPainter& p, double size) {
  p.save();
  p.scale(size / 128, size / 128);  // drawn on a grid of 128
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 40));
  p.drawRoundedRect(QRectF(10, 12, 100, 80), 6, 6);  // shadow of the large photo
  Photo(p, QRectF(6, 6, 100, 80));
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRoundedRect(QRectF(66, 74, 56, 46), 4, 4);
  Photo(p, QRectF(62, 70, 56, 45));
  // The arrow from the large photo down to the small one.
  QPainterPath arrow;
  arrow.moveTo(20, 96);
  arrow.quadTo(22, 116, 46, 114);
  p.setPen(QPen(QColor(230, 120, 30), 6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(arrow);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 120, 30));
  p.drawPolygon(QPolygonF({QPointF(44, 104), QPointF(58, 114), QPointF(44, 123)}));
  p.restore();
}

QImage LumvaleLogo(int size) {
  QImage logo(size, size, QImage::Format_ARGB32_Premultiplied);
  logo.fill(Qt::transparent);
  QPainter p(&logo);
  PaintLumvaleLogo(p, size);
  return logo;
}

}  // namespace lumvale
