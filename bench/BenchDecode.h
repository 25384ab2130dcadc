#pragma once

#include <cstddef>
#include <cstdint>

// libjpeg-turbo on its own, as the program decodes (floating-point DCT, blue-green-red-x
// pixels), into a fresh zeroed buffer like the program's pixel store: the yardstick of the
// benchmarks.
void DecodeAlone(const uint8_t* data, size_t size);
