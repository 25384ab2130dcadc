#pragma once

// The input list's entries and what they stand for at "Run": files, and the photo files of
// folders, optionally with every folder below them.

#include <QString>
#include <QStringList>

#include <vector>

namespace lumvale {

// Whether a name ends in one of the JPEG extensions (.jpg, .jpeg, .jpe, .jfif), in any case.
bool IsJpegName(const QString& name);
// Whether a name is that of a photo the program reads: a JPEG name, or a HEIF one (.heic, .heif,
// .hif, .avif), in any case.
bool IsPhotoName(const QString& name);

// The pattern a listed folder gets: its path, a "/" and "*.jpg".
QString FolderPattern(const QString& folder);
// The folder of a folder pattern ("" for a file entry), with its trailing "/".
QString PatternFolder(const QString& entry);

// One file of a run, and the folder below the listed folder it was found in ("" when it lay in
// the listed folder itself or was listed on its own; else relative, with a trailing "/").
struct TRunFile {
  QString path;
  QString subfolder;
  friend bool operator==(const TRunFile&, const TRunFile&) = default;
};

// The files of the entries, in list order. A file entry stands for itself when it is an
// ordinary file (not a folder, not hidden). A folder pattern stands for the photo files directly
// in its folder, by name; with subfolders, then for those of each folder below it, folder by
// folder by name, depth first. Hidden files and folders are left out, and a folder reached
// again (through a symbolic link) is not walked twice. The walk does not enter outputFolder
// (the run's chosen output folder, by any path) below a listed folder: its photos are the
// outputs of earlier runs.
std::vector<TRunFile> ExpandEntries(const QStringList& entries, bool subfolders,
                                    const QString& outputFolder = QString());

// Adds entries to a list without any that are already in it or repeated among them: the list's
// own order, then the new ones in their order. Linear in the sizes of both.
void AppendNewEntries(QStringList& list, const QStringList& entries);

}  // namespace lumvale
