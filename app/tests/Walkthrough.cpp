// A walk through the program as a user would take it, on a real X server (tools/walkthrough.sh
// runs it under Xvfb): photos added with the real file and folder dialogs and by a drop, a run
// with limits and a size limit, the overwrite question answered with each of its buttons, and
// Cancel pressed in the middle of a run. Screenshots of the whole screen go to the folder named
// on the command line; the program reports each step and fails when a step did not happen.
#include "GnuGettext.h"
#include "MainWindow.h"
#include "QtDialogService.h"
#include "StatusWindow.h"
#include "TestHeif.h"
#include "TestImages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>

using namespace lumvale;

namespace {

QString shots;
int failures = 0;

void Shot(const QString& name) {
  QApplication::processEvents();
  QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(shots).filePath(name + ".png"));
  std::printf("  screenshot %s.png\n", qPrintable(name));
}

void Check(bool ok, const char* what) {
  std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

// Calls act with the modal widget of type T as soon as one shows up.
template <class T>
void WhenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    }
  });
  timer->start(50);
}

// Answers every overwrite question of a run in turn, with a screenshot of the first.
void AnswerQuestions(QList<QMessageBox::StandardButton> answers, const QString& shot) {
  if (answers.isEmpty()) return;
  WhenModal<QMessageBox>([answers, shot](QMessageBox* box) mutable {
    if (!shot.isEmpty()) Shot(shot);
    box->button(answers.takeFirst())->click();
    AnswerQuestions(answers, {});
  });
}

// Files dropped on an area of the window, as a file manager delivers them: the drag enters the
// window first.
void Drop(QWidget& window, const QStringList& paths, QWidget* area) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  mime.setUrls(urls);
  const QPoint at = area->mapTo(&window, QPoint(30, 30));
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  QDropEvent event(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &event);
}

}  // namespace

// The batch: dialogs, drop, run, overwrite answers, cancel.
int WalkBatch() {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("folder");
  QDir(dir.path()).mkpath("out");
  // A real photo, when one is named, stands in for every made one.
  const QString real = qEnvironmentVariable("LUMVALE_WALKTHROUGH_PHOTO");
  for (const char* name : {"alps.jpg", "beach.jpg", "folder/city.jpg", "folder/dunes.JPG",
                           "dropped.jpg", "e.jpg", "f.jpg"}) {
    if (!real.isEmpty()) {
      QFile::copy(real, dir.filePath(name));
    } else {
      test::WriteFile(dir.filePath(name),
                      test::MakeJpeg({.width = 2400, .height = 1600, .quality = 95}));
    }
  }

  TfrmMain w;
  w.show();
  w.move(20, 20);
  Shot("01-main-window");

  // The file dialog: two photos typed into its name field, as a user would.
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    Shot("02-file-dialog");
    d->setDirectory(dir.path());
    d->findChild<QLineEdit*>("fileNameEdit")->setText("\"alps.jpg\" \"beach.jpg\"");
    QMetaObject::invokeMethod(d, "accept");
  });
  w.btOpen->click();
  Check(w.liFiles->count() == 2, "two photos added through the file dialog");

  // The folder dialog.
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    d->setDirectory(dir.filePath("folder"));
    Shot("03-folder-dialog");
    QMetaObject::invokeMethod(d, "accept");
  });
  w.btFolder->click();
  Check(w.liFiles->count() == 3, "a folder added through the folder dialog");

  // A drop of a photo on the input area and of a folder on the output area.
  Drop(w, {dir.filePath("dropped.jpg")}, w.gbInput);
  Drop(w, {dir.filePath("out")}, w.TntPanelOutput);
  Check(w.liFiles->count() == 4, "a photo dropped on the input list");
  Check(w.edOutputPath->isEnabled() && w.edOutputPath->text() == dir.filePath("out"),
        "a folder dropped on the output area");

  // A run with limits and a size limit; screenshots while it runs.
  w.cbWidth->setChecked(true);
  w.edWidth->setText("1200");
  w.cbHeight->setChecked(true);
  w.edHeight->setText("900");
  w.cbFilesize->setChecked(true);
  w.edFilesize->setText("60");
  w.edAddExt->setText("small");
  w.UpdateControls();
  Shot("04-ready-to-run");
  bool shotRunning = false;
  QObject::connect(&w, &TfrmMain::StatusShown, [&](const QString& line) {
    if (!shotRunning && line.startsWith("Reduce file size")) {
      shotRunning = true;
      Shot("05-running");
    }
  });
  w.btRun->click();
  const QStringList outputs = QDir(dir.filePath("out")).entryList({"*_small.jpg"}, QDir::Files);
  Check(outputs.size() == 5, "five photos written (four list entries, a folder of two)");
  Check(shotRunning, "the size limit lowered the quality");

  // The outputs exist now: each button of the question.
  AnswerQuestions({QMessageBox::Yes, QMessageBox::No, QMessageBox::NoToAll},
                  "06-overwrite-question");
  w.btRun->click();
  AnswerQuestions({QMessageBox::YesToAll}, {});
  w.btRun->click();
  AnswerQuestions({QMessageBox::Cancel}, {});
  w.btRun->click();
  Check(!w.Running && w.btRun->text() == "Run",
        "Yes, No, No to All, Yes to All and Cancel answered");

  // Cancel in the middle of a run of new photos.
  w.liFiles->clear();
  for (const char* name : {"e.jpg", "f.jpg", "alps.jpg"}) w.AddInputFile(dir.filePath(name));
  w.edAddExt->setText("cancelled");
  w.UpdateControls();
  QObject::connect(&w, &TfrmMain::StatusShown, [&](const QString& line) {
    if (line == "Loading image f.jpg" && frmImagePopup) {
      Shot("07-before-cancel");
      frmImagePopup->btCancel->click();
    }
  });
  w.btRun->click();
  Check(QFileInfo::exists(dir.filePath("out/f_cancelled.jpg")), "the file in work was finished");
  Check(!QFileInfo::exists(dir.filePath("out/alps_cancelled.jpg")), "the run stopped after it");
  Shot("08-after-cancel");

  return 9;
}

