#include "GnuGettext.h"
#include "Image32.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "StatusWindow.h"
#include "TestInstallation.h"
#include "WindowTranslation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// A shown main window with the keyboard focus, in a localization of its own.
class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest() : env_({{"LANG", "C"}}), l10n_(install_.Executable(), install_.Table()) {
    w.show();
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
  }

  // Types text into an edit that has the focus, then moves the focus away.
  void TypeAndLeave(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    w.cbProgressive->setFocus();
    QApplication::processEvents();
  }

  Installation install_;
  Environment env_;
  TLocalization l10n_;
  RecordingDialogs dialogs;
  QTemporaryDir dir_;
  TfrmMain w{dir_.filePath("Lumvale.ini")};
};

}  // namespace

TEST_F(MainWindowTest, ControlsAreNamedAndCaptioned) {
  const struct {
    const char* name;
    const char* text;
  } buttons[] = {{"btOpen", "Select Images"},        {"btFolder", "Select Folder"},
                 {"btSameInput", "Same as input"},   {"btOutputPath", "Select Folder"},
                 {"btSaveProfile", "Save settings"}, {"btRun", "Run"}};
  for (const auto& b : buttons) {
    auto* button = w.findChild<QPushButton*>(b.name);
    ASSERT_NE(button, nullptr) << b.name;
    EXPECT_EQ(button->text(), b.text);
  }
  EXPECT_EQ(w.windowTitle(), "Lumvale - Image Resizer Software");
  EXPECT_TRUE(w.btRun->font().bold());
  EXPECT_EQ(w.findChild<QAction*>("miExit")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
  EXPECT_EQ(w.findChild<QMenu*>("miProfiles")->title(), "Profiles");
  EXPECT_EQ(w.findChild<QAction*>("miCreateSendTo")->text(),
            "Create \"Send to\" for the current profile");
  EXPECT_EQ(w.findChild<QAction*>("miDeleteProfile")->text(), "Delete profile");
  EXPECT_EQ(w.tbQuality->value(), 90);
  EXPECT_EQ(w.edQuality->text(), "90");
  EXPECT_TRUE(w.rgSufix->isChecked());
  EXPECT_EQ(w.Timer->interval(), 1);
  EXPECT_NE(FindMarker(&w), nullptr) << "the window translated itself";
}

TEST_F(MainWindowTest, QualityEditAndTrackBarStayCoupled) {
  TypeAndLeave(w.edQuality, "150");
  EXPECT_EQ(w.edQuality->text(), "100");
  EXPECT_EQ(w.tbQuality->value(), 100);
  for (const char* text : {"0", "abc", ""}) {
    TypeAndLeave(w.edQuality, text);
    EXPECT_EQ(w.edQuality->text(), "1") << text;
    EXPECT_EQ(w.tbQuality->value(), 1) << text;
  }
  TypeAndLeave(w.edQuality, "55");
  EXPECT_EQ(w.tbQuality->value(), 55) << "every keystroke moves the track bar";
  w.tbQuality->setFocus();
  QTest::keyClick(w.tbQuality, Qt::Key_Home);  // dragged to the left end
  EXPECT_EQ(w.edQuality->text(), "1");
  EXPECT_EQ(w.tbQuality->value(), 1) << "settles at 1";
}

TEST_F(MainWindowTest, DimensionEditsAreCorrectedWhenLeft) {
  w.cbWidth->setChecked(true);
  TypeAndLeave(w.edWidth, "-640");
  EXPECT_EQ(w.edWidth->text(), "640");
  EXPECT_TRUE(w.cbWidth->isChecked());

  w.cbHeight->setChecked(true);
  EXPECT_TRUE(w.edHeight->isEnabled());
  TypeAndLeave(w.edHeight, "");
  EXPECT_EQ(w.edHeight->text(), "0");
  EXPECT_FALSE(w.cbHeight->isChecked());
  EXPECT_FALSE(w.edHeight->isEnabled());
  EXPECT_FALSE(w.lbHeightPx->isEnabled());

  w.cbFilesize->setChecked(true);
  TypeAndLeave(w.edFilesize, "0");
  EXPECT_EQ(w.edFilesize->text(), "0");
  EXPECT_TRUE(w.cbFilesize->isChecked()) << "a file size of 0 is left to the run";
}

TEST_F(MainWindowTest, NameAdditionAndItsExample) {
  // Outputs go next to the inputs: the addition is forced on.
  EXPECT_FALSE(w.edOutputPath->isEnabled());
  EXPECT_EQ(w.edOutputPath->text(), "<same as input>");
  EXPECT_TRUE(w.cbAddExtension->isChecked());
  EXPECT_FALSE(w.cbAddExtension->isEnabled());
  TypeAndLeave(w.edAddExt, "");
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Empty string is not allowed!");
  EXPECT_EQ(dialogs.boxes[0].caption, "Lumvale");
  EXPECT_EQ(w.edAddExt->text(), "small");
  EXPECT_EQ(w.lbPrefixExample->text(), "Example: DCSF1234_small.jpg");
  w.edAddExt->setFocus();
  QTest::keyClicks(w.edAddExt, "x");
  EXPECT_EQ(w.lbPrefixExample->text(), "Example: DCSF1234_smallx.jpg") << "every keystroke";
  w.rgPrefix->setChecked(true);
  EXPECT_EQ(w.lbPrefixExample->text(), "Example: smallx_DCSF1234.jpg");

  // A chosen folder frees the box; unchecked, the example has no addition.
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText("/tmp");
  w.UpdateControls();
  EXPECT_TRUE(w.cbAddExtension->isEnabled());
  w.cbAddExtension->setChecked(false);
  EXPECT_EQ(w.lbPrefixExample->text(), "Example: DCSF1234.jpg");
  EXPECT_FALSE(w.edAddExt->isEnabled());
  EXPECT_FALSE(w.rgSufix->isEnabled());
  // Back to the same-as-input mode: checked and disabled again.
  w.edOutputPath->setEnabled(false);
  w.UpdateControls();
  EXPECT_TRUE(w.cbAddExtension->isChecked());
  EXPECT_FALSE(w.cbAddExtension->isEnabled());
}

TEST_F(MainWindowTest, ExitHandlersRunOnlyWhenTheFocusMovesWithinTheWindow) {
  // Another application's window taking the focus, and a menu opened: the empty addition is
  // left alone, nothing is asked.
  w.edAddExt->setFocus();
  w.edAddExt->clear();
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_FALSE(w.edAddExt->hasFocus());
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_TRUE(w.edAddExt->hasFocus()) << "the focus comes back to the edit";
  w.miFile->popup(w.mapToGlobal(QPoint(10, 10)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.miFile));
  w.miFile->close();
  QApplication::processEvents();
  EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.boxes.front().text;
  EXPECT_EQ(w.edAddExt->text(), "");

  // Tab to the next control of the window commits it.
  w.edAddExt->setFocus();
  QTest::keyClick(w.edAddExt, Qt::Key_Tab);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Empty string is not allowed!");
  EXPECT_EQ(w.edAddExt->text(), "small");

  // Closing the window, saving a profile or starting a run with an edit focused commits it
  // first.
  struct Case {
    const char* what;
    QLineEdit* edit;
    const char* typed;
    const char* committed;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"close", w.edQuality, "500", "100", [&] { w.close(); }},
      {"save", w.edWidth, "-1024", "1024", [&] { w.SaveProfile("default"); }},
      {"run", w.edHeight, "-480", "480", [&] { w.btRunClick(); }},
  };
  w.cbWidth->setChecked(true);
  w.cbHeight->setChecked(true);
  for (const Case& c : cases) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    c.edit->setFocus();
    c.edit->setText(c.typed);
    c.act();
    EXPECT_EQ(c.edit->text(), c.committed) << c.what;
  }
}

