// The message boxes of the Qt dialog service answered from the keyboard, as a user does.
#include "QtDialogService.h"
#include "VirtualScreen.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTextEdit>
#include <QTimer>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// Presses a key in the modal box once it is up; the box is closed anyway after a while, so that
// a key that does not close it fails the test instead of hanging it.
struct KeyPresser {
  bool closedByKey = true;
  QString detailsWhenKeyPressed;
  explicit KeyPresser(Qt::Key key) {
    QTimer::singleShot(200, [this, key] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      if (auto* details = box->findChild<QTextEdit*>()) {
        detailsWhenKeyPressed = details->isVisible() ? details->toPlainText() : QString();
      }
      QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : box;
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
      QApplication::sendEvent(target, &press);
      QApplication::sendEvent(target, &release);
    });
    QTimer::singleShot(3000, [this] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        closedByKey = false;
        static_cast<QDialog*>(box)->reject();
      }
    });
  }
};

}  // namespace

TEST(QtDialogService, EnterClosesTheListOfSkippedPhotosShownAtOnce) {
  QtDialogService dialogs;
  KeyPresser enter(Qt::Key_Return);
  dialogs.ShowList("Skipped photos", "These photos could not be processed and were skipped (2):",
                   {"/a/1.jpg: damaged", "/a/2.jpg: empty"});
  EXPECT_EQ(enter.detailsWhenKeyPressed, "/a/1.jpg: damaged\n/a/2.jpg: empty");
  EXPECT_TRUE(enter.closedByKey) << "Enter hid the list instead of closing the box";
}

TEST(QtDialogService, EnterClosesTheListOfSkippedPhotosUnderEveryTheme) {
  // Under the GNOME theme Enter went to the button that shows and hides the list.
  VirtualScreen screen;
  if (!screen.Missing().isEmpty()) GTEST_SKIP() << screen.Missing().toStdString();
  screen.ExpectPassUnderEveryTheme("QtDialogService.EnterClosesTheListOfSkippedPhotosShownAtOnce");
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", TestPlatform());
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
