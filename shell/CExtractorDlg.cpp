#include "CExtractorDlg.h"

#include "AddFilesFilter.h"
#include "CDropListCtrl.h"
#include "SettingsStore.h"
#include "convert/CConversionRun.h"
#include "convert/CConvertDlg.h"
#include "platform/Notice.h"
#include "platform/ProcessorCount.h"
#include "platform/ProgramFolder.h"
#include "platform/ShellOpen.h"
#include "platform/WaitCursor.h"
#include "ui/BrowseOutputFolder.h"
#include "ui/CAboutDlg.h"
#include "ui/CClipDlg.h"
#include "ui/CLinkStatic.h"
#include "ui/CPicturePreview.h"
#include "ui/ConfirmTaskRowSelected.h"
#include "platform/DialogTemplate.h"
#include "ui/MakerLinks.h"
#include "ui/SkinBinding.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <optional>

namespace {

// Template 102, 415 x 237 dialog units, in its tab order; group boxes and
// labels carry no id. Tests and assistive tools find controls by name.
constexpr int kWidth = 415;
constexpr int kHeight = 237;
constexpr TemplateControl kTaskList{1000, "taskList", 2, 4, 333, 107};
constexpr TemplateControl kAddFiles{1001, "addFilesButton", 350, 8, 57, 22};
constexpr TemplateControl kDeleteFile{1004, "deleteFileButton", 350, 45, 57, 22};
constexpr TemplateControl kMovieClip{1005, "movieClipButton", 350, 86, 57, 22};
constexpr TemplateControl kStart{1019, "startButton", 344, 126, 68, 68};
constexpr TemplateControl kOutputFolder{1046, "outputFolderEdit", 102, 190, 225, 13};
constexpr TemplateControl kBrowse{1047, "browseButton", 274, 208, 54, 17};
constexpr TemplateControl kPreviewPicture{1064, "previewPicture", 5, 122, 82, 60};
constexpr TemplateControl kPreviewGroup{-1, "previewGroup", 3, 112, 86, 120};
constexpr TemplateControl kToMp3{1007, "toMp3Radio", 100, 123, 43, 15};
constexpr TemplateControl kToWav{1008, "toWavRadio", 188, 122, 43, 15};
constexpr TemplateControl kToAc3{1009, "toAc3Radio", 272, 122, 43, 15};
constexpr TemplateControl kOutputPathLabel{-1, "outputPathLabel", 102, 178, 121, 9};
constexpr TemplateControl kBitRateLabel{-1, "bitRateLabel", 101, 146, 56, 9};
constexpr TemplateControl kBitRate{1065, "bitRateList", 101, 159, 59, 13};
constexpr TemplateControl kSampleRateLabel{-1, "sampleRateLabel", 188, 146, 67, 9};
constexpr TemplateControl kChannelLabel{-1, "channelLabel", 273, 146, 37, 9};
constexpr TemplateControl kSampleRate{1066, "sampleRateList", 189, 159, 67, 13};
constexpr TemplateControl kChannel{1025, "channelList", 273, 159, 56, 13};
constexpr TemplateControl kOutputGroup{-1, "outputOptionsGroup", 92, 113, 244, 118};
constexpr TemplateControl kKbpsLabel{-1, "kbpsLabel", 162, 161, 17, 9};
constexpr TemplateControl kUpdateLink{1070, "updateLink", 339, 217, 75, 8};
constexpr TemplateControl kSeparator{-1, "separator", 93, 141, 241, 1};
constexpr TemplateControl kSummaryText{1071, "summaryText", 6, 185, 81, 41};
constexpr TemplateControl kProfessionalGroup{-1, "professionalGroup", 102, 205, 153, 23};
constexpr TemplateControl kEnhancedEngine{1027, "enhancedEngineCheck", 143, 216, 90, 10};

// The task list's columns: header, width in pixels (0: as wide as its header
// and cells ask), alignment.
struct Column {
  const char* header;
  int width;
  Qt::Alignment alignment;
};

// The Format menu: the buttons' three formats, a separator, the others.
struct FormatEntry {
  int formatCode;
  const char* text;
  const char* objectName;
};
constexpr FormatEntry kButtonFormatEntries[] = {
    {kFormatMp3, "To MP3", "toMp3Action"},
    {kFormatWav, "To WAV", "toWavAction"},
    {kFormatAc3, "To AC3", "toAc3Action"},
};
constexpr FormatEntry kOtherFormatEntries[] = {
    {kFormatOriginal, "Original Sound (no re-encoding)", "originalSoundAction"},
    {kFormatM4a, "To M4A (AAC)", "toM4aAction"},
    {kFormatFlac, "To FLAC", "toFlacAction"},
    {kFormatOpus, "To Opus", "toOpusAction"},
};

// After the row's texts the list shows the task's audio track. The five
// columns before it fill the list's width, so it cannot fit beside them; it
// is only as wide as its header and cells ask, to take the least scrolling,
// and shown only while a source has tracks to choose among.
constexpr int kTrackColumn = kColumnCount;
constexpr int kShownColumnCount = kColumnCount + 1;
constexpr Column kColumns[kShownColumnCount] = {
    {"Title", 135, Qt::AlignLeft | Qt::AlignVCenter},   {"Start", 90, Qt::AlignCenter},
    {"End", 90, Qt::AlignCenter},                       {"Source Format", 90, Qt::AlignCenter},
    {"Output Format", 90, Qt::AlignCenter},             {"Track", 0, Qt::AlignCenter},
};

QLabel* AddLabel(QWidget* parent, const char* text, const TemplateControl& place, const DialogUnits& units) {
  return PlaceControl(new QLabel(QString::fromLatin1(text), parent), place, units);
}

QComboBox* AddList(QWidget* parent, const auto& entries, const TemplateControl& place, const QString& name,
                   const DialogUnits& units) {
  auto* list = PlaceControl(new QComboBox(parent), place, units);
  for (const char* entry : entries) list->addItem(QString::fromLatin1(entry));
  list->setAccessibleName(name);
  // The template gives the closed box's width; its height is the style's.
  list->resize(list->width(), list->sizeHint().height());
  return list;
}

}  // namespace