TEST_F(MainWindowTest, SettingEditsRefuseDroppedFiles) {
  // A file manager's drag carries the files' addresses as URLs and as text. Qt offers the drag
  // to the widget under the cursor and then to its parents; the drop goes to the one that took
  // the drag, in its own coordinates.
  const auto dropOn = [&](QLineEdit* edit, const QMimeData& data) {
    QDragEnterEvent enter(edit->rect().center(), Qt::CopyAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    if (!enter.isAccepted()) return;
    const bool edit_took_it = enter.position().toPoint() == edit->rect().center();
    const QPoint at = edit_took_it ? edit->rect().center() : edit->mapTo(&w, edit->rect().center());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &drop);
  };
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile("/tmp/x.jpg")});
  files.setText("file:///tmp/x.jpg");
  for (QLineEdit* edit : {w.edWidth, w.edHeight, w.edQuality, w.edFilesize, w.edAddExt}) {
    const QString before = edit->text();
    dropOn(edit, files);
    EXPECT_EQ(edit->text(), before) << edit->objectName().toStdString();
  }
  EXPECT_EQ(w.liFiles->count(), 0) << "the settings column is no input area";

  // Plain text is still taken.
  QMimeData text;
  text.setText("web");
  w.edAddExt->clear();
  dropOn(w.edAddExt, text);
  EXPECT_EQ(w.edAddExt->text(), "web");
}

TEST_F(MainWindowTest, RunAndClearFollowTheList) {
  EXPECT_FALSE(w.btRun->isEnabled());
  EXPECT_FALSE(w.btClear->isEnabled());
  for (const char* f : {"/a.jpg", "/b.jpg", "/c.jpg"}) w.liFiles->addItem(f);
  w.UpdateControls();
  EXPECT_TRUE(w.btRun->isEnabled());
  EXPECT_EQ(w.btClear->text(), "Remove all");
  w.liFiles->item(1)->setSelected(true);
  EXPECT_EQ(w.btClear->text(), "Remove selected");
  w.liFiles->selectAll();
  EXPECT_EQ(w.btClear->text(), "Remove all");
}

