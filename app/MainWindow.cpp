#include "MainWindow.h"

#include "BatchScope.h"
#include "Dialogs.h"
#include "ErrorDisplay.h"
#include "GnuGettext.h"
#include "ImageJob.h"
#include "Prefetcher.h"
#include "SectionStore.h"
#include "StatusWindow.h"
#include "TextMarker.h"
#include "WindowTranslation.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace lumvale {

namespace {

// The output edit keeps this distance from both sides of its group box.
constexpr int kOutputMargin = 12;

template <class T, class... Args>
T* Make(QWidget* parent, const char* name, Args&&... args) {
  T* widget = new T(std::forward<Args>(args)..., parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QAction* MakeAction(QMenu* menu, const char* name, const char* text) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QMenu* MakeMenu(QWidget* parent, const char* name, const char* title) {
  auto* menu = new QMenu(QString::fromUtf8(title), parent);
  menu->setObjectName(QString::fromLatin1(name));
  return menu;
}

}  // namespace

TfrmMain::TfrmMain(const QString& settingsPath) {
  setObjectName("frmMain");
  setWindowTitle(N_("Lumvale - Image Resizer Software"));
  CreateControls();
  CreateMenus();

  od = new TOpenDialog(this);
  od->setObjectName("od");
  od->SetTitle(N_("Select input files"));
  od->SetFilter(N_("Photos (*.jpg *.jpeg *.jpe *.jfif *.heic *.heif *.hif *.avif)"));
  JvBFFIn = new TBrowseForFolder(this);
  JvBFFIn->setObjectName("JvBFFIn");
  JvBFFIn->SetTitle(N_("Select input path"));
  JvBFFOut = new TBrowseForFolder(this);
  JvBFFOut->setObjectName("JvBFFOut");
  JvBFFOut->SetTitle(N_("Select output path"));
  Timer = new QTimer(this);
  Timer->setObjectName("Timer");
  Timer->setInterval(1);
  connect(Timer, &QTimer::timeout, this, &TfrmMain::TimerTimer);

  ConnectSettings();
  ConnectCommands();
  resize(705, 498);

  // FormCreate: the settings file, the stored language, the language menu, the translation,
  // the profile "default", then the window size.
  const QString path = settingsPath.isEmpty() ? SettingsFilePath() : settingsPath;
  RegFile = std::make_unique<QSettings>(path, QSettings::IniFormat);
  RegSettings = std::make_unique<TSectionStore>(*RegFile, QString());
  RegProfiles = std::make_unique<TSectionStore>(*RegFile, QStringLiteral("profiles"));
  if (RegFile->status() == QSettings::FormatError) {
    // Kept aside, so that the next save does not replace what may still be recovered.
    QFile::remove(path + QStringLiteral(".damaged"));
    QFile::copy(path, path + QStringLiteral(".damaged"));
    ShowError(Translate("The settings file %1 is damaged; Lumvale starts with default "
                        "settings. The damaged file is kept as %1.damaged.")
                  .arg(path));
  }
  Guarded([&] {
    const QString stored = RegSettings->ReadString(QStringLiteral("settings"),
                                                   QStringLiteral("language"), CurrentLanguage());
    if (!stored.isEmpty()) SelectLanguage(stored);
  });
  BuildLanguageMenu();
  // An edit's text is a setting, not a caption: a retranslation must not write the design
  // values ("800", "90") back over the loaded profile.
  TP_GlobalIgnoreClassProperty(GnuGettext(), &QLineEdit::staticMetaObject, QStringLiteral("text"));
  TranslateComponent(this);
  RefreshProfileList();
  SelectProfile(QStringLiteral("default"));
  Guarded([&] { LoadProfile(ActiveProfile); });
  Running = false;
  OverwriteAnswer = TOverwriteAnswer::none;
  Guarded([&] { RestoreWindowSize(); });
}

void TfrmMain::CreateControls() {
  auto* client = Make<QWidget>(this, "pnClient");
  setCentralWidget(client);
  auto* columns = new QHBoxLayout(client);
  columns->setContentsMargins(5, 5, 5, 5);

  // Left column: input list, output folder.
  auto* left = new QVBoxLayout;
  gbInput = Make<QGroupBox>(client, "gbInput", N_("Input"));
  gbInput->setMinimumSize(380, 150);
  liFiles = Make<QListWidget>(gbInput, "liFiles");
  liFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
  btOpen = Make<QPushButton>(gbInput, "btOpen", N_("Select Images"));
  btFolder = Make<QPushButton>(gbInput, "btFolder", N_("Select Folder"));
  btClear = Make<QPushButton>(gbInput, "btClear", N_("Clear all"));
  auto* inputLayout = new QVBoxLayout(gbInput);
  inputLayout->addWidget(liFiles);
  auto* inputButtons = new QHBoxLayout;
  inputButtons->addWidget(btOpen);
  inputButtons->addWidget(btFolder);
  inputButtons->addStretch();
  inputButtons->addWidget(btClear);
  inputLayout->addLayout(inputButtons);
  // How the listed folders and the photos that cannot be read are taken.
  cbSubfolders = Make<QCheckBox>(gbInput, "cbSubfolders", N_("include sub-folders"));
  cbSkipErrors = Make<QCheckBox>(gbInput, "cbSkipErrors", N_("skip unreadable photos"));
  inputLayout->addWidget(cbSubfolders);
  inputLayout->addWidget(cbSkipErrors);
  left->addWidget(gbInput, 1);

  TntPanelOutput = Make<QWidget>(client, "TntPanelOutput");
  TntPanelOutput->setFixedHeight(117);
  gbOutput = Make<QGroupBox>(TntPanelOutput, "gbOutput", N_("Output"));
  gbOutput->setMinimumWidth(370);
  // Placed by hand: FormResize keeps the edit's margins equal.
  edOutputPath = Make<QLineEdit>(gbOutput, "edOutputPath");
  edOutputPath->setGeometry(kOutputMargin, 24, 346, 22);
  edOutputPath->setEnabled(false);
  btSameInput = Make<QPushButton>(gbOutput, "btSameInput", N_("Same as input"));
  btOutputPath = Make<QPushButton>(gbOutput, "btOutputPath", N_("Select Folder"));
  cbKeepDate = Make<QCheckBox>(gbOutput, "cbKeepDate", N_("keep file date"));
  auto* outputLayout = new QVBoxLayout(TntPanelOutput);
  outputLayout->setContentsMargins(0, 0, 0, 0);
  outputLayout->addWidget(gbOutput);
  gbOutput->installEventFilter(this);
  left->addWidget(TntPanelOutput);
  columns->addLayout(left, 1);

  // Right column: the settings, profile and Run.
  // As wide as its longest caption in the current language needs, and never squashed below
  // what its groups need: the window's minimum size follows from it.
  auto* right = Make<QWidget>(client, "pnSettings");
  right->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  auto* settings = new QVBoxLayout(right);
  settings->setContentsMargins(8, 4, 8, 4);
  settings->setSpacing(4);
  // The groups are packed closer than the style's default, so that the column fits the
  // window's default client height of 450 pixels.
  const auto compact = [](QLayout* layout) {
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(2);
    return layout;
  };

  gbMaxSize = Make<QGroupBox>(right, "gbMaxSize", N_("Maximum Size"));
  cbWidth = Make<QCheckBox>(gbMaxSize, "cbWidth", N_("width"));
  edWidth = Make<QLineEdit>(gbMaxSize, "edWidth", "800");
  lbWidthPx = Make<QLabel>(gbMaxSize, "lbWidthPx", N_("px"));
  cbHeight = Make<QCheckBox>(gbMaxSize, "cbHeight", N_("height"));
  edHeight = Make<QLineEdit>(gbMaxSize, "edHeight", "600");
  lbHeightPx = Make<QLabel>(gbMaxSize, "lbHeightPx", N_("px"));
  auto* sizeGrid = new QGridLayout(gbMaxSize);
  compact(sizeGrid);
  sizeGrid->addWidget(cbWidth, 0, 0);
  sizeGrid->addWidget(edWidth, 0, 1);
  sizeGrid->addWidget(lbWidthPx, 0, 2);
  sizeGrid->addWidget(cbHeight, 1, 0);
  sizeGrid->addWidget(edHeight, 1, 1);
  sizeGrid->addWidget(lbHeightPx, 1, 2);
  settings->addWidget(gbMaxSize);

  gbQuality = Make<QGroupBox>(right, "gbQuality", N_("Quality"));
  lbQualityLow = Make<QLabel>(gbQuality, "lbQualityLow", N_("low"));
  tbQuality = Make<QSlider>(gbQuality, "tbQuality", Qt::Horizontal);
  tbQuality->setRange(0, 100);
  tbQuality->setTickInterval(10);
  tbQuality->setTickPosition(QSlider::TicksBelow);
  lbQualityHigh = Make<QLabel>(gbQuality, "lbQualityHigh", N_("high"));
  edQuality = Make<QLineEdit>(gbQuality, "edQuality", "90");
  edQuality->setFixedWidth(40);
  cbFilesize = Make<QCheckBox>(gbQuality, "cbFilesize", N_("maximum filesize"));
  edFilesize = Make<QLineEdit>(gbQuality, "edFilesize", "100");
  edFilesize->setFixedWidth(60);
  lbFileSizeKB = Make<QLabel>(gbQuality, "lbFileSizeKB", N_("kb"));
  auto* qualityGrid = new QGridLayout(gbQuality);
  compact(qualityGrid);
  qualityGrid->addWidget(lbQualityLow, 0, 0);
  qualityGrid->addWidget(tbQuality, 0, 1);
  qualityGrid->addWidget(lbQualityHigh, 0, 2);
  qualityGrid->addWidget(edQuality, 0, 3);
  // The file-size row has its own columns: its caption is longer than "low" and the track bar.
  auto* fileSizeRow = new QHBoxLayout;
  fileSizeRow->addWidget(cbFilesize);
  fileSizeRow->addStretch();
  fileSizeRow->addWidget(edFilesize);
  fileSizeRow->addWidget(lbFileSizeKB);
  qualityGrid->addLayout(fileSizeRow, 1, 0, 1, 4);
  settings->addWidget(gbQuality);

  gbExtension = Make<QGroupBox>(right, "gbExtension", N_("Extension"));
  cbAddExtension = Make<QCheckBox>(gbExtension, "cbAddExtension", N_("add extension"));
  edAddExt = Make<QLineEdit>(gbExtension, "edAddExt");
  edAddExt->setMinimumWidth(110);
  rgPrefix = Make<QRadioButton>(gbExtension, "rgPrefix", N_("front"));
  rgSufix = Make<QRadioButton>(gbExtension, "rgSufix", N_("back"));
  rgSufix->setChecked(true);
  lbPrefixExample = Make<QLabel>(gbExtension, "lbPrefixExample");
  lbPrefixExample->setMinimumHeight(lbPrefixExample->fontMetrics().height() + 2);
  auto* extensionGrid = new QGridLayout(gbExtension);
  compact(extensionGrid);
  extensionGrid->setColumnStretch(1, 1);
  extensionGrid->setColumnStretch(2, 1);
  extensionGrid->addWidget(cbAddExtension, 0, 0);
  extensionGrid->addWidget(edAddExt, 0, 1, 1, 2);
  extensionGrid->addWidget(rgPrefix, 1, 1);
  extensionGrid->addWidget(rgSufix, 1, 2);
  extensionGrid->addWidget(lbPrefixExample, 2, 0, 1, 3);
  settings->addWidget(gbExtension);

  gbOptions = Make<QGroupBox>(right, "gbOptions", N_("Options"));
  cbProgressive = Make<QCheckBox>(gbOptions, "cbProgressive", N_("save as progressive images"));
  cbAutorotate = Make<QCheckBox>(gbOptions, "cbAutorotate", N_("turn photos upright"));
  cbKeepIcc = Make<QCheckBox>(gbOptions, "cbKeepIcc", N_("keep colour profile"));
  cbKeepExif = Make<QCheckBox>(gbOptions, "cbKeepExif", N_("keep photo information"));
  cbKeepGps = Make<QCheckBox>(gbOptions, "cbKeepGps", N_("also keep the location"));
  auto* options = new QVBoxLayout(gbOptions);
  compact(options);
  for (QCheckBox* box : {cbProgressive, cbAutorotate, cbKeepIcc, cbKeepExif}) {
    options->addWidget(box);
  }
  // The location belongs to the photo information: indented beneath it.
  auto* location = new QHBoxLayout;
  location->addSpacing(18);
  location->addWidget(cbKeepGps);
  options->addLayout(location);
  settings->addWidget(gbOptions);

  gbProfile = Make<QGroupBox>(right, "gbProfile", N_("Profile"));
  cbProfile = Make<QComboBox>(gbProfile, "cbProfile");
  cbProfile->setEditable(false);
  btSaveProfile = Make<QPushButton>(gbProfile, "btSaveProfile", N_("Save settings"));
  auto* profileLayout = new QHBoxLayout(gbProfile);
  compact(profileLayout);
  profileLayout->addWidget(cbProfile, 1);
  profileLayout->addWidget(btSaveProfile);
  settings->addWidget(gbProfile);

  settings->addStretch();
  btRun = Make<QPushButton>(right, "btRun", N_("Run"));
  QFont bold = btRun->font();
  bold.setBold(true);
  btRun->setFont(bold);
  settings->addWidget(btRun);
  // A caption never gets less than its text needs; the edits and the track bar give way.
  for (QWidget* caption : right->findChildren<QWidget*>()) {
    if (qobject_cast<QLabel*>(caption) || qobject_cast<QAbstractButton*>(caption)) {
      caption->setSizePolicy(QSizePolicy::Minimum, caption->sizePolicy().verticalPolicy());
    }
  }
  columns->addWidget(right);

  StatusPanel = Make<QLabel>(statusBar(), "StatusPanel");
  StatusPanel->setFixedWidth(50);
  statusBar()->setObjectName("StatusBar");
  statusBar()->addPermanentWidget(StatusPanel);
}

void TfrmMain::ConnectCommands() {
  const auto on = [this](QPushButton* button, void (TfrmMain::*handler)()) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { Guarded([&] { (this->*handler)(); }); });
  };
  on(btRun, &TfrmMain::btRunClick);
  on(btOpen, &TfrmMain::btOpenClick);
  on(btFolder, &TfrmMain::btFolderClick);
  on(btClear, &TfrmMain::btClearClick);
  on(btSameInput, &TfrmMain::btSameInputClick);
  on(btOutputPath, &TfrmMain::btOutputPathClick);
  on(btSaveProfile, &TfrmMain::btSaveProfileClick);
  connect(cbProfile, &QComboBox::activated, this, [this] { Guarded([&] { cbProfileSelect(); }); });
  connect(liFiles, &QListWidget::itemClicked, this, [this] { Guarded([&] { liFilesClick(); }); });
  connect(edOutputPath, &QLineEdit::textChanged, this, &TfrmMain::edOutputPathChange);
  liFiles->installEventFilter(this);
  // Drops go to the window, which decides by position; the edit would take a path as text.
  edOutputPath->setAcceptDrops(false);
  setAcceptDrops(true);
}

