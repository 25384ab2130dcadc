#include "FileTimes.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace lumvale {

std::optional<timespec> ModificationTime(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
  return info.st_mtim;
}

bool SetModificationTime(const QString& path, const timespec& time) {
  const timespec times[2] = {time, time};
  return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

}  // namespace lumvale
