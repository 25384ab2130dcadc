#pragma once

// A dialog service for widget tests: message boxes are recorded and answered from a queue (the
// default button when it is empty); the file and folder dialogs return what the test set.

#include "DialogService.h"

#include <QDialog>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace lumvale::test {

class ScriptedDialogs {
 public:
  struct Box {
    QString text, caption;
    unsigned buttons;
    TMessageButton defaultButton;
  };
  ScriptedDialogs() : previous_(SetDialogService(std::make_unique<Service>(*this))) {}
  ~ScriptedDialogs() { SetDialogService(std::move(previous_)); }

  std::vector<Box> boxes;
  std::deque<TMessageButton> answers;
  QStringList files;
  std::vector<QString> fileFilters;  // of every open dialog
  QString folder;
  std::vector<QString> folderPreselects;
  std::deque<QString> inputs;  // answers of input boxes; none left: cancelled
  std::function<int(QDialog&)> dialogScript;
  std::vector<QString> urls;
  struct List {
    QString text, caption;
    QStringList lines;
  };
  std::vector<List> lists;

 private:
  class Service final : public TDialogService {
   public:
    explicit Service(ScriptedDialogs& s) : s_(s) {}
    TMessageButton MessageBox(const QString& text, const QString& caption, TMessageIcon,
                              unsigned buttons, TMessageButton defaultButton) override {
      s_.boxes.push_back({text, caption, buttons, defaultButton});
      if (s_.answers.empty()) return defaultButton;
      const TMessageButton answer = s_.answers.front();
      s_.answers.pop_front();
      return answer;
    }
    QStringList OpenFiles(const QString&, const QString& filter, const QString&) override {
      s_.fileFilters.push_back(filter);
      return s_.files;
    }
    QString BrowseForFolder(const QString&, const QString& preselect) override {
      s_.folderPreselects.push_back(preselect);
      return s_.folder;
    }
    bool InputBox(const QString&, const QString&, QString& text) override {
      if (s_.inputs.empty()) return false;
      text = s_.inputs.front();
      s_.inputs.pop_front();
      return true;
    }
    int Execute(QDialog& dialog) override { return s_.dialogScript ? s_.dialogScript(dialog) : 0; }
    void OpenUrl(const QString& address) override { s_.urls.push_back(address); }
    void ShowList(const QString& caption, const QString& text, const QStringList& lines) override {
      s_.lists.push_back({text, caption, lines});
    }

   private:
    ScriptedDialogs& s_;
  };
  std::unique_ptr<TDialogService> previous_;
};

}  // namespace lumvale::test
