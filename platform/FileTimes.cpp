#include "FileTimes.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace lumvale {

bool CopyModificationTime(const QString& from, const QString& to) {
  struct stat source {};
  if (::stat(QFile::encodeName(from).constData(), &source) != 0) return false;
  const timespec times[2] = {source.st_mtim, source.st_mtim};
  return ::utimensat(AT_FDCWD, QFile::encodeName(to).constData(), times, 0) == 0;
}

}  // namespace lumvale
