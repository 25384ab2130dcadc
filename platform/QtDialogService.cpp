#include "QtDialogService.h"

#include <QMessageBox>

namespace lumvale {

TMessageButton QtDialogService::MessageBox(const QString& text, const QString& caption,
                                           TMessageIcon icon, unsigned buttons,
                                           TMessageButton defaultButton) {
  static constexpr struct {
    TMessageButton ours;
    QMessageBox::StandardButton qt;
  } kButtons[] = {{mbYes, QMessageBox::Yes},         {mbNo, QMessageBox::No},
                  {mbOK, QMessageBox::Ok},           {mbCancel, QMessageBox::Cancel},
                  {mbNoToAll, QMessageBox::NoToAll}, {mbYesToAll, QMessageBox::YesToAll}};
  static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                                 QMessageBox::Warning, QMessageBox::Critical,
                                                 QMessageBox::Question};
  QMessageBox box(kIcons[static_cast<int>(icon)], caption, text);
  for (const auto& b : kButtons) {
    if (buttons & b.ours) box.addButton(b.qt);
    if (b.ours == defaultButton) box.setDefaultButton(b.qt);
  }
  const int answer = box.exec();
  for (const auto& b : kButtons) {
    if (answer == b.qt) return b.ours;
  }
  return (buttons & mbCancel) ? mbCancel : defaultButton;
}

}  // namespace lumvale
