#pragma once

#include "CTaskList.h"
#include "SettingsControls.h"
#include "ui/CPreviewArea.h"

#include <QDialog>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

class CDropListCtrl;
class CLinkStatic;
class CPicturePreview;
class SkinBinding;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;

// The program's main window: the task list, the output options, the preview
// area and the Start button under the menu bar. It owns the task list and
// routes every command to the rules that handle it; the rules themselves
// live where a test reaches them without a window.
class CExtractorDlg : public QDialog {
  Q_OBJECT

 public:
  // The skin binding, when there is one, gets the Start button for its round
  // look.
  explicit CExtractorDlg(SkinBinding* skin = nullptr, QWidget* parent = nullptr);
  ~CExtractorDlg() override;

  const CTaskList& TaskList() const { return taskList_; }
  bool EnhancedEngine() const { return enhancedEngine_; }

  // What the output controls hold, and showing a record in them.
  SettingsControls ReadControls() const;
  void ShowControls(const SettingsControls& controls);

  // Adds files as the Open dialog does, in the given order; a relative path
  // (the command line's) is taken from the current folder.
  void AddFiles(const QStringList& paths);

  // Commands.
  void OnAddFiles();
  void OnDeleteFile();
  void OnDeleteAll();
  void OnMovieClip();
  // The selected row's task takes its source's track `number`.
  void OnChooseTrack(int number);
  // Every task whose source has the selected row's language takes its
  // track in that language.
  void OnUseLanguageForEveryFile();
  void OnOutputFormat(int formatCode);
  void OnEnhancedEngine();
  void OnRestoreDefaults();
  void OnHelp();
  void OnStart();
  void OnBrowse();
  void OnAbout();
  void OnVisitWebsite();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateMenus();
  void CreateControls();
  void SetupTaskList();
  void ShowTaskRows();
  // The Audio Track submenu and the entry after it, for the selected row.
  void ShowTrackChoice();
  // The format on the buttons and in the Format menu, and the lists it reads
  // enabled.
  void ShowFormat(int formatCode);
  // One add of files (the Open dialog's, a drop's, the command line's):
  // under the wait cursor, each row shown as its file is added, the list's
  // limit told once at the end.
  void RunAdd(const std::function<void()>& add);
  void ShowAddedRow();
  void OnRClickTaskList(const QPoint& position);
  void OnClickTaskList();
  void OnTaskSelectionChanged();

  CTaskList taskList_;
  bool enhancedEngine_ = false;
  bool toldSettingsNotSaved_ = false;

  QMenuBar* menuBar_ = nullptr;
  QMenu* operationMenu_ = nullptr;
  QMenu* trackMenu_ = nullptr;
  // The selected row's tracks, rebuilt with every change of the rows.
  QActionGroup* trackActions_ = nullptr;
  QAction* useLanguageAction_ = nullptr;
  QAction* severalAtOnceAction_ = nullptr;
  QActionGroup* formatActions_ = nullptr;
  // Set while ShowFormat checks buttons and menu entries, whose toggles are
  // then no choice of the user's.
  bool showingFormat_ = false;
  QWidget* client_ = nullptr;
  CDropListCtrl* taskListControl_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QLineEdit* outputFolderEdit_ = nullptr;
  // The output folder as the settings gave it, byte for byte, and as the
  // field showed it then.
  std::string storedOutputFolder_;
  QString shownOutputFolder_;
  CPicturePreview* previewPicture_ = nullptr;
  QLabel* summaryText_ = nullptr;
  std::unique_ptr<CPreviewArea> previewArea_;
  QRadioButton* formatButtons_[3] = {};
  QComboBox* bitRateList_ = nullptr;
  QComboBox* sampleRateList_ = nullptr;
  QComboBox* channelList_ = nullptr;
  CLinkStatic* updateLink_ = nullptr;
  QCheckBox* enhancedEngineCheck_ = nullptr;

  // Dragging the window by its client area, where the window manager
  // does not move it itself.
  bool draggingByHand_ = false;
  QPoint dragOffset_;
};