CExtractorDlg::CExtractorDlg(SkinBinding* skin, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(QString::fromLatin1(kProductName));
  setWindowIcon(QIcon(QStringLiteral(":/app/tolvar-audio-extractor.svg")));
  SetTemplateFont(*this, "Verdana", 7);

  CreateMenus();
  CreateControls();
  SetupTaskList();
  if (skin) skin->SetCustomSkinWnd(startButton_, u"StartButton", 0);

  ShowControls(LoadSettings());

  // The intro appears once, a second after the window opens.
  QTimer::singleShot(CPreviewArea::kIntroDelayMilliseconds, this, [this] { previewArea_->ShowIntro(); });

  // F1 opens the help whichever control has the focus.
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this, this, &CExtractorDlg::OnHelp);
  help->setContext(Qt::WindowShortcut);
}

CExtractorDlg::~CExtractorDlg() = default;

void CExtractorDlg::CreateMenus() {
  menuBar_ = new QMenuBar(this);
  menuBar_->setObjectName(QStringLiteral("mainMenu"));

  QMenu* system = menuBar_->addMenu(QStringLiteral("System"));
  system->addAction(QStringLiteral("Restore Default Settings"), this, &CExtractorDlg::OnRestoreDefaults);
  system->addSeparator();
  system->addAction(QStringLiteral("Exit"), this, &QDialog::reject);

  operationMenu_ = menuBar_->addMenu(QStringLiteral("Operation"));
  operationMenu_->addAction(QStringLiteral("Add Files"), this, &CExtractorDlg::OnAddFiles);
  operationMenu_->addAction(QStringLiteral("Delete File"), this, &CExtractorDlg::OnDeleteFile);
  operationMenu_->addAction(QStringLiteral("Delete All Files"), this, &CExtractorDlg::OnDeleteAll);
  operationMenu_->addAction(QStringLiteral("Select Movie Clip"), this, &CExtractorDlg::OnMovieClip);
  operationMenu_->addSeparator();
  // Filled for the selected row by ShowTrackChoice.
  trackMenu_ = operationMenu_->addMenu(QStringLiteral("Audio Track"));
  trackMenu_->setObjectName(QStringLiteral("audioTrackMenu"));
  trackMenu_->menuAction()->setObjectName(QStringLiteral("audioTrackAction"));
  useLanguageAction_ = operationMenu_->addAction(QStringLiteral("Use This Language for Every File"), this,
                                                 &CExtractorDlg::OnUseLanguageForEveryFile);
  useLanguageAction_->setObjectName(QStringLiteral("useLanguageForEveryFileAction"));
  // Off unless the user asks: a run then converts one file after another.
  severalAtOnceAction_ = operationMenu_->addAction(QStringLiteral("Convert Several Files at Once"));
  severalAtOnceAction_->setObjectName(QStringLiteral("convertSeveralAtOnceAction"));
  severalAtOnceAction_->setCheckable(true);

  QMenu* format = menuBar_->addMenu(QStringLiteral("Format"));
  format->setObjectName(QStringLiteral("formatMenu"));
  formatActions_ = new QActionGroup(this);
  formatActions_->setExclusive(true);
  const auto addFormat = [&](const FormatEntry& entry) {
    QAction* action = format->addAction(QString::fromLatin1(entry.text));
    action->setObjectName(QString::fromLatin1(entry.objectName));
    action->setCheckable(true);
    action->setData(entry.formatCode);
    formatActions_->addAction(action);
    // Toggled, as the buttons are: checked by the mouse, the keys or a
    // screen reader alike.
    connect(action, &QAction::toggled, this, [this, formatCode = entry.formatCode](bool checked) {
      if (checked && !showingFormat_) OnOutputFormat(formatCode);
    });
  };
  for (const FormatEntry& entry : kButtonFormatEntries) addFormat(entry);
  format->addSeparator();
  for (const FormatEntry& entry : kOtherFormatEntries) addFormat(entry);

  QMenu* otherTools = menuBar_->addMenu(QStringLiteral("Other Tools"));
  for (const MakerLink& tool : MakerLinks::kOtherTools) {
    otherTools->addAction(QString::fromStdString(tool.MenuText()), this,
                          [id = tool.commandId] { MakerLinks::OnOtherTool(id); });
  }

  QMenu* about = menuBar_->addMenu(QStringLiteral("About"));
  about->addAction(QStringLiteral("Visit Our Website"), this, &CExtractorDlg::OnVisitWebsite);
  about->addSeparator();
  about->addAction(QStringLiteral("About"), this, &CExtractorDlg::OnAbout);
}

