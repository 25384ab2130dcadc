#pragma once

#include "Exception.h"
#include "ImageJob.h"

#include <QString>

#include <cstdint>
#include <exception>

namespace lumvale {

// The error that ended the job on a photo, as the user reads it after the run: the photo's path,
// then the message of the error behind it. That error stays reachable, with its own kind, as the
// nested exception (std::rethrow_if_nested); construct this only while handling it.
class EJobError : public Exception, public std::nested_exception {
 public:
  EJobError(const QString& inputPath, const QString& reason);
  const QString& InputPath() const { return inputPath_; }
  const QString& Reason() const { return reason_; }

 private:
  QString inputPath_, reason_;
};

// The rules of the single image job that depend on nothing but their inputs.

// The output file name: without an addition, the input name unchanged for a JPEG name, else its
// base name and ".jpg"; with one, the base name (without its last extension) and the addition
// joined by "_", then ".jpg".
QString OutputName(const QString& inputName, bool addExtension, bool suffix,
                   const QString& addition);

// The output folder with a trailing "/": the given folder, else the chosen one, else the
// input's own folder.
QString OutputFolderFor(const QString& inputPath, const QString& outputFolder,
                        bool chosenFolderMode, const QString& chosenFolder);

}  // namespace lumvale
