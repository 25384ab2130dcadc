#include "TerminalDialogService.h"

#include "PlatformTexts.h"
#include "TextMarker.h"

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
    std::fprintf(stderr, "%s\n%s\n", qPrintable(plain),
                 qPrintable(TranslatePlatformText(
                     N_("No (standard input is no terminal): the existing file is kept."))));
    return mbNo;
  }
  // The keys to type stay as they are in every language; only their meanings are translated.
  const QString legend =
      TranslatePlatformText(N_("[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All"));
  for (;;) {
    std::fprintf(stderr, "%s\n%s: ", qPrintable(plain), qPrintable(legend));
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
