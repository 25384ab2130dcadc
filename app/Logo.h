#pragma once

#include <QImage>

class QPainter;

namespace lumvale {

// The program's logo, drawn here (it is the picture's source): a photograph with a smaller
// copy of itself in front and an arrow from the large to the small one. Drawn into a square of
// size x size at the painter's origin; the same drawing makes the about box's picture, the
// icons of every size and the scalable icon.
void PaintLumvaleLogo(QPainter& painter, double size);

// The logo as a picture of size x size pixels (128 in the about box).
QImage LumvaleLogo(int size = 128);

}  // namespace lumvale
