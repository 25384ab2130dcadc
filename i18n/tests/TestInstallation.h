#pragma once

// A test installation: environment variables set for one test, and a folder with an
// "executable" whose table embeds German and Italian catalogues, with a locale folder beside it.

#include "Catalogues.h"
#include "DialogService.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumvale::test {

// Sets LANG, LC_ALL and LC_MESSAGES for one test (unset unless given) and restores them after it.
class Environment {
 public:
  Environment(std::initializer_list<std::pair<const char*, const char*>> values);
  ~Environment();

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// Answers every message box with its default and remembers it, while it is installed.
class RecordingDialogs final : public TDialogService {
 public:
  struct Box {
    QString text, caption;
  };
  RecordingDialogs() : previous_(SetDialogService(std::make_unique<Forwarder>(*this))) {}
  ~RecordingDialogs() { SetDialogService(std::move(previous_)); }
  TMessageButton MessageBox(const QString& text, const QString& caption, TMessageIcon, unsigned,
                            TMessageButton defaultButton) override {
    boxes.push_back({text, caption});
    return defaultButton;
  }
  std::vector<Box> boxes;

 private:
  class Forwarder final : public TDialogService {
   public:
    explicit Forwarder(RecordingDialogs& to) : to_(to) {}
    TMessageButton MessageBox(const QString& text, const QString& caption, TMessageIcon icon,
                              unsigned buttons, TMessageButton defaultButton) override {
      return to_.MessageBox(text, caption, icon, buttons, defaultButton);
    }

   private:
    RecordingDialogs& to_;
  };
  std::unique_ptr<TDialogService> previous_;
};

class Installation {
 public:
  Installation();
  Installation(const Messages& german, const Messages& italian);
  const QString& Executable() const { return exe_; }
  uint64_t Table() const { return table_; }
  QString Locale(const QString& relative) const { return dir_.filePath("locale/" + relative); }

 private:
  QTemporaryDir dir_;
  QString exe_;
  uint64_t table_ = 0;
};

}  // namespace lumvale::test
