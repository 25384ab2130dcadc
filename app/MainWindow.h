#pragma once

#include "InputExpansion.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
class QActionGroup;
class QSettings;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class QWidget;

namespace lumvale {

class TBrowseForFolder;
class TOpenDialog;
class TPrefetcher;
class TSectionStore;
struct TJobSettings;

enum class TOverwriteAnswer { none, noToAll, yesToAll };

// How the last batch ended.
enum class TBatchOutcome { none, finished, error, cancelled };

// The main window: input list and output folder on the left, the settings on the right, "Run"
// at the bottom. Its controls hold the settings; there is no separate settings object.
class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  // settingsPath: the per-user settings file (tests name their own).
  explicit TfrmMain(const QString& settingsPath = {});
  ~TfrmMain() override;

  // Input (left column).
  QGroupBox* gbInput;
  QListWidget* liFiles;
  QPushButton* btOpen;
  QPushButton* btFolder;
  QPushButton* btClear;
  QWidget* TntPanelOutput;
  QGroupBox* gbOutput;
  QLineEdit* edOutputPath;
  QPushButton* btSameInput;
  QPushButton* btOutputPath;

  // Settings (right column).
  QGroupBox* gbMaxSize;
  QCheckBox* cbWidth;
  QLineEdit* edWidth;
  QLabel* lbWidthPx;
  QCheckBox* cbHeight;
  QLineEdit* edHeight;
  QLabel* lbHeightPx;
  QGroupBox* gbQuality;
  QLabel* lbQualityLow;
  QSlider* tbQuality;
  QLabel* lbQualityHigh;
  QLineEdit* edQuality;
  QCheckBox* cbFilesize;
  QLineEdit* edFilesize;
  QLabel* lbFileSizeKB;
  QGroupBox* gbExtension;
  QCheckBox* cbAddExtension;
  QLineEdit* edAddExt;
  QRadioButton* rgPrefix;
  QRadioButton* rgSufix;
  QLabel* lbPrefixExample;
  QGroupBox* gbOptions;
  QCheckBox* cbProgressive;
  QCheckBox* cbAutorotate;
  QCheckBox* cbKeepIcc;
  QCheckBox* cbKeepExif;
  QCheckBox* cbKeepGps;
  QCheckBox* cbSubfolders;
  QCheckBox* cbSkipErrors;
  QCheckBox* cbKeepDate;
  QGroupBox* gbProfile;
  QComboBox* cbProfile;
  QPushButton* btSaveProfile;
  QPushButton* btRun;
  QLabel* StatusPanel;

  // Menus.
  QMenu* miFile;
  QAction* miExit;
  QMenu* miExtras;
  QMenu* miProfiles;
  QAction* miProfileSperator;
  QAction* miUpdatecurrentprofile;
  QAction* miCreateDropletMenu;
  QAction* miCreateSendTo;
  QAction* miDeletecurrentprofile;
  QAction* miSaveNewProfile;
  QMenu* miOptions;
  QMenu* miSelectLanguage;
  QAction* miLanguageEnglish;
  QAction* miLanguageSeperator;
  QAction* miLanguageDefault;
  QAction* miUpdate;
  QMenu* miHelp;
  QAction* miLinkSupport;
  QAction* miAbout;
  QMenu* pmProfile;
  QAction* miCreatedroplet;
  QAction* miCreateSendtoforthecurrentprofile;
  QAction* miDeleteProfile;

  // Non-visual parts.
  TOpenDialog* od;
  TBrowseForFolder* JvBFFIn;
  TBrowseForFolder* JvBFFOut;
  QTimer* Timer;

  // Run state.
  bool Cancelled = false;
  bool Running = false;
  // From the end of a batch until its clean-up is over; no run starts meanwhile.
  bool CleaningUp = false;
  TOverwriteAnswer OverwriteAnswer = TOverwriteAnswer::none;
  // Profiles and languages.
  QString ActiveProfile = QStringLiteral("default");
  QStringList ProfileNames;
  QStringList LanguageCodes;
  std::unique_ptr<QSettings> RegFile;
  std::unique_ptr<TSectionStore> RegSettings;
  std::unique_ptr<TSectionStore> RegProfiles;
  // The command line after the program's name; the first timer tick processes it.
  QStringList Arguments;
  TBatchOutcome LastBatch = TBatchOutcome::none;
  // Of the last run: each skipped photo with its reason.
  QStringList SkippedPhotos;
  // Set when the command-line batch ends the program by itself.
  bool Terminating = false;

