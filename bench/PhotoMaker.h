#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Makes a photo-like JPEG: smooth shapes with fractal detail and sensor grain, so that its
// entropy (and with it libjpeg's decode cost) is that of a camera photo, not of a flat test card.
std::vector<uint8_t> MakePhotoJpeg(int width, int height, bool progressive, int quality);