// Profiles and languages, first session: two profiles saved, switched in the box and the menu,
// one deleted, Deutsch and Italiano picked; the window is then closed as a user closes it.
int WalkProfiles() {
  TfrmMain w;
  w.show();
  w.move(20, 20);
  w.resize(760, 600);
  QApplication::processEvents();
  auto answerInput = [](const QString& name) {
    WhenModal<QInputDialog>([name](QInputDialog* d) {
      d->setTextValue(name);
      d->accept();
    });
  };
  w.tbQuality->setValue(70);
  answerInput("Web");
  w.miSaveNewProfile->trigger();
  w.tbQuality->setValue(50);
  answerInput("Archive");
  w.miSaveNewProfile->trigger();
  Check(w.ProfileNames == QStringList({"Archive", "default", "Web"}), "two profiles saved");
  w.cbProfile->setCurrentIndex(2);
  emit w.cbProfile->activated(2);
  Check(w.ActiveProfile == "Web" && w.tbQuality->value() == 70, "Web picked in the box");
  w.miProfiles->actions()[0]->trigger();
  Check(w.ActiveProfile == "Archive" && w.tbQuality->value() == 50, "Archive picked in the menu");
  w.miExtras->popup(w.mapToGlobal(QPoint(60, 20)));
  w.miProfiles->popup(w.mapToGlobal(QPoint(200, 40)));
  Shot("11-profiles-menu");
  w.miProfiles->hide();
  w.miExtras->hide();
  WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
  w.miDeletecurrentprofile->trigger();
  Check(w.ProfileNames == QStringList({"default", "Web"}) && w.ActiveProfile == "default",
        "Archive deleted; default selected");

  auto pick = [&](const QString& code) {
    for (QAction* item : w.miSelectLanguage->actions()) {
      if (item->text().endsWith("(" + code + ")")) {
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        item->trigger();
      }
    }
  };
  pick("de");
  Shot("12-deutsch");
  Check(w.btRun->text() == "Starten", "Deutsch picked: the window is German");
  pick("it");
  Shot("13-italiano");
  Check(w.btRun->text() == "Avvia", "Italiano picked: the window is Italian");
  w.close();
  return 6;
}

