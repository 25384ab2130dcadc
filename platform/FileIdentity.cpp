#include "FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

namespace lumvale {

std::optional<TFileIdentity> TFileIdentity::Of(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
  TFileIdentity id;
  id.device = uint64_t(info.st_dev);
  id.inode = uint64_t(info.st_ino);
  id.size = int64_t(info.st_size);
  id.modifiedSeconds = int64_t(info.st_mtim.tv_sec);
  id.modifiedNanoseconds = int64_t(info.st_mtim.tv_nsec);
  id.changedSeconds = int64_t(info.st_ctim.tv_sec);
  id.changedNanoseconds = int64_t(info.st_ctim.tv_nsec);
  return id;
}

}  // namespace lumvale
