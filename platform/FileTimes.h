#pragma once

#include <QString>

#include <optional>

#include <ctime>

namespace lumvale {

// A file's modification time, to the nanosecond; none when the file cannot be reached.
std::optional<timespec> ModificationTime(const QString& path);

// Gives a file that modification time (its access time becomes the same). False when the file
// cannot be reached or its times cannot be set.
bool SetModificationTime(const QString& path, const timespec& time);

}  // namespace lumvale