void CExtractorDlg::CreateControls() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("clientArea"));
  client_->installEventFilter(this);
  const DialogUnits units(font());
  const int menuHeight = menuBar_->sizeHint().height();
  const QSize clientSize = units.ToPixels(kWidth, kHeight);
  client_->setGeometry(0, menuHeight, clientSize.width(), clientSize.height());
  menuBar_->setGeometry(0, 0, clientSize.width(), menuHeight);
  setFixedSize(clientSize.width(), clientSize.height() + menuHeight);

  // Group boxes first, so that the controls inside are drawn over them.
  PlaceControl(new QGroupBox(QStringLiteral("Preview"), client_), kPreviewGroup, units);
  PlaceControl(new QGroupBox(QStringLiteral("Output Options"), client_), kOutputGroup, units);
  PlaceControl(new QGroupBox(QStringLiteral("Professional Feature"), client_), kProfessionalGroup, units);

  taskListControl_ = PlaceControl(new CDropListCtrl(client_), kTaskList, units);
  taskListControl_->setAccessibleName(QStringLiteral("Task list"));

  auto* addFiles = PlaceControl(new QPushButton(QStringLiteral(" Add Files"), client_), kAddFiles, units);
  addFiles->setDefault(true);
  connect(addFiles, &QPushButton::clicked, this, &CExtractorDlg::OnAddFiles);
  auto* deleteFile = PlaceControl(new QPushButton(QStringLiteral("Delete File"), client_), kDeleteFile, units);
  connect(deleteFile, &QPushButton::clicked, this, &CExtractorDlg::OnDeleteFile);
  auto* movieClip = PlaceControl(new QPushButton(QStringLiteral("Movie Clip"), client_), kMovieClip, units);
  connect(movieClip, &QPushButton::clicked, this, &CExtractorDlg::OnMovieClip);

  // The skin draws the Start button as a round picture; until then it is
  // never a blank button.
  startButton_ = PlaceControl(new QPushButton(QStringLiteral("Start"), client_), kStart, units);
  startButton_->setAccessibleName(QStringLiteral("Start"));
  connect(startButton_, &QPushButton::clicked, this, &CExtractorDlg::OnStart);

  outputFolderEdit_ = PlaceControl(new QLineEdit(client_), kOutputFolder, units);
  outputFolderEdit_->setAccessibleName(QStringLiteral("Output Path"));
  auto* browse = PlaceControl(new QPushButton(QStringLiteral("Browse"), client_), kBrowse, units);
  connect(browse, &QPushButton::clicked, this, &CExtractorDlg::OnBrowse);

  previewPicture_ = PlaceControl(new CPicturePreview(client_), kPreviewPicture, units);
  previewPicture_->setAccessibleName(QStringLiteral("Preview"));

  const char* formatTexts[] = {"To MP3", "To WAV", "To AC3"};
  const TemplateControl* formatPlaces[] = {&kToMp3, &kToWav, &kToAc3};
  for (int i = 0; i < 3; ++i) {
    formatButtons_[i] = PlaceControl(new QRadioButton(QString::fromLatin1(formatTexts[i]), client_),
                                     *formatPlaces[i], units);
    const int formatCode = kFormatMp3 + i;
    // Toggled, not clicked: a screen reader toggles the button without a click.
    connect(formatButtons_[i], &QRadioButton::toggled, this, [this, formatCode](bool checked) {
      if (checked && !showingFormat_) OnOutputFormat(formatCode);
    });
  }

  AddLabel(client_, "Output Path", kOutputPathLabel, units);
  AddLabel(client_, "Audio Bitrate", kBitRateLabel, units);
  bitRateList_ = AddList(client_, kBitRateEntries, kBitRate, QStringLiteral("Audio Bitrate"), units);
  AddLabel(client_, "Audio SampleRate", kSampleRateLabel, units);
  AddLabel(client_, "Channel", kChannelLabel, units);
  sampleRateList_ = AddList(client_, kSampleRateEntries, kSampleRate, QStringLiteral("Audio SampleRate"), units);
  channelList_ = AddList(client_, kChannelEntries, kChannel, QStringLiteral("Channel"), units);
  AddLabel(client_, "kbps", kKbpsLabel, units);

  updateLink_ = PlaceControl(new CLinkStatic(client_), kUpdateLink, units);
  updateLink_->SetLinkUrl(QString::fromLatin1(MakerLinks::kDownloadPage.address));
  updateLink_->setText(QStringLiteral("Check for new version"));

  auto* separator = PlaceControl(new QFrame(client_), kSeparator, units);
  separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);

  summaryText_ = PlaceText(client_, {}, kSummaryText, units);
  summaryText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Its name is its text, the facts a screen reader reads out.
  summaryText_->setAccessibleDescription(QStringLiteral("Media summary"));
  previewArea_ = std::make_unique<CPreviewArea>(*previewPicture_, *summaryText_);

  enhancedEngineCheck_ =
      PlaceControl(new QCheckBox(QStringLiteral("Enhanced Engine"), client_), kEnhancedEngine, units);
  connect(enhancedEngineCheck_, &QCheckBox::toggled, this, &CExtractorDlg::OnEnhancedEngine);
}

