#pragma once

// A virtual X server for the tests that need a real window system (Qt's platform themes run
// only on one), and a way to run one test of the running test program again on it under a
// theme. Tests run offscreen otherwise: TestPlatform() tells a test program's main which
// platform to start with.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <iostream>

namespace lumvale::test {

// The platform a test program starts on: offscreen, unless VirtualScreen::Run asked for another.
inline QByteArray TestPlatform() {
  const QByteArray asked = qgetenv("LUMVALE_TEST_PLATFORM");
  return asked.isEmpty() ? QByteArrayLiteral("offscreen") : asked;
}

class VirtualScreen {
 public:
  VirtualScreen() {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) return;
    // Xvfb picks a free display and writes its number once it accepts clients.
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    if (!server_.waitForStarted(5000)) return;
    QByteArray number;
    while (!number.contains('\n') && server_.waitForReadyRead(10000)) {
      number += server_.readAllStandardOutput();
    }
    bool ok = false;
    const int n = number.trimmed().toInt(&ok);
    if (ok) display_ = QStringLiteral(":") + QString::number(n);
  }
  ~VirtualScreen() {
    if (server_.state() == QProcess::NotRunning) return;
    server_.terminate();
    server_.waitForFinished(5000);
  }
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;

  // Why no test can run on it, or empty.
  QString Missing() const {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
      return QStringLiteral("Xvfb is not installed");
    }
    return display_.isEmpty() ? QStringLiteral("Xvfb did not start") : QString();
  }

  // Whether Qt can run a platform theme: gnome, kde and none are built in; others are plugins.
  static bool ThemeInstalled(const QString& theme) {
    if (theme == QLatin1String("gnome") || theme == QLatin1String("kde") ||
        theme == QLatin1String("none")) {
      return true;
    }
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    return QFileInfo::exists(plugins + QStringLiteral("/platformthemes/libq") + theme +
                             QStringLiteral(".so"));
  }

  struct Result {
    int exitCode = -1;
    QString output;
  };
  // Runs the tests of filter in this test program on the screen under theme ("none": no theme
  // asked for, nor a desktop to take one from).
  Result Run(const QString& filter, const QString& theme) const {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                             "WAYLAND_DISPLAY", "GTK_THEME"}) {
      env.remove(QString::fromLatin1(name));
    }
    env.insert(QStringLiteral("LUMVALE_TEST_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display_);
    if (theme != QLatin1String("none")) env.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), theme);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + filter});
    Result result;
    if (!child.waitForFinished(60000)) {
      child.kill();
      child.waitForFinished();
      result.output = QStringLiteral("(did not finish within a minute)\n");
    }
    result.output += QString::fromUtf8(child.readAll());
    if (child.exitStatus() == QProcess::NormalExit) result.exitCode = child.exitCode();
    return result;
  }

  // Expects the tests of filter to pass under each of Qt's themes: GNOME, GTK, KDE and none. A
  // theme that is not installed is said and left out.
  void ExpectPassUnderEveryTheme(const QString& filter) const {
    for (const char* theme : {"gnome", "gtk3", "kde", "none"}) {
      if (!ThemeInstalled(QString::fromLatin1(theme))) {
        std::cout << "the " << theme << " theme is not installed: not tried\n";
        continue;
      }
      const Result run = Run(filter, QString::fromLatin1(theme));
      EXPECT_EQ(run.exitCode, 0) << theme << ":\n" << run.output.toStdString();
      EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ]"))) << theme;
    }
  }

 private:
  QProcess server_;
  QString display_;
};

}  // namespace lumvale::test
