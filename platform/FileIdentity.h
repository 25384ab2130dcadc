#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace lumvale {

// Which file a path names and in which state: a file replaced under the same name (another
// inode), rewritten in place (size, times) or only touched compares unequal. The change time,
// which nobody can set, catches a rewrite that restored the size and the modification time.
struct TFileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
  int64_t changedSeconds = 0, changedNanoseconds = 0;

  // None when the path names nothing that can be reached.
  static std::optional<TFileIdentity> Of(const QString& path);

  friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};

}  // namespace lumvale