// Started in the session's language (German) and switched by the menu to Italian and English:
// the menus and their submenus opened in each, their titles in the language picked.
int WalkMenus() {
  TfrmMain w;
  w.show();
  w.move(20, 20);
  w.resize(760, 600);
  QApplication::processEvents();
  const auto open = [&](const QString& name) {
    w.miOptions->popup(w.mapToGlobal(QPoint(90, 20)));
    w.miSelectLanguage->popup(w.mapToGlobal(QPoint(300, 60)));
    w.miExtras->popup(w.mapToGlobal(QPoint(460, 20)));
    w.miProfiles->popup(w.mapToGlobal(QPoint(460, 200)));
    // Until every popup has painted itself.
    QElapsedTimer painted;
    painted.start();
    while (painted.elapsed() < 400) QApplication::processEvents();
    Shot(name);
    for (QMenu* menu : {w.miProfiles, w.miExtras, w.miSelectLanguage, w.miOptions}) menu->hide();
  };
  // The languages' and the profiles' submenus, each as its menu shows it and as it is titled.
  const auto titles = [&] {
    return QStringList{w.miSelectLanguage->menuAction()->text(), w.miSelectLanguage->title(),
                       w.miProfiles->menuAction()->text(), w.miProfiles->title()};
  };
  open("51-menus-deutsch");
  Check(titles() == QStringList({"Sprachen", "Sprachen", "Profile", "Profile"}),
        qPrintable("German submenus: " + titles().join(", ")));
  for (const auto& [code, expected] :
       {std::pair{"it", QStringList{"Lingue", "Lingue", "Profili", "Profili"}},
        std::pair{"en", QStringList{"Languages", "Languages", "Profiles", "Profiles"}}}) {
    for (QAction* item : w.miSelectLanguage->actions()) {
      if (item->text().endsWith(QStringLiteral("(%1)").arg(code))) {
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        item->trigger();
      }
    }
    open(QStringLiteral("52-menus-") + code);
    Check(titles() == expected,
          qPrintable(QStringLiteral("submenus after the switch to %1: ").arg(code) +
                     titles().join(", ")));
  }
  w.close();
  return 3;
}

// The next start: "default" loaded, the saved window size, the language kept.
int WalkRestart() {
  TfrmMain w;
  w.show();
  QApplication::processEvents();
  Shot("14-after-restart");
  Check(w.ActiveProfile == "default" && w.tbQuality->value() == 90, "default loaded at start");
  Check(w.size() == QSize(760, 600), "the saved window size");
  Check(w.btRun->text() == "Avvia", "the language kept");
  return 3;
}

// Launchers for a profile with a blank in its name, made through the menus; the script then
// starts them as a file manager does.
int WalkLaunchers() {
  TfrmMain w;
  w.show();
  w.cbWidth->setChecked(true);
  w.edWidth->setText("300");
  w.edAddExt->setText("launched");
  w.SaveProfile("Web small");
  w.RefreshProfileList();
  w.SelectProfile("Web small");
  w.LoadProfile(w.ActiveProfile);
  // Each command tells where its launchers went.
  QStringList told;
  for (QAction* command : {w.miCreateDropletMenu, w.miCreateSendTo}) {
    WhenModal<QMessageBox>([&](QMessageBox* box) {
      told << box->text();
      if (told.size() == 2) Shot("16-launchers-written");
      box->button(QMessageBox::Ok)->click();
    });
    command->trigger();
  }
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  Check(QFileInfo::exists(desktop + "/Lumvale - Web small.desktop"), "a droplet on the desktop");
  Check(QFileInfo::exists(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          "/applications/Lumvale - Web small.desktop"),
        "a \"Send to\" entry among the applications");
  Check(told.size() == 2 && told[0].contains(desktop) && told[1].contains("/nautilus/scripts/"),
        "where the launchers went was told");
  return 3;
}

