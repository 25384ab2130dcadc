#include "InputExpansion.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace lumvale {

namespace {

const QString kPattern = QStringLiteral("*.jpg");

// Ordinary files only: no folders, nothing hidden (a name starting with ".").
bool IsOrdinaryFile(const QFileInfo& info) {
  return info.isFile() && !info.fileName().startsWith(u'.');
}

class TFolderWalk {
 public:
  TFolderWalk(bool subfolders, const QString& leftOut, std::vector<TRunFile>& files)
      : subfolders_(subfolders), files_(files) {
    if (!leftOut.isEmpty()) leftOut_ = QFileInfo(leftOut).canonicalFilePath();
  }

  void Walk(const QString& folder, const QString& subfolder) {
    // The same folder by another path (a link back up the tree, or to a sibling) is walked once.
    const QString real =
        QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).canonicalFilePath();
    if (real.isEmpty() || visited_.contains(real)) return;
    if (!subfolder.isEmpty() && real == leftOut_) return;
    visited_.insert(real);
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    // QDir leaves hidden entries out unless told otherwise; names are sorted as the user sees
    // them in a file manager's default order.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                                                    QDir::Name | QDir::IgnoreCase);
    QStringList folders;
    for (const QFileInfo& info : entries) {
      if (info.isDir()) {
        folders << info.fileName();
      } else if (IsOrdinaryFile(info) && IsPhotoName(info.fileName())) {
        files_.push_back({folder + info.fileName(), subfolder});
      }
    }
    if (!subfolders_) return;
    for (const QString& name : folders) Walk(folder + name + u'/', subfolder + name + u'/');
  }

 private:
  const bool subfolders_;
  QString leftOut_;  // canonical, or empty
  std::vector<TRunFile>& files_;
  QSet<QString> visited_;
};

}  // namespace

bool IsJpegName(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0) return false;
  const QString extension = name.mid(dot + 1).toLower();
  return extension == QLatin1String("jpg") || extension == QLatin1String("jpeg") ||
         extension == QLatin1String("jpe") || extension == QLatin1String("jfif");
}

bool IsPhotoName(const QString& name) {
  if (IsJpegName(name)) return true;
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0) return false;
  const QString extension = name.mid(dot + 1).toLower();
  return extension == QLatin1String("heic") || extension == QLatin1String("heif") ||
         extension == QLatin1String("hif") || extension == QLatin1String("avif");
}

QString FolderPattern(const QString& folder) {
  return folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) + kPattern;
}

QString PatternFolder(const QString& entry) {
  const QString folder = entry.left(entry.lastIndexOf(u'/') + 1);
  return entry.mid(folder.size()).compare(kPattern, Qt::CaseInsensitive) == 0 ? folder : QString();
}

std::vector<TRunFile> ExpandEntries(const QStringList& entries, bool subfolders,
                                    const QString& outputFolder) {
  std::vector<TRunFile> files;
  for (const QString& entry : entries) {
    const QString folder = PatternFolder(entry);
    if (!folder.isEmpty() || entry.compare(kPattern, Qt::CaseInsensitive) == 0) {
      // Each listed folder is a walk of its own: listing a folder and one inside it processes
      // the inner one's files twice, as listing a file twice would.
      TFolderWalk(subfolders, outputFolder, files).Walk(folder, QString());
    } else if (IsOrdinaryFile(QFileInfo(entry))) {
      files.push_back({entry, QString()});
    }
  }
  return files;
}

void AppendNewEntries(QStringList& list, const QStringList& entries) {
  QSet<QString> known(list.begin(), list.end());
  for (const QString& entry : entries) {
    if (!known.contains(entry)) {
      known.insert(entry);
      list << entry;
    }
  }
}

}  // namespace lumvale