TEST_F(MainWindowTest, OutputEditKeepsEqualMargins) {
  for (int width : {705, 1000, 760}) {
    w.resize(width, 498);
    QApplication::processEvents();
    const int left = w.edOutputPath->x();
    const int right = w.gbOutput->width() - w.edOutputPath->geometry().right() - 1;
    EXPECT_EQ(left, 12);
    EXPECT_EQ(right, 12) << "window width " << width;
  }
}

TEST_F(MainWindowTest, TimerFiresOnceAfterShow) {
  EXPECT_TRUE(w.Timer->isActive());
  QTest::qWait(20);
  EXPECT_FALSE(w.Timer->isActive());
}

TEST_F(MainWindowTest, StatusWindowCountsFilesAndOnlyCancels) {
  frmImagePopup = new TfrmImagePopup(w);
  frmImagePopup->show();
  EXPECT_EQ(frmImagePopup->windowTitle(), "Status");
  EXPECT_FALSE(frmImagePopup->isModal());
  EXPECT_FALSE(frmImagePopup->pg->isVisible());
  EXPECT_EQ(frmImagePopup->lbStatus->text(), "Ready");
  w.InitProgress(4);
  EXPECT_EQ(frmImagePopup->lbPG->text(), "0/4");
  EXPECT_EQ(frmImagePopup->pg->maximum(), 12);
  std::vector<QString> counters;
  for (int step = 0; step < 12; ++step) {
    w.StepProgress();
    counters.push_back(frmImagePopup->lbPG->text());
  }
  EXPECT_EQ(counters[0], "0/4") << "within a file the counter keeps the last whole number";
  EXPECT_EQ(counters[2], "1/4");
  EXPECT_EQ(counters[5], "2/4");
  EXPECT_EQ(counters[11], "4/4");
  EXPECT_EQ(frmImagePopup->pg->value(), frmImagePopup->pg->maximum());
  w.ShowStatus("Loading image a.jpg");
  w.ShowStatus("Done");
  EXPECT_TRUE(frmImagePopup->lbStatus->isVisible());
  EXPECT_EQ(frmImagePopup->lbStatus->text(), "Done");

  // Escape is Cancel; closing is refused.
  w.Cancelled = false;
  frmImagePopup->activateWindow();
  QTest::keyClick(frmImagePopup, Qt::Key_Escape);
  EXPECT_TRUE(w.Cancelled);
  EXPECT_TRUE(frmImagePopup->isVisible());
  EXPECT_FALSE(frmImagePopup->close());
  EXPECT_TRUE(frmImagePopup->isVisible());
  w.Cancelled = false;
  QTest::mouseClick(frmImagePopup->btCancel, Qt::LeftButton);
  EXPECT_TRUE(w.Cancelled);
  delete frmImagePopup;
  frmImagePopup = nullptr;
}

TEST_F(MainWindowTest, StatusWindowPreviewFitsThePicture) {
  TfrmImagePopup popup(w);
  TImage32& img = *popup.img;
  EXPECT_EQ(img.Bitmap().ResamplerClassName(), "TKernelResampler");
  EXPECT_EQ(img.Bitmap().CombineMode, TCombineMode::cmMerge);
  img.Bitmap().Resize(1000, 500);
  for (size_t i = 0; i < 1000 * 500; ++i) img.Bitmap().Bits()[i] = 0xFF336699u;
  img.Bitmap().NotifyChanged();
  EXPECT_EQ(img.PreviewSize(), QSize(341, 170));
  const QImage& preview = img.Preview();
  EXPECT_EQ(preview.size(), QSize(341, 170));
  EXPECT_EQ(preview.pixel(100, 100), 0xFF336699u) << "a flat picture stays flat";
  EXPECT_EQ(&img.Preview(), &preview);
  // A photo is shown through the job's scaled copy, at the size of the whole picture, which is
  // never loaded into the bitmap.
  TBitmap32 scaled;
  scaled.Resize(800, 400);
  for (size_t i = 0; i < 800 * 400; ++i) scaled.Bits()[i] = 0xFF102030u;
  img.ScaledPicture(scaled, QSize(4000, 2000));
  EXPECT_EQ(img.PreviewSize(), QSize(341, 170));
  EXPECT_EQ(img.Preview().size(), QSize(341, 170));
  EXPECT_EQ(img.Preview().pixel(100, 100), 0xFF102030u);
  // A copy smaller than the preview is enlarged to it.
  TBitmap32 tiny;
  tiny.Resize(80, 40);
  for (size_t i = 0; i < 80 * 40; ++i) tiny.Bits()[i] = 0xFF405060u;
  img.ScaledPicture(tiny, QSize(4000, 2000));
  EXPECT_EQ(img.Preview().size(), QSize(341, 170));
  EXPECT_EQ(img.Preview().pixel(200, 100), 0xFF405060u);
  img.Bitmap().Resize(40, 30);
  EXPECT_EQ(img.PreviewSize(), QSize(40, 30)) << "smaller pictures at their own size";
}
