#pragma once

// The program's German and Italian messages as the build compiled them from po/, for tests that
// embed them in a test installation.

#include "Catalogues.h"

#include <QString>

#include <algorithm>

namespace lumvale::test {

// The messages of a built catalogue, without its header (a test catalogue gets its own).
inline Messages BuiltMessages(const char* code) {
  Messages m =
      Unformat(QStringLiteral(LUMVALE_CATALOGUE_DIR "/%1/LC_MESSAGES/default.mo").arg(code));
  std::erase_if(m, [](const auto& entry) { return entry.first.empty(); });
  return m;
}

}  // namespace lumvale::test
