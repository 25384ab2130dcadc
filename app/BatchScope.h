#pragma once

#include "MainWindow.h"
#include "StatusWindow.h"

#include <QString>

#include <functional>

namespace lumvale {

// A batch's frame: the status window (centred over the main window), the wait cursor and the
// running state from construction on; the clean-up ("Done", the status window released, the
// idle state) when it goes, on every path.
class TBatchScope {
 public:
  explicit TBatchScope(TfrmMain& main);
  ~TBatchScope();
  TBatchScope(const TBatchScope&) = delete;
  TBatchScope& operator=(const TBatchScope&) = delete;

  // Runs the loop over the files; an error of a job ends it and is kept for display after
  // the clean-up.
  TBatchOutcome Run(const std::function<void()>& files);
  const QString& Error() const { return error_; }

 private:
  TfrmMain& main_;
  TfrmImagePopup* popup_;
  QString error_;
};

}  // namespace lumvale
