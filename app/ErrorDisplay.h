#pragma once

#include "Exception.h"

#include <QString>

#include <exception>

namespace lumvale {

// The application's display of an error that ended a handler: a message box captioned with the
// application's title, showing the error's message.
void ShowError(const QString& message);

// Runs a handler; an error that leaves it is shown instead of crossing into Qt.
template <class Fn>
void Guarded(Fn&& handler) {
  try {
    handler();
  } catch (const Exception& e) {
    ShowError(e.Message());
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
  }
}

}  // namespace lumvale
