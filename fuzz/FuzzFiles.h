#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The readers under test open files: each input is written to a file of this process.
QString WriteFuzzFile(const char* name, const uint8_t* data, size_t size);