// The about box, in the language of the environment.
int WalkAbout() {
  TfrmMain w;
  w.show();
  bool shown = false;
  WhenModal<QDialog>([&](QDialog* about) {
    shown = true;
    Shot("21-about-" + CurrentLanguage().left(2));
    QMetaObject::invokeMethod(about, "accept");
  });
  w.miAbout->trigger();
  Check(shown, "the about box opened and closed");
  return 1;
}

// A folder with sub-folders, one photo in it unreadable, run into a chosen folder with
// "include sub-folders" and "skip unreadable photos": the tree comes out mirrored and the
// skipped photo is listed at the end.
int WalkFolders() {
  const QString lang = CurrentLanguage().left(2);
  QTemporaryDir dir;
  for (const char* sub : {"trip/day1", "trip/day2/evening", "out"}) QDir(dir.path()).mkpath(sub);
  for (const char* name : {"trip/cover.jpg", "trip/day1/beach.jpg", "trip/day1/dunes.jpeg",
                           "trip/day2/market.JPG", "trip/day2/evening/lights.jpg"}) {
    test::WriteFile(dir.filePath(name), test::MakeJpeg({.width = 640, .height = 480}));
  }
  test::WriteFile(dir.filePath("trip/day2/broken.jpg"), {'n', 'o', 't'});
  TfrmMain w;
  w.show();
  w.move(20, 20);
  w.AddInputFolder(dir.filePath("trip"));
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText(dir.filePath("out"));
  w.cbSubfolders->setChecked(true);
  w.cbSkipErrors->setChecked(true);
  w.cbWidth->setChecked(true);
  w.UpdateControls();
  QApplication::processEvents();
  Shot("41-folders-before-run-" + lang);
  QString details;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    details = box->detailedText();
    Shot("42-skipped-photos-" + lang);
    box->button(QMessageBox::Ok)->click();
  });
  w.btRun->click();
  QApplication::processEvents();
  const QString addition = w.edAddExt->text();
  bool mirrored = true;
  for (const char* name :
       {"cover", "day1/beach", "day1/dunes", "day2/market", "day2/evening/lights"}) {
    mirrored =
        mirrored && QFileInfo::exists(dir.filePath(QString("out/%1_%2.jpg").arg(name, addition)));
  }
  Check(mirrored, "the sub-folders mirrored below the chosen folder");
  Check(details.startsWith(dir.filePath("trip/day2/broken.jpg") + ": "),
        "the unreadable photo skipped and listed with its reason");
  return 2;
}

// The program's and Qt's own texts in the session's language: the main window, the overwrite
// question, the "New Profile" input box, an edit's context menu and the open dialog. Each check
// fails when a text is still the English one.
int WalkTexts() {
  const QString lang = CurrentLanguage().left(2);
  QTemporaryDir dir;
  TfrmMain w;
  w.show();
  w.move(20, 20);
  QApplication::processEvents();
  Shot("31-main-window-" + lang);
  Check(w.btRun->text() != "Run", "the main window in the session's language");

  test::WriteFile(dir.filePath("a.jpg"), test::MakeJpeg({.width = 640, .height = 480}));
  test::WriteFile(dir.filePath("a_" + w.edAddExt->text() + ".jpg"), {'o', 'l', 'd'});
  w.AddInputFile(dir.filePath("a.jpg"));
  w.UpdateControls();
  QString cancel;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    cancel = box->button(QMessageBox::Cancel)->text();
    Shot("32-overwrite-question-" + lang);
    box->button(QMessageBox::No)->click();
  });
  w.btRun->click();
  Check(!cancel.isEmpty() && cancel.remove(u'&') != "Cancel", "the overwrite question's buttons");

  QString inputCancel;
  WhenModal<QInputDialog>([&](QInputDialog* d) {
    inputCancel = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
    Shot("33-new-profile-" + lang);
    d->reject();
  });
  w.miSaveNewProfile->trigger();
  Check(!inputCancel.isEmpty() && inputCancel.remove(u'&') != "Cancel",
        "the \"New Profile\" input box's buttons");

  QMenu* menu = w.edAddExt->createStandardContextMenu();
  menu->popup(w.edAddExt->mapToGlobal(QPoint(10, 10)));
  QApplication::processEvents();
  Shot("34-edit-menu-" + lang);
  QStringList english;
  for (QAction* item : menu->actions()) {
    const QString text = item->text().section(u'\t', 0, 0).remove(u'&');
    if (QStringList{"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select All"}.contains(text))
      english << text;
  }
  menu->close();
  delete menu;
  Check(english.isEmpty(), qPrintable("the edit's context menu" +
                                      (english.isEmpty() ? QString() : ": " + english.join(", "))));

  QString nameLabel;
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    d->setDirectory(dir.path());
    QApplication::processEvents();
    if (auto* label = d->findChild<QLabel*>("fileNameLabel")) nameLabel = label->text();
    Shot("35-open-dialog-" + lang);
    d->reject();
  });
  w.btOpen->click();
  Check(!nameLabel.isEmpty() && nameLabel != "File &name:", "the open dialog");
  return 5;
}

