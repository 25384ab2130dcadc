#pragma once

// The main window with a run's status lines recorded, its questions answered by a script, in a
// folder of its own: the fixture of the batch tests.

#include "GnuGettext.h"
#include "JpegImage.h"
#include "MainWindow.h"
#include "ScriptedDialogs.h"
#include "StatusWindow.h"
#include "TestImages.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace lumvale::test {

inline void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
}

inline QSize JpegSize(const QString& path) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path);
  return {jpeg.Width(), jpeg.Height()};
}

class BatchTest : public testing::Test {
 protected:
  BatchTest() : env_({{"LANG", "C"}}), l10n_(install_.Executable(), install_.Table()) {
    connect();
    w.show();
    QApplication::processEvents();
    w.edAddExt->setText("small");
    w.UpdateControls();
  }

  void connect() {
    QObject::connect(&w, &TfrmMain::StatusShown, [this](const QString& line) {
      status.push_back(line);
      if (onStatus) onStatus(line);
    });
  }

  QString Photo(const QString& name, int width = 64, int height = 48) {
    const QString path = dir.filePath(name);
    WriteFile(path, MakeJpeg({.width = width, .height = height}));
    return path;
  }

  // Runs the job on one file inside a status window of its own, as the run does.
  void Job(const QString& path, const QString& folder = {}) {
    frmImagePopup = new TfrmImagePopup(w);
    w.InitProgress(1);
    try {
      w.ProcessImage(path, folder);
    } catch (...) {
      steps = frmImagePopup->pg->value();
      delete frmImagePopup;
      frmImagePopup = nullptr;
      throw;
    }
    steps = frmImagePopup->pg->value();
    delete frmImagePopup;
    frmImagePopup = nullptr;
  }

  void Run() {
    w.btRun->click();
    QApplication::processEvents();
  }

  Installation install_;
  Environment env_;
  TLocalization l10n_;
  ScriptedDialogs dialogs;
  QTemporaryDir dir;
  TfrmMain w;
  std::vector<QString> status;
  std::function<void(const QString&)> onStatus;
  int steps = 0;
};

}  // namespace lumvale::test
