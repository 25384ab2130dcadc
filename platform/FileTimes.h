#pragma once

#include <QString>

namespace lumvale {

// Gives the file `to` the modification time of the file `from`, to the nanosecond (its access
// time becomes the same). False when either cannot be reached.
bool CopyModificationTime(const QString& from, const QString& to);

}  // namespace lumvale