void TfrmMain::CreateMenus() {
  menuBar()->setObjectName("MainMenu");
  miFile = MakeMenu(this, "miFile", N_("File"));
  miExit = MakeAction(miFile, "miExit", N_("Exit"));
  miExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  connect(miExit, &QAction::triggered, this, &TfrmMain::miExitClick);

  miExtras = MakeMenu(this, "miExtras", N_("Extras"));
  miProfiles = MakeMenu(miExtras, "miProfiles", N_("Profiles"));
  miProfileSperator = miProfiles->addSeparator();
  miProfileSperator->setObjectName("miProfileSperator");
  miUpdatecurrentprofile =
      MakeAction(miProfiles, "miUpdatecurrentprofile", N_("Update current profile"));
  miCreateDropletMenu =
      MakeAction(miProfiles, "miCreateDropletMenu", N_("Create Droplet for the current profile"));
  miCreateSendTo =
      MakeAction(miProfiles, "miCreateSendTo", N_("Create \"Send to\" for the current profile"));
  miDeletecurrentprofile =
      MakeAction(miProfiles, "miDeletecurrentprofile", N_("Delete current profile"));
  miProfiles->addSeparator();
  miSaveNewProfile = MakeAction(miProfiles, "miSaveNewProfile", N_("Save as new profile"));
  miExtras->addMenu(miProfiles);
  profileGroup_ = new QActionGroup(this);
  connect(profileGroup_, &QActionGroup::triggered, this,
          [this](QAction* entry) { Guarded([&] { ProfileMenuItemClick(entry); }); });

  miOptions = MakeMenu(this, "miOptions", N_("Options"));
  miSelectLanguage = MakeMenu(miOptions, "miSelectLanguage", N_("Languages"));
  languageGroup_ = new QActionGroup(this);
  miLanguageEnglish = MakeAction(miSelectLanguage, "miLanguageEnglish", "en");
  miLanguageEnglish->setCheckable(true);
  miLanguageEnglish->setData(1);
  languageGroup_->addAction(miLanguageEnglish);
  miLanguageSeperator = miSelectLanguage->addSeparator();
  miLanguageSeperator->setObjectName("miLanguageSeperator");
  miLanguageDefault =
      MakeAction(miSelectLanguage, "miLanguageDefault", N_("System Default Language"));
  miLanguageDefault->setData(0);
  connect(miSelectLanguage, &QMenu::triggered, this,
          [this](QAction* item) { Guarded([&] { miLanguageClick(item); }); });
  miOptions->addMenu(miSelectLanguage);
  miOptions->addSeparator();
  miUpdate = MakeAction(miOptions, "miUpdate", N_("Check for updates"));

  miHelp = MakeMenu(this, "miHelp", N_("?"));
  miLinkSupport = MakeAction(miHelp, "miLinkSupport", N_("Support"));
  miAbout = MakeAction(miHelp, "miAbout", N_("About"));

  for (QMenu* menu : {miFile, miExtras, miOptions, miHelp}) menuBar()->addMenu(menu);

  pmProfile = MakeMenu(this, "pmProfile", "");
  miCreatedroplet =
      MakeAction(pmProfile, "miCreatedroplet", N_("Create Droplet for the current profile"));
  miCreateSendtoforthecurrentprofile = MakeAction(pmProfile, "miCreateSendtoforthecurrentprofile",
                                                  N_("Create \"Send to\" for the current profile"));
  pmProfile->addSeparator();
  miDeleteProfile = MakeAction(pmProfile, "miDeleteProfile", N_("Delete profile"));
  const auto command = [this](QAction* action, void (TfrmMain::*handler)()) {
    connect(action, &QAction::triggered, this,
            [this, handler] { Guarded([&] { (this->*handler)(); }); });
  };
  command(miUpdatecurrentprofile, &TfrmMain::miUpdatecurrentprofileClick);
  command(miSaveNewProfile, &TfrmMain::miSaveNewProfileClick);
  command(miDeletecurrentprofile, &TfrmMain::miDeletecurrentprofileClick);
  command(miDeleteProfile, &TfrmMain::miDeletecurrentprofileClick);
  command(miCreatedroplet, &TfrmMain::miCreatedropletClick);
  command(miCreateDropletMenu, &TfrmMain::miCreatedropletClick);
  command(miCreateSendTo, &TfrmMain::miCreateSendToClick);
  command(miCreateSendtoforthecurrentprofile, &TfrmMain::miCreateSendToClick);
  command(miAbout, &TfrmMain::miAboutClick);
  for (QAction* link : {miLinkSupport, miUpdate}) {
    connect(link, &QAction::triggered, this,
            [this, link] { Guarded([&] { miFollowLinkClick(link); }); });
  }
  gbProfile->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(gbProfile, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pmProfile->popup(gbProfile->mapToGlobal(at)); });
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == gbOutput && event->type() == QEvent::Resize) FormResize();
  if (watched == liFiles && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete) {
      RemoveSelectedFiles();
      UpdateControls();
      return true;
    }
    if (key->key() == Qt::Key_A && (key->modifiers() & Qt::ControlModifier)) {
      liFiles->selectAll();
      return true;
    }
  }
  if (event->type() == QEvent::FocusOut && IsSettingEdit(watched)) {
    // Leaving for another application, a menu or a dialog is not leaving the edit: the user
    // comes back to it. Only a move to another control of this window commits the value.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const QWidget* next = QApplication::focusWidget();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        reason != Qt::MenuBarFocusReason && next && next != watched && next->window() == this) {
      EditExit(static_cast<QLineEdit*>(watched));
    }
  }
  if (IsSettingEdit(watched) &&
      (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
       event->type() == QEvent::Drop)) {
    // Dragged files carry their addresses as text too; an edit would insert "file:///...".
    auto* drop = static_cast<QDropEvent*>(event);
    if (drop->mimeData()->hasUrls()) {
      drop->ignore();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::IsSettingEdit(const QObject* object) const {
  return object == edQuality || object == edWidth || object == edHeight || object == edFilesize ||
         object == edAddExt;
}

void TfrmMain::EditExit(QLineEdit* edit) {
  if (edit == edQuality) edQualityExit();
  if (edit == edWidth || edit == edHeight || edit == edFilesize) edDimExit(edit);
  if (edit == edAddExt) edAddExtExit();
}

void TfrmMain::CommitFocusedEdit() {
  QWidget* focused = QApplication::focusWidget();
  if (IsSettingEdit(focused)) EditExit(static_cast<QLineEdit*>(focused));
}

void TfrmMain::FormShow() {
  Timer->start();
}

void TfrmMain::FormResize() {
  edOutputPath->setFixedWidth(gbOutput->width() - 2 * edOutputPath->x());
  const int buttonsTop = edOutputPath->geometry().bottom() + 8;
  btSameInput->move(edOutputPath->x(), buttonsTop);
  btOutputPath->move(gbOutput->width() - edOutputPath->x() - btOutputPath->sizeHint().width(),
                     buttonsTop);
  btSameInput->resize(btSameInput->sizeHint());
  btOutputPath->resize(btOutputPath->sizeHint());
  cbKeepDate->move(edOutputPath->x(), buttonsTop + btSameInput->height() + 4);
  cbKeepDate->resize(cbKeepDate->sizeHint());
}

void TfrmMain::miExitClick() {
  QCoreApplication::exit(0);
}

void TfrmMain::InitProgress(int fileCount) {
  frmImagePopup->pg->setVisible(true);
  frmImagePopup->lbPG->setVisible(true);
  frmImagePopup->pg->setValue(0);
  frmImagePopup->lbPG->setText(QStringLiteral("0/%1").arg(fileCount));
  frmImagePopup->pg->setMaximum(fileCount * 3);
}

void TfrmMain::StepProgress() {
  QProgressBar* bar = frmImagePopup->pg;
  bar->setValue(bar->value() + 1);
  frmImagePopup->lbPG->setText(
      QStringLiteral("%1/%2").arg(bar->value() / 3).arg(bar->maximum() / 3));
  emit ProgressShown(bar->value(), bar->maximum());
  QCoreApplication::processEvents();
}

void TfrmMain::ShowStatus(const QString& text) {
  frmImagePopup->lbStatus->setVisible(true);
  frmImagePopup->lbStatus->setText(text);
  emit StatusShown(text);
  QCoreApplication::processEvents();
}

}  // namespace lumvale
