#include "TerminalDialogService.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

namespace lumvale {

TMessageButton TerminalDialogService::MessageBox(const QString& text, const QString& caption,
                                                 TMessageIcon, unsigned buttons,
                                                 TMessageButton defaultButton) {
  const QString plain = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (!(buttons & mbYesToAll)) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(plain));
    return defaultButton;
  }
  if (!::isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "%s\nNo (standard input is no terminal): the existing file is kept.\n",
                 qPrintable(plain));
    return mbNo;
  }
  for (;;) {
    std::fprintf(stderr, "%s\n[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All: ",
                 qPrintable(plain));
    std::string answer;
    if (!std::getline(std::cin, answer)) return mbCancel;
    if (answer == "y") return mbYes;
    if (answer == "n") return mbNo;
    if (answer == "c") return mbCancel;
    if (answer == "N") return mbNoToAll;
    if (answer == "A") return mbYesToAll;
  }
}

}  // namespace lumvale