void CExtractorDlg::SetupTaskList() {
  taskListControl_->setColumnCount(kShownColumnCount);
  QStringList headers;
  for (const Column& column : kColumns) headers << QString::fromLatin1(column.header);
  taskListControl_->setHeaderLabels(headers);
  for (int i = 0; i < kShownColumnCount; ++i) {
    // Track's width follows its cells, in ShowTaskRows.
    if (kColumns[i].width != 0) taskListControl_->setColumnWidth(i, kColumns[i].width);
    taskListControl_->headerItem()->setTextAlignment(i, kColumns[i].alignment);
  }
  taskListControl_->header()->setSectionsClickable(false);
  taskListControl_->header()->setSectionsMovable(false);
  taskListControl_->setSortingEnabled(false);
  taskListControl_->setRootIsDecorated(false);
  taskListControl_->setItemsExpandable(false);
  taskListControl_->setUniformRowHeights(true);
  taskListControl_->setSelectionMode(QAbstractItemView::SingleSelection);
  taskListControl_->setSelectionBehavior(QAbstractItemView::SelectRows);
  taskListControl_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(taskListControl_, &QWidget::customContextMenuRequested, this, &CExtractorDlg::OnRClickTaskList);
  connect(taskListControl_, &QTreeWidget::itemSelectionChanged, this, &CExtractorDlg::OnTaskSelectionChanged);
  // A mouse click only: moving the selection with the keys shows no still.
  connect(taskListControl_, &QTreeWidget::itemClicked, this, &CExtractorDlg::OnClickTaskList);

  taskListControl_->DropTarget().SetDropOptions({DL_ACCEPT_FILES | DL_USE_CALLBACK, "",
                                                 [this](const std::string& path, uint32_t kind) {
                                                   const int answer = taskList_.OnFileDropped(path, kind);
                                                   ShowAddedRow();
                                                   return answer;
                                                 }});
  connect(taskListControl_, &CDropListCtrl::filesDropped, this, [this](const std::vector<std::string>& paths) {
    RunAdd([&] { taskListControl_->DropTarget().OnDropFiles(paths); });
  });
}