  // Profiles.
  void LoadProfile(const QString& name);
  void SaveProfile(const QString& name);
  void SelectProfile(const QString& name);
  void RefreshProfileList();
  void cbProfileSelect();
  void ProfileMenuItemClick(QAction* entry);
  void btSaveProfileClick();
  void miUpdatecurrentprofileClick();
  void miSaveNewProfileClick();
  void miDeletecurrentprofileClick();

  // Launchers for the active profile, web pages and the about box.
  void miCreatedropletClick();
  void miCreateSendToClick();
  void miFollowLinkClick(QAction* sender);
  void miAboutClick();

  // The language menu.
  void BuildLanguageMenu();
  void miLanguageClick(QAction* sender);
  void RefreshLanguageTexts();

  void FormShow();
  void FormResize();
  void TimerTimer();
  void miExitClick();

  // The settings controls: coupling, correction on leaving an edit, the single refresh.
  void UpdateControls();
  void edQualityChange();
  void tbQualityChange();
  void edQualityExit();
  void edDimExit(QLineEdit* edit);
  void edAddExtExit();
  void cbFilesizeClick();
  void edUpdate();
  // The exit handler of a setting edit, and of the focused one when the window closes, a run
  // starts or a profile is saved while an edit still has the focus.
  bool IsSettingEdit(const QObject* object) const;
  void EditExit(QLineEdit* edit);
  void CommitFocusedEdit();

  // The single image job: one input file into one output file by the current settings. Errors
  // (unreadable picture, output not writable) leave it as exceptions. Advances the progress by
  // exactly three steps on every path.
  void ProcessImage(const QString& InputPath, const QString& OutputFolder);
  // The job's settings as the controls hold them now.
  TJobSettings ReadJobSettings() const;
  // The photos of the running batch, prepared ahead on worker threads; none with one thread.
  std::unique_ptr<TPrefetcher> Prefetch;
  void StartPrefetch(const QStringList& files);
  void StopPrefetch();

  // The batch run behind "Run".
  void btRunClick();
  void SetIdle(bool idle);
  // The run's files: each entry of the list looked up as a file or a folder pattern.
  // The files of the run with the folder below a listed folder each was found in.
  std::vector<TRunFile> ExpandInputList() const;
  // ProcessImage; with "skip unreadable photos" a photo's error is noted in SkippedPhotos and
  // the run goes on.
  void ProcessOrSkip(const QString& path, const QString& folder);
  // The skipped photos of the run, one line each with its reason, in one message.
  void ShowSkippedPhotos();

  // The input list.
  void AddInputFile(const QString& path);
  // Adds entries not yet listed, in their order, in one pass however many they are.
  void AddInputEntries(const QStringList& entries);
  // Lists files (and folders, as folder patterns) as dropping them on the input list would;
  // relative names are taken from the working folder.
  void OpenInputs(const QStringList& paths);
  void AddInputFolder(const QString& folder);
  void RemoveSelectedFiles();
  void btOpenClick();
  void btFolderClick();
  void btClearClick();
  void liFilesClick();
  // Dropped paths at a position of the main window: folders and files on the input area,
  // a folder on the output area.
  void DropFiles(const QStringList& paths, const QPoint& position);

  // The output folder.
  void btSameInputClick();
  void btOutputPathClick();
  void edOutputPathChange();

  // The status window of the running batch (it must exist).
  void InitProgress(int fileCount);
  void StepProgress();
  void ShowStatus(const QString& text);

 signals:
  // Every line shown in the status window, as it is shown.
  void StatusShown(const QString& text);
  // The progress counter as it changes (position and maximum, in steps).
  void ProgressShown(int position, int maximum);
  // The command-line batch of the first timer tick has ended.
  void BatchEnded(TBatchOutcome outcome);

 protected:
  void showEvent(QShowEvent* event) override;
  // FormCloseQuery: never refuses; stores the active profile and the window size.
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void ConnectSettings();
  void ConnectCommands();
  void RestoreWindowSize();
  QActionGroup* profileGroup_ = nullptr;
  QActionGroup* languageGroup_ = nullptr;
  bool shown_ = false;
  QString lastInputFolder_;
};

}  // namespace lumvale
