#pragma once

#include <QString>

namespace lumvale {

// The running executable's full path (/proc/self/exe, resolved).
QString ExecutablePath();

}  // namespace lumvale
