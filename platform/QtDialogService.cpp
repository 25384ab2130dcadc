#include "QtDialogService.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

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
  // The translator writes line breaks as CR LF; a label wants plain LF.
  QMessageBox box(kIcons[static_cast<int>(icon)], caption,
                  QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
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

void QtDialogService::ShowList(const QString& caption, const QString& text,
                               const QStringList& lines) {
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The list in the box's details: a text field to scroll, select and copy, shown at once.
  box.setDetailedText(lines.join(u'\n'));
  for (QAbstractButton* button : box.buttons()) {
    if (box.buttonRole(button) != QMessageBox::ActionRole) continue;
    button->click();
    // Enter closes the box: the details button keeps neither the focus it got from the click
    // nor a claim to Enter (under the GNOME theme Enter went to it and hid the list).
    if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
  }
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}

QStringList QtDialogService::OpenFiles(const QString& title, const QString& filter,
                                       const QString& directory) {
  return QFileDialog::getOpenFileNames(nullptr, title, directory, filter);
}

QString QtDialogService::BrowseForFolder(const QString& title, const QString& preselect) {
  const QString start = QFileInfo(preselect).isDir() ? preselect : QString();
  return QFileDialog::getExistingDirectory(nullptr, title, start);
}

bool QtDialogService::InputBox(const QString& caption, const QString& prompt, QString& text) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(nullptr, caption, prompt, QLineEdit::Normal, text, &ok);
  if (ok) text = answer;
  return ok;
}

int QtDialogService::Execute(QDialog& dialog) {
  return dialog.exec();
}

void QtDialogService::OpenUrl(const QString& address) {
  QDesktopServices::openUrl(QUrl(address));
}

}  // namespace lumvale
