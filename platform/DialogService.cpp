#include "DialogService.h"

#include <cstdio>

namespace lumvale {

namespace {

// Until a window system is set up (and in tools without one), questions are written to the
// standard error stream and answered with their default button.
class ConsoleDialogService final : public TDialogService {
 public:
  TMessageButton MessageBox(const QString& text, const QString& caption, TMessageIcon, unsigned,
                            TMessageButton defaultButton) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    return defaultButton;
  }
};

std::unique_ptr<TDialogService>& Current() {
  static std::unique_ptr<TDialogService> service = std::make_unique<ConsoleDialogService>();
  return service;
}

}  // namespace

QStringList TDialogService::OpenFiles(const QString&, const QString&, const QString&) {
  return {};
}

void TDialogService::ShowList(const QString&, const QString& text, const QStringList& lines) {
  std::fprintf(stderr, "%s\n", qPrintable(text));
  for (const QString& line : lines) std::fprintf(stderr, "%s\n", qPrintable(line));
}

QString TDialogService::BrowseForFolder(const QString&, const QString&) {
  return {};
}

bool TDialogService::InputBox(const QString&, const QString&, QString&) {
  return false;
}

int TDialogService::Execute(QDialog&) {
  return 0;
}

void TDialogService::OpenUrl(const QString&) {}

TDialogService& Dialogs() {
  return *Current();
}

std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service) {
  std::unique_ptr<TDialogService> previous = std::move(Current());
  Current() = service ? std::move(service) : std::make_unique<ConsoleDialogService>();
  return previous;
}

}  // namespace lumvale