void CExtractorDlg::ShowTaskRows() {
  const auto& rows = taskList_.Rows();
  const QIcon rowIcon(QStringLiteral(":/app/task-row.svg"));
  const QSignalBlocker quiet(taskListControl_);
  while (taskListControl_->topLevelItemCount() > static_cast<int>(rows.size())) {
    delete taskListControl_->takeTopLevelItem(taskListControl_->topLevelItemCount() - 1);
  }
  while (taskListControl_->topLevelItemCount() < static_cast<int>(rows.size())) {
    auto* item = new QTreeWidgetItem(taskListControl_);
    item->setIcon(kTitleColumn, rowIcon);
    for (int i = 0; i < kShownColumnCount; ++i) item->setTextAlignment(i, kColumns[i].alignment);
  }
  bool aChoiceOfTracks = false;
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    QTreeWidgetItem* item = taskListControl_->topLevelItem(row);
    for (int column = 0; column < kColumnCount; ++column) {
      item->setText(column, QString::fromStdString(rows[row][column]));
    }
    const AudioTrack* track = taskList_.TrackInUseOf(row);
    item->setText(kTrackColumn, QString::fromStdString(taskList_.TrackCellOf(row)));
    // As plain text: a title in angle brackets would be read as markup.
    item->setToolTip(kTrackColumn,
                     track ? Qt::convertFromPlainText(QString::fromStdString(TrackLabel(*track))) : QString());
    aChoiceOfTracks = aChoiceOfTracks || taskList_.AudioTracksOf(row).size() > 1;
  }
  // A list of single-track sources keeps the five columns alone, and no
  // scroll bar.
  taskListControl_->setColumnHidden(kTrackColumn, !aChoiceOfTracks);
  taskListControl_->resizeColumnToContents(kTrackColumn);
  const int selected = taskList_.GetSelectedRow();
  taskListControl_->clearSelection();
  if (selected >= 0) {
    QTreeWidgetItem* item = taskListControl_->topLevelItem(selected);
    taskListControl_->setCurrentItem(item);
    item->setSelected(true);
  }
  ShowTrackChoice();
}

