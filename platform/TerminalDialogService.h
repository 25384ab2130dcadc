#pragma once

#include "DialogService.h"

namespace lumvale {

// The dialog service of the command line without a screen: messages go to standard error; the
// overwrite question (the one with "Yes to All") is asked on the terminal when standard input is
// one (y Yes, n No, c Cancel, N No to All, A Yes to All) and answered No otherwise.
class TerminalDialogService final : public TDialogService {
 public:
  TMessageButton MessageBox(const QString& text, const QString& caption, TMessageIcon icon,
                            unsigned buttons, TMessageButton defaultButton) override;
};

}  // namespace lumvale
