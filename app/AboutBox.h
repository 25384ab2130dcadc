#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace lumvale {

// "About Lumvale": the logo, the name, what the program does, the web site and the version.
class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAbout(QWidget* parent);

  QLabel* imgLogo;
  QLabel* lbProgramName;
  QLabel* lbProgramNameSmall;
  QLabel* lbURL;
  QLabel* lbVersion;
  QPushButton* btOk;

  void lbURLClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lumvale