// A portrait photo as a phone stores it: 1600 x 1200 pixels with the EXIF orientation 6 (turn by
// 90 degrees clockwise to see it). Seen upright its top left corner is red and the rest gray.
std::vector<uint8_t> TurnedPhoto() {
  const int W = 1600, H = 1200;
  const std::vector<uint8_t> stored =
      test::EncodeJpeg(W, H, 3, false, 90, [&](int y, uint8_t* row) {
        for (int x = 0; x < W; ++x) {
          // Upright (u, v) = (H - 1 - y, x) for orientation 6.
          const bool corner = H - 1 - y < 200 && x < 200;
          row[3 * x] = corner ? 220 : 128;
          row[3 * x + 1] = row[3 * x + 2] = corner ? 20 : 128;
        }
      });
  // A little-endian TIFF structure with one directory entry: Orientation (0x0112), SHORT, 6.
  const std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
                                     0,   1,   0,  0, 0, 6, 0, 0, 0, 0, 0,    0,    0};
  std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0};
  exif.insert(exif.end(), tiff.begin(), tiff.end());
  return test::WithSegments(stored, {{0xE1, exif}});
}

int CheckUpright(const QString& path);

// The same portrait as a phone writes it in HEIC: the stored 1600 x 1200 pixels turned by the
// file's own rotation, and an EXIF block that repeats the turn (applying both would turn twice).
std::vector<uint8_t> TurnedHeif() {
  const int W = 1600, H = 1200;
  test::HeifPicture p;
  p.width = W;
  p.height = H;
  p.orientation = 6;
  p.exif = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
  p.pixel = [&](int x, int y, uint16_t rgba[4]) {
    const bool corner = H - 1 - y < 200 && x < 200;
    // A landscape of sky and meadow when seen upright, so that a wrong turn shows at a glance.
    const int u = H - 1 - y, v = x;  // upright column and row
    rgba[0] = corner ? 220 : v < W / 2 ? 90 + u / 20 : 60;
    rgba[1] = corner ? 20 : v < W / 2 ? 150 + u / 30 : 140 + (u + v) % 40;
    rgba[2] = corner ? 20 : v < W / 2 ? 230 : 70;
    rgba[3] = 255;
  };
  return test::EncodeHeif(p);
}