void CExtractorDlg::ShowTrackChoice() {
  // The old entries are deleted later: this may run from one's own toggle.
  for (QAction* action : trackMenu_->actions()) trackMenu_->removeAction(action);
  if (trackActions_) trackActions_->deleteLater();
  trackActions_ = new QActionGroup(this);
  trackActions_->setExclusive(true);
  const int row = taskList_.GetSelectedRow();
  const AudioTrack* inUse = row >= 0 ? taskList_.TrackInUseOf(row) : nullptr;
  if (row >= 0) {
    for (const AudioTrack& track : taskList_.AudioTracksOf(row)) {
      // An '&' of a track's title is no mnemonic.
      const QString label = QString::fromStdString(TrackLabel(track)).replace(QLatin1Char('&'), QStringLiteral("&&"));
      QAction* action = trackActions_->addAction(label);
      action->setObjectName(QStringLiteral("audioTrack%1Action").arg(track.number));
      action->setCheckable(true);
      action->setChecked(&track == inUse);
      // Shown all the same, so that the menu's numbers run as the file's.
      action->setEnabled(track.hasSound);
      // Toggled, as the formats are: checked by the mouse, the keys or a
      // screen reader alike.
      connect(action, &QAction::toggled, this, [this, number = track.number](bool checked) {
        if (checked) OnChooseTrack(number);
      });
    }
  }
  trackMenu_->addActions(trackActions_->actions());
  trackMenu_->menuAction()->setEnabled(!trackMenu_->isEmpty());
  useLanguageAction_->setEnabled(inUse && HasLanguageTag(*inUse));
}

void CExtractorDlg::OnTaskSelectionChanged() {
  const auto selected = taskListControl_->selectedItems();
  taskList_.SelectRow(selected.isEmpty() ? -1 : taskListControl_->indexOfTopLevelItem(selected.first()));
  ShowTrackChoice();
}

SettingsControls CExtractorDlg::ReadControls() const {
  SettingsControls controls;
  for (int i = 0; i < 3; ++i) {
    if (formatButtons_[i]->isChecked()) controls.checkedFormat = kFormatMp3 + i;
  }
  // The menu's own formats check no button.
  if (controls.checkedFormat == 0 && formatActions_->checkedAction()) {
    controls.checkedFormat = formatActions_->checkedAction()->data().toInt();
  }
  controls.bitRateIndex = bitRateList_->currentIndex();
  controls.sampleRateIndex = sampleRateList_->currentIndex();
  controls.channelIndex = channelList_->currentIndex();
  controls.convertSeveralAtOnce = severalAtOnceAction_->isChecked();
  // A stored folder whose name is not UTF-8 cannot be shown as it is; while
  // the field shows it untouched, it stands for those very bytes.
  const QString shown = outputFolderEdit_->text();
  controls.outputFolder = shown == shownOutputFolder_ ? storedOutputFolder_ : shown.toStdString();
  return controls;
}

