#pragma once

#include "Exception.h"

namespace lumvale {

// Errors of the localization subsystem.
class EGnuGettext : public Exception {
 public:
  using Exception::Exception;
};

// A catalogue that cannot be opened, mapped or read.
class EGGIOError : public EGnuGettext {
 public:
  using EGnuGettext::EGnuGettext;
};

}  // namespace lumvale
