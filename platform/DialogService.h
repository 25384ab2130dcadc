#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QDialog;

namespace lumvale {

enum class TMessageIcon { none, information, warning, error, question };

// Buttons of a message box, combinable; the answer is one of them.
enum TMessageButton : unsigned {
  mbNone = 0,
  mbOK = 1u << 0,
  mbCancel = 1u << 1,
  mbYes = 1u << 2,
  mbNo = 1u << 3,
  mbYesToAll = 1u << 4,
  mbNoToAll = 1u << 5,
};

// Every modal question the program asks goes through this service, so that tests can answer it
// without a screen. The program installs QtDialogService at start; until then (and in tools
// without a window system) questions go to the standard error stream and get their default.
class TDialogService {
 public:
  virtual ~TDialogService() = default;
  // Shows a modal message box (no owner window) and returns the button pressed; closing the box
  // answers the cancel button when there is one, else the default.
  virtual TMessageButton MessageBox(const QString& text, const QString& caption, TMessageIcon icon,
                                    unsigned buttons, TMessageButton defaultButton) = 0;
  // Files to open, in the dialog's order; empty when cancelled.
  virtual QStringList OpenFiles(const QString& title, const QString& filter,
                                const QString& directory);
  // One existing folder; empty when cancelled. preselect may name no folder.
  virtual QString BrowseForFolder(const QString& title, const QString& preselect);
  // A line of text; false when cancelled.
  virtual bool InputBox(const QString& caption, const QString& prompt, QString& text);
  // Shows one of the program's own dialogs modally; returns its result (QDialog::Accepted or
  // QDialog::Rejected).
  virtual int Execute(QDialog& dialog);
  // Opens a web page in the user's browser; the result is not examined.
  virtual void OpenUrl(const QString& address);
  // Tells of a list of things (one line each) that the user may want to copy, such as the
  // photos a run skipped. Without a window: the text and then each line on standard error.
  virtual void ShowList(const QString& caption, const QString& text, const QStringList& lines);
};

TDialogService& Dialogs();
// Replaces the service; returns the previous one. nullptr restores the console service.
std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service);

}  // namespace lumvale