void CExtractorDlg::ShowControls(const SettingsControls& controls) {
  // As when the user chooses it, no format included: the rows, the buttons,
  // the menu and the lists follow.
  OnOutputFormat(controls.checkedFormat);
  // An index outside a list selects nothing in it.
  bitRateList_->setCurrentIndex(controls.bitRateIndex < bitRateList_->count() ? controls.bitRateIndex : -1);
  sampleRateList_->setCurrentIndex(controls.sampleRateIndex < sampleRateList_->count() ? controls.sampleRateIndex
                                                                                      : -1);
  channelList_->setCurrentIndex(controls.channelIndex < channelList_->count() ? controls.channelIndex : -1);
  severalAtOnceAction_->setChecked(controls.convertSeveralAtOnce);
  storedOutputFolder_ = controls.outputFolder;
  shownOutputFolder_ = QString::fromStdString(controls.outputFolder);
  outputFolderEdit_->setText(shownOutputFolder_);
}

void CExtractorDlg::AddFiles(const QStringList& paths) {
  RunAdd([&] {
    for (const QString& path : paths) {
      // A task keeps its source by a path that does not depend on the folder
      // the program was started from.
      const bool relative = !path.isEmpty() && !path.startsWith(QLatin1Char('/'));
      taskList_.AddSourceFile((relative ? QDir::currentPath() + QLatin1Char('/') + path : path).toStdString());
      ShowAddedRow();
    }
  });
}

void CExtractorDlg::RunAdd(const std::function<void()>& add) {
  const WaitCursor wait;
  taskList_.BeginAdd();
  add();
  ShowTaskRows();
  taskList_.EndAdd();
}

// Painted at once: the add holds the window's thread until it is over.
void CExtractorDlg::ShowAddedRow() {
  ShowTaskRows();
  taskListControl_->viewport()->repaint();
}

void CExtractorDlg::OnAddFiles() {
  QFileDialog dialog(this, QString(), QString(), QString::fromLatin1(kAddFilesFilter));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setOption(QFileDialog::ReadOnly);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return;
  AddFiles(dialog.selectedFiles());
}

void CExtractorDlg::OnDeleteFile() {
  taskList_.OnDeleteFile();
  ShowTaskRows();
}

void CExtractorDlg::OnDeleteAll() {
  taskList_.OnDeleteAll();
  ShowTaskRows();
}

void CExtractorDlg::OnMovieClip() {
  const int row = taskList_.GetSelectedRow();
  if (!ConfirmTaskRowSelected(row)) return;
  Task task = taskList_.Tasks()[row];
  CClipDlg clip(task, QString::fromStdString(taskList_.Rows()[row][kTitleColumn]), this);
  if (clip.exec() != QDialog::Accepted) return;
  taskList_.StoreClip(row, task.clipStart, task.clipLength, clip.StartCellText().toStdString(),
                      clip.EndCellText().toStdString());
  ShowTaskRows();
}

void CExtractorDlg::OnChooseTrack(int number) {
  taskList_.ChooseTrack(taskList_.GetSelectedRow(), number);
  ShowTaskRows();
}

void CExtractorDlg::OnUseLanguageForEveryFile() {
  const int row = taskList_.GetSelectedRow();
  const AudioTrack* track = row >= 0 ? taskList_.TrackInUseOf(row) : nullptr;
  if (!track || !HasLanguageTag(*track)) return;
  const std::string language = track->language;
  {
    // Original probes each source whose track changes.
    std::optional<WaitCursor> wait;
    if (taskList_.GetCheckedFormat() == kFormatOriginal) wait.emplace();
    taskList_.UseLanguageForEveryTask(language);
  }
  ShowTaskRows();
}

void CExtractorDlg::OnOutputFormat(int formatCode) {
  {
    // Original probes each source not probed before.
    std::optional<WaitCursor> wait;
    if (formatCode == kFormatOriginal) wait.emplace();
    taskList_.CheckOutputFormat(formatCode);
  }
  ShowFormat(taskList_.GetCheckedFormat());
  ShowTaskRows();
}

