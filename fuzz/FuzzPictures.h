#pragma once

#include <cstdint>
#include <vector>

// Small pictures the fuzz targets put hostile markers into, made once per process.
namespace fuzz {

// An 8 x 8 JPEG of the kind cameras write (YCbCr), and one of the kind print shops write (CMYK
// with Adobe's marker).
const std::vector<uint8_t>& ColourJpeg();
const std::vector<uint8_t>& CmykJpeg();

// The JPEG with one APPn marker (0xE0 + n) per payload right after its start marker; payloads
// are cut to the 65533 bytes a marker holds.
std::vector<uint8_t> WithApps(const std::vector<uint8_t>& jpeg, int n,
                              const std::vector<std::vector<uint8_t>>& payloads);

}  // namespace fuzz