// HEIC and AVIF photos dropped on the window and run with a width limit: the status window's
// preview shows the phone's portrait upright, and every output is a JPEG named .jpg.
int WalkHeif() {
  const QString lang = CurrentLanguage().left(2);
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("out");
  test::WriteFile(dir.filePath("IMG_0001.HEIC"), TurnedHeif());
  test::WriteFile(dir.filePath("IMG_0002.HEIC"),
                  test::EncodeHeif({.width = 2400, .height = 1600, .nclxPrimaries = 12}));
  test::WriteFile(dir.filePath("garden.avif"),
                  test::EncodeHeif({.width = 2000, .height = 1500, .av1 = true}));
  TfrmMain w;
  w.show();
  w.move(20, 20);
  Drop(w,
       {dir.filePath("IMG_0001.HEIC"), dir.filePath("IMG_0002.HEIC"), dir.filePath("garden.avif")},
       w.gbInput);
  Check(w.liFiles->count() == 3, "three HEIF photos dropped on the input list");
  w.edOutputPath->setEnabled(true);
  w.edOutputPath->setText(dir.filePath("out"));
  w.cbWidth->setChecked(true);
  w.edWidth->setText("800");
  w.cbHeight->setChecked(true);
  w.edHeight->setText("800");
  w.UpdateControls();
  // Until the window manager has mapped and the window has painted it.
  QElapsedTimer shown;
  shown.start();
  while (shown.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
  Shot("51-heif-dropped-" + lang);
  QString loading;
  bool shot = false;
  QObject::connect(&w, &TfrmMain::StatusShown, [&](const QString& line) {
    if (line.contains("IMG_0001.HEIC")) loading = "IMG_0001.HEIC";
    else if (line.contains(".HEIC") || line.contains(".avif")) loading.clear();
    if (!shot && loading == "IMG_0001.HEIC" && frmImagePopup &&
        line.startsWith(Translate("Quality:"))) {
      shot = true;
      QApplication::processEvents();
      Shot("52-heif-preview-upright-" + lang);
    }
  });
  w.btRun->click();
  QApplication::processEvents();
  const QString addition = w.edAddExt->text();
  const QString portrait = dir.filePath("out/IMG_0001_" + addition + ".jpg");
  Check(shot, "the status window showed the portrait while it ran");
  Check(CheckUpright(portrait) == 0, "the phone's HEIC portrait written upright");
  Check(QFileInfo::exists(dir.filePath("out/IMG_0002_" + addition + ".jpg")) &&
            QFileInfo::exists(dir.filePath("out/garden_" + addition + ".jpg")),
        "the other HEIC and the AVIF written as JPEG files");
  Shot("53-heif-after-run-" + lang);
  return 4;
}

// The output of the turned photo: portrait, red at the top left, gray at the other corners.
int CheckUpright(const QString& path) {
  TBitmap32 picture;
  picture.LoadImageFile(path);
  const int32_t w = picture.Width(), h = picture.Height();
  const auto red = [&](int32_t x, int32_t y) {
    const TColor32 c = picture.RowPointer(y)[x];
    return ((c >> 16) & 0xFF) > 180 && (c & 0xFF) < 60;
  };
  const bool upright = h > w && red(2, 2) && !red(w - 3, 2) && !red(2, h - 3) && !red(w - 3, h - 3);
  std::printf("%s: %d x %d, %s\n", qPrintable(QFileInfo(path).fileName()), w, h,
              upright ? "upright (red at the top left)" : "NOT upright");
  return upright ? 0 : 1;
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Lumvale");
  const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("batch");
  if (mode == "make-photo" && argc > 2) {
    test::WriteFile(QString::fromLocal8Bit(argv[2]),
                    test::MakeJpeg({.width = 1600, .height = 1200}));
    return 0;
  }
  if (mode == "make-turned-heif" && argc > 2) {
    test::WriteFile(QString::fromLocal8Bit(argv[2]), TurnedHeif());
    return 0;
  }
  if (mode == "make-turned-photo" && argc > 2) {
    test::WriteFile(QString::fromLocal8Bit(argv[2]), TurnedPhoto());
    return 0;
  }
  if (mode == "check-upright" && argc > 2) return CheckUpright(QString::fromLocal8Bit(argv[2]));
  if (mode == "screenshot" && argc > 2) {
    // The whole screen, with whatever program shows on it.
    return QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(argv[2]))
               ? 0
               : 1;
  }
  shots = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(".");
  QDir().mkpath(shots);
  TLocalization l10n;
  SetDialogService(std::make_unique<QtDialogService>());
  std::printf("walk-through: %s (%s)\n", qPrintable(mode), qPrintable(CurrentLanguage()));
  const int checks = mode == "profiles"    ? WalkProfiles()
                     : mode == "restart"   ? WalkRestart()
                     : mode == "launchers" ? WalkLaunchers()
                     : mode == "about"     ? WalkAbout()
                     : mode == "texts"     ? WalkTexts()
                     : mode == "folders"   ? WalkFolders()
                     : mode == "menus"     ? WalkMenus()
                     : mode == "heif"      ? WalkHeif()
                                           : WalkBatch();
  std::printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