void CExtractorDlg::ShowFormat(int formatCode) {
  const QScopedValueRollback showing(showingFormat_, true);
  // Auto-exclusive buttons cannot all be cleared while exclusive; a format
  // of the menu's, or none, leaves them all clear.
  for (int i = 0; i < 3; ++i) {
    formatButtons_[i]->setAutoExclusive(false);
    formatButtons_[i]->setChecked(formatCode == kFormatMp3 + i);
    formatButtons_[i]->setAutoExclusive(true);
  }
  for (QAction* action : formatActions_->actions()) action->setChecked(action->data().toInt() == formatCode);

  const ListsInUse inUse = ListsInUseBy(formatCode);
  bitRateList_->setEnabled(inUse.bitRate);
  sampleRateList_->setEnabled(inUse.sampleRate);
  channelList_->setEnabled(inUse.channels);
}

void CExtractorDlg::OnEnhancedEngine() { enhancedEngine_ = !enhancedEngine_; }

void CExtractorDlg::OnRestoreDefaults() { ::OnRestoreDefaults(); }

void CExtractorDlg::OnHelp() { IShellOpen::Current().Open(GetProgramFolder() + "help.html"); }

// The run gets a copy of the tasks and reads the controls once, when it
// stores the settings; the progress window keeps this window disabled.
void CExtractorDlg::OnStart() {
  ConversionRunInput input;
  input.tasks = taskList_.Tasks();
  for (int row = 0; row < taskList_.GetTaskCount(); ++row) {
    input.rowTitles.push_back(taskList_.Rows()[row][kTitleColumn]);
    input.outputNames.push_back({"", taskList_.OutputExtensionOf(row)});
  }
  input.enhancedEngine = enhancedEngine_;
  // The run takes no more lanes than it has tasks.
  if (severalAtOnceAction_->isChecked()) input.parallelTasks = UsableProcessorCount();
  input.saveSettings = [this] {
    std::string notSaved;
    const Settings settings = SaveSettings(ReadControls(), &notSaved);
    // Once per program run: the next Start would fail alike.
    if (!notSaved.empty() && !toldSettingsNotSaved_) {
      toldSettingsNotSaved_ = true;
      ShowNotice(notSaved, "WARNING", NoticeIcon::Warning);
    }
    return settings;
  };
  CConversionRun run(std::move(input));
  if (!run.Prepare()) return;
  CConvertDlg progress(run, this);
  progress.exec();
}

void CExtractorDlg::OnBrowse() { BrowseOutputFolder(*outputFolderEdit_); }

void CExtractorDlg::OnAbout() {
  CAboutDlg about;
  about.exec();
}

void CExtractorDlg::OnVisitWebsite() { IShellOpen::Current().Open(MakerLinks::kWebSite.address); }

void CExtractorDlg::OnClickTaskList() {
  const int row = taskList_.GetSelectedRow();
  if (row < 0) return;
  previewArea_->ShowSource(taskList_.Tasks()[row].sourcePath);
}

void CExtractorDlg::OnRClickTaskList(const QPoint& position) {
  operationMenu_->popup(taskListControl_->viewport()->mapToGlobal(position));
}

// A press on the client area outside the controls moves the window as if
// its caption were dragged: by the window manager where it can, else by hand.
bool CExtractorDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool mouseEvent = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                          type == QEvent::MouseButtonRelease;
  if (watched != client_ || !mouseEvent) return QDialog::eventFilter(watched, event);
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
    draggingByHand_ = !(windowHandle() && windowHandle()->startSystemMove());
    dragOffset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
    return true;
  }
  if (type == QEvent::MouseMove && draggingByHand_ && (mouse->buttons() & Qt::LeftButton)) {
    move(mouse->globalPosition().toPoint() - dragOffset_);
    return true;
  }
  if (type == QEvent::MouseButtonRelease) draggingByHand_ = false;
  return QDialog::eventFilter(watched, event);
}
