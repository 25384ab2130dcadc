#include "ErrorDisplay.h"

#include "DialogService.h"

#include <QCoreApplication>

namespace lumvale {

void ShowError(const QString& message) {
  Dialogs().MessageBox(message, QCoreApplication::applicationName(), TMessageIcon::error, mbOK,
                       mbOK);
}

}  // namespace lumvale
