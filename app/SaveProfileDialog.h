#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lumvale {

// "Save Profile": overwrite the profile shown in the box, or save under a new name.
class TfrmSaveProfile : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmSaveProfile(QWidget* parent);

  QRadioButton* rgOverwrite;
  QRadioButton* rgNew;
  QLineEdit* edNewProfile;
  QPushButton* btOk;
  QPushButton* btCancel;

  // An empty new name is refused; the dialog stays open.
  void btOkClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lumvale
