#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace lumvale {

class TImage32;
class TfrmMain;

// The status window of a batch: the picture being worked on, the progress with a counter of
// files, one status line and Cancel. Not modal; stays above the main window; refuses to be
// closed by the user (the batch releases it).
class TfrmImagePopup : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmImagePopup(TfrmMain& main);

  QGroupBox* gbImage;
  TImage32* img;
  QProgressBar* pg;
  QLabel* lbPG;
  QLabel* lbStatus;
  QPushButton* btCancel;

  void btCancelClick();

 protected:
  // FormCloseQuery: always refused.
  void closeEvent(QCloseEvent* event) override;
  // Escape is Cancel, not a close.
  void reject() override;

 private:
  TfrmMain& main_;
};

// The status window of the running batch, or nullptr.
extern TfrmImagePopup* frmImagePopup;

}  // namespace lumvale
