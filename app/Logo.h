#pragma once

#include <QImage>

namespace lumvale {

// The program's 128 x 128 logo, drawn here (it is the picture's source): a photograph with a
// smaller copy of itself in front and an arrow from the large to the small one.
QImage LumvaleLogo();

}  // namespace lumvale
