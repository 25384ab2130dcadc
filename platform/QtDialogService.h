#pragma once

#include "DialogService.h"

namespace lumvale {

// The dialog service of the running program: Qt message boxes.
class QtDialogService final : public TDialogService {
 public:
  TMessageButton MessageBox(const QString& text, const QString& caption, TMessageIcon icon,
                            unsigned buttons, TMessageButton defaultButton) override;
  QStringList OpenFiles(const QString& title, const QString& filter,
                        const QString& directory) override;
  QString BrowseForFolder(const QString& title, const QString& preselect) override;
  bool InputBox(const QString& caption, const QString& prompt, QString& text) override;
  int Execute(QDialog& dialog) override;
  void OpenUrl(const QString& address) override;
  void ShowList(const QString& caption, const QString& text, const QStringList& lines) override;
};

}  // namespace lumvale
