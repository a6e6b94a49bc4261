#include "shell/CExtractorDlg.h"
#include "shell/SettingsStore.h"
#include "platform/DialogUnits.h"
#include "platform/ProgramFolder.h"
#include "platform/RecordingNotice.h"
#include "platform/RecordingShellOpen.h"
#include "ui/CClipDlg.h"
#include "ui/CLinkStatic.h"
#include "ui/CRangeSlider.h"
#include "ui/MakerLinks.h"
#include "support/Command.h"
#include "support/EventLoop.h"
#include "support/ExpectAudio.h"
#include "support/Ffprobe.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

// Failures show texts as texts.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

// A main window over a program folder of its own, with the notices and the
// desktop opening recorded.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramFolderOverride(programFolder.Path());
    window = std::make_unique<CExtractorDlg>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    window.reset();
    SetProgramFolderOverride("");
  }

  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  QAction* MenuAction(const QString& menuTitle, const QString& text) {
    for (QAction* menuAction : window->findChild<QMenuBar*>()->actions()) {
      if (menuAction->text() != menuTitle) continue;
      for (QAction* action : menuAction->menu()->actions()) {
        if (action->text() == text) return action;
      }
    }
    ADD_FAILURE() << "no menu item " << text.toStdString();
    return nullptr;
  }

  std::string Source(const std::string& name) {
    const std::string path = sources / name;
    fs::copy_file(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), path, fs::copy_options::overwrite_existing);
    return path;
  }

  QStringList RowTitles() {
    QStringList titles;
    auto* list = Find<QTreeWidget>("taskList");
    for (int i = 0; i < list->topLevelItemCount(); ++i) titles << list->topLevelItem(i)->text(0);
    return titles;
  }

  // Drags the files over the list and drops them as a file manager does,
  // proposing `proposed`; the action the list answered each event with.
  // The drop is over when this returns; its files are added afterwards.
  std::vector<Qt::DropAction> Drop(const QList<QUrl>& urls, Qt::DropAction proposed = Qt::CopyAction,
                                   Qt::KeyboardModifiers keys = Qt::NoModifier) {
    auto* list = Find<QTreeWidget>("taskList");
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = list->viewport()->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    std::vector<Qt::DropAction> answers;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, keys);
    enter.setDropAction(proposed);
    QApplication::sendEvent(list->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    answers.push_back(enter.dropAction());
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, keys);
    move.setDropAction(proposed);
    QApplication::sendEvent(list->viewport(), &move);
    answers.push_back(move.dropAction());
    QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, keys);
    drop.setDropAction(proposed);
    QApplication::sendEvent(list->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    answers.push_back(drop.dropAction());
    return answers;
  }

  void DropAndAdd(const QList<QUrl>& urls) {
    Drop(urls);
    QCoreApplication::processEvents();
  }

  static QUrl Url(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

  // The format as both sides show it: the buttons, the Format menu, what
  // Start reads and what the rows are labelled by.
  void ExpectFormatShown(int formatCode) {
    const std::pair<const char*, int> buttons[] = {
        {"toMp3Radio", kFormatMp3}, {"toWavRadio", kFormatWav}, {"toAc3Radio", kFormatAc3}};
    for (const auto& [name, code] : buttons) {
      EXPECT_EQ(Find<QRadioButton>(name)->isChecked(), code == formatCode) << name;
    }
    const std::pair<const char*, int> entries[] = {
        {"toMp3Action", kFormatMp3},  {"toWavAction", kFormatWav},   {"toAc3Action", kFormatAc3},
        {"originalSoundAction", kFormatOriginal},                    {"toM4aAction", kFormatM4a},
        {"toFlacAction", kFormatFlac}, {"toOpusAction", kFormatOpus}};
    for (const auto& [name, code] : entries) EXPECT_EQ(Find<QAction>(name)->isChecked(), code == formatCode) << name;
    EXPECT_EQ(window->ReadControls().checkedFormat, formatCode);
    EXPECT_EQ(window->TaskList().GetCheckedFormat(), formatCode);
  }

  // The Format menu opened from the menu bar with the mouse.
  QMenu* OpenFormatMenu() {
    auto* bar = window->findChild<QMenuBar*>();
    auto* menu = Find<QMenu>("formatMenu");
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(menu->menuAction()).center());
    EXPECT_TRUE(ProcessEventsUntil([&] { return QApplication::activePopupWidget() == menu; }, std::chrono::seconds(5)));
    return menu;
  }

  QMenu* OperationMenu() {
    for (QAction* menu : window->findChild<QMenuBar*>()->actions()) {
      if (menu->text() == "Operation") return menu->menu();
    }
    return nullptr;
  }

  void AddFixtures(std::initializer_list<const char*> fixtures) {
    QStringList paths;
    for (const char* fixture : fixtures) paths << QString::fromStdString(TestMedia::Path(fixture));
    window->AddFiles(paths);
  }

  void SelectRow(int row) {
    auto* list = Find<QTreeWidget>("taskList");
    list->setCurrentItem(list->topLevelItem(row));
  }

  // The Audio Track submenu as the user sees it: "x " before the checked
  // entry, "- " before a disabled one.
  QStringList TrackEntries() {
    QStringList entries;
    for (QAction* action : Find<QMenu>("audioTrackMenu")->actions()) {
      const QString mark = action->isChecked() ? "x " : !action->isEnabled() ? "- " : "  ";
      entries << mark + action->text();
    }
    return entries;
  }

  // The submenu's entry for track `number`, as it stands now.
  QAction* TrackEntry(int number) {
    const QList<QAction*> actions = Find<QMenu>("audioTrackMenu")->actions();
    EXPECT_LE(number, actions.size());
    return number <= actions.size() ? actions[number - 1] : nullptr;
  }

  // The row's Track cell and its tooltip as the tooltip shows it.
  std::pair<QString, QString> TrackCell(int row) {
    const QTreeWidgetItem* item = Find<QTreeWidget>("taskList")->topLevelItem(row);
    QTextDocument shown;
    if (Qt::mightBeRichText(item->toolTip(5))) {
      shown.setHtml(item->toolTip(5));
    } else {
      shown.setPlainText(item->toolTip(5));
    }
    return {item->text(5), shown.toPlainText()};
  }

  // Alt takes the keys to the menu bar, the arrows to the menu and Down
  // opens it.
  void OpenMenuByKeys(QMenu* menu) {
    auto* bar = window->findChild<QMenuBar*>();
    QTest::keyClick(window.get(), Qt::Key_Alt);
    for (int step = 0; step < 5 && bar->activeAction() != menu->menuAction(); ++step) {
      QTest::keyClick(bar, Qt::Key_Right);
    }
    QTest::keyClick(bar, Qt::Key_Down);
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return QApplication::activePopupWidget() == menu; }, std::chrono::seconds(5)));
  }

  // The keys open the Operation menu, go down it to Audio Track and into the
  // submenu to the track's entry; Return chooses it.
  void ChooseTrackByKeys(int number) {
    QMenu* operation = OperationMenu();
    ASSERT_NE(operation, nullptr);
    auto* tracks = Find<QMenu>("audioTrackMenu");
    ASSERT_NO_FATAL_FAILURE(OpenMenuByKeys(operation));
    for (int step = 0; step < 10 && operation->activeAction() != tracks->menuAction(); ++step) {
      QTest::keyClick(operation, Qt::Key_Down);
    }
    ASSERT_EQ(operation->activeAction(), tracks->menuAction()) << "the keys never reached Audio Track";
    QTest::keyClick(operation, Qt::Key_Right);
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return QApplication::activePopupWidget() == tracks; }, std::chrono::seconds(5)));
    QAction* entry = TrackEntry(number);
    for (int step = 0; step < 10 && tracks->activeAction() != entry; ++step) QTest::keyClick(tracks, Qt::Key_Down);
    ASSERT_EQ(tracks->activeAction(), entry) << "the keys never reached track " << number;
    QTest::keyClick(tracks, Qt::Key_Return);
  }

  RecordingNotice notice;
  RecordingShellOpen shellOpen;
  TempFolder programFolder;
  TempFolder sources;
  std::unique_ptr<CExtractorDlg> window;
};

TEST_F(MainWindowTest, ShowsTheTemplatesControlsAndTitle) {
  EXPECT_EQ(window->windowTitle(), "Tolvar Audio Extractor");
  EXPECT_EQ(Find<QPushButton>("startButton")->text(), "Start") << "never a blank button";
  EXPECT_EQ(Find<QPushButton>("addFilesButton")->text(), " Add Files");
  auto* list = Find<QTreeWidget>("taskList");
  EXPECT_EQ(list->headerItem()->text(3), "Source Format");
  EXPECT_EQ(Find<QComboBox>("bitRateList")->count(), 13);
  EXPECT_EQ(Find<QComboBox>("sampleRateList")->itemText(3), "22050");
  EXPECT_EQ(Find<QComboBox>("channelList")->itemText(0), "Mono");
  // Every control reports a name to assistive technology.
  const std::pair<const char*, const char*> names[] = {
      {"taskList", "Task list"},        {"startButton", "Start"},
      {"previewPicture", "Preview"},    {"outputFolderEdit", "Output Path"},
      {"bitRateList", "Audio Bitrate"}, {"sampleRateList", "Audio SampleRate"},
      {"channelList", "Channel"},
  };
  for (const auto& [objectName, accessibleName] : names) {
    EXPECT_EQ(Find<QWidget>(objectName)->accessibleName(), accessibleName);
  }
}

TEST_F(MainWindowTest, EnhancedEngineStartsUncheckedAndFollowsTheBox) {
  auto* box = Find<QCheckBox>("enhancedEngineCheck");
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(window->EnhancedEngine());
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(window->EnhancedEngine());
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_FALSE(window->EnhancedEngine());
}

// A screen reader toggles a check box or radio button through its
// accessible action, which is no click: the window follows all the same.
TEST_F(MainWindowTest, ScreenReaderTogglesActAsClicks) {
  window->AddFiles({QString::fromStdString(Source("x.avi"))});
  const auto toggle = [](QWidget* button) {
    QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
        QAccessibleActionInterface::toggleAction());
  };
  toggle(Find<QCheckBox>("enhancedEngineCheck"));
  EXPECT_TRUE(window->EnhancedEngine());
  toggle(Find<QRadioButton>("toWavRadio"));
  EXPECT_EQ(window->TaskList().GetOutputExtension(), "wav");
  EXPECT_EQ(Find<QTreeWidget>("taskList")->topLevelItem(0)->text(4), "WAV");
  toggle(Find<QCheckBox>("enhancedEngineCheck"));
  EXPECT_FALSE(window->EnhancedEngine());
}

TEST_F(MainWindowTest, F1OpensTheHelpWhereverTheFocusIs) {
  for (const char* focused : {"taskList", "outputFolderEdit", "bitRateList", "startButton"}) {
    auto* widget = Find<QWidget>(focused);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_F1);
  }
  const auto targets = shellOpen.Targets();
  ASSERT_EQ(targets.size(), 4u);
  for (const auto& target : targets) EXPECT_EQ(target, programFolder / "help.html");
}

TEST_F(MainWindowTest, ADropOfThreeFilesAddsThreeRowsInOrder) {
  DropAndAdd({Url(Source("b.avi")), Url(Source("a.avi")), Url(Source("c.avi"))});
  EXPECT_EQ(RowTitles(), (QStringList{" b.avi", " a.avi", " c.avi"}));
  EXPECT_EQ(window->TaskList().GetTaskCount(), 3);
  EXPECT_EQ(Find<QTreeWidget>("taskList")->currentItem()->text(0), " c.avi") << "the last added row is selected";
}

// A file named on the command line relative to the folder the program was
// started from is still found after the program has left that folder.
TEST_F(MainWindowTest, ARelativePathIsTakenFromTheCurrentFolder) {
  const std::string source = Source("clip.avi");
  const fs::path started = fs::current_path();
  fs::current_path(sources.Path());
  window->AddFiles({"clip.avi", "./clip.avi"});
  fs::current_path(started);
  ASSERT_EQ(window->TaskList().GetTaskCount(), 2);
  EXPECT_EQ(window->TaskList().Tasks()[0].sourcePath, source);
  EXPECT_TRUE(fs::equivalent(window->TaskList().Tasks()[1].sourcePath, source));
}

TEST_F(MainWindowTest, ADroppedFolderAddsNothing) {
  DropAndAdd({Url(sources.Path())});
  EXPECT_TRUE(RowTitles().isEmpty());
}

// Notes, for each row count the list is painted with, whether the wait
// cursor was up the first time.
class PaintWatcher : public QObject {
 public:
  explicit PaintWatcher(QTreeWidget* list) : list_(list) { list->viewport()->installEventFilter(this); }
  std::map<int, bool> waitCursorByRowCount;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const QCursor* cursor = QApplication::overrideCursor();
      waitCursorByRowCount.emplace(list_->topLevelItemCount(), cursor && cursor->shape() == Qt::WaitCursor);
    }
    return false;
  }

 private:
  QTreeWidget* list_;
};

// A Shift-drag proposes a move; the list answers copy, so that the file
// manager keeps its files. The drop ends before anything is added; the
// files then come in one by one under the wait cursor, each row painted as
// it comes, and the refusal of a file that is no video after the drop.
TEST_F(MainWindowTest, ADropIsACopyOverAtOnceAndAddedRowByRow) {
  const std::string pipe = sources / "pipe.avi";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string text = sources / "text.avi";
  std::ofstream(text) << "Minutes of the meeting, not a video.\n";
  QList<QUrl> urls = {Url(sources.Path()), Url(pipe)};
  for (int i = 1; i <= 20; ++i) urls.push_back(Url(Source("clip" + std::to_string(i) + ".avi")));
  urls.push_back(Url(text));

  const auto answers = Drop(urls, Qt::MoveAction, Qt::ShiftModifier);
  EXPECT_EQ(answers, std::vector<Qt::DropAction>(3, Qt::CopyAction)) << "drag enter, drag move and drop";
  EXPECT_EQ(window->TaskList().GetTaskCount(), 0) << "the drop returned before adding";
  EXPECT_TRUE(notice.Requests().empty()) << "no box while the file manager waits";

  PaintWatcher painted(Find<QTreeWidget>("taskList"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !notice.Requests().empty(); }, std::chrono::seconds(60)));
  EXPECT_EQ(window->TaskList().GetTaskCount(), 20);
  const auto requests = notice.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].text, "Fail to open the file " + text);
  for (int count = 1; count <= 20; ++count) {
    SCOPED_TRACE(count);
    ASSERT_EQ(painted.waitCursorByRowCount.count(count), 1u) << "the list was never painted with that many rows";
    EXPECT_TRUE(painted.waitCursorByRowCount[count]) << "painted without the wait cursor";
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// 150 files for an empty list: the first 100 are added, and one box tells
// how many were left out.
TEST_F(MainWindowTest, AnAddPastTheLimitIsToldOnce) {
  QStringList paths;
  for (int i = 1; i <= 150; ++i) paths << QString::fromStdString(Source("clip" + std::to_string(i) + ".avi"));
  window->AddFiles(paths);
  EXPECT_EQ(window->TaskList().GetTaskCount(), 100);
  EXPECT_EQ(RowTitles().size(), 100);
  const auto requests = notice.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].text, "The list holds at most 100 files. 50 files were left out.");
  EXPECT_EQ(requests[0].caption, "Information");
}

// The right-click menu is the Operation menu; its Delete File does what the
// button does.
TEST_F(MainWindowTest, DeleteFromTheMenuActsAsTheButton) {
  window->AddFiles({QString::fromStdString(Source("one.avi")), QString::fromStdString(Source("two.avi")),
                    QString::fromStdString(Source("three.avi"))});
  auto* list = Find<QTreeWidget>("taskList");
  list->setCurrentItem(list->topLevelItem(0));
  QTest::mouseClick(Find<QPushButton>("deleteFileButton"), Qt::LeftButton);
  EXPECT_EQ(RowTitles(), (QStringList{" two.avi", " three.avi"}));

  list->setCurrentItem(list->topLevelItem(0));
  MenuAction("Operation", "Delete File")->trigger();
  EXPECT_EQ(RowTitles(), (QStringList{" three.avi"}));
  const auto requests = notice.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].text, "Are you sure to delete the current item \" ONE.AVI\" ?");
  EXPECT_EQ(requests[1].text, "Are you sure to delete the current item \" TWO.AVI\" ?");

  emit list->customContextMenuRequested(QPoint(5, 5));
  auto* popup = QApplication::activePopupWidget();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(static_cast<QMenu*>(popup)->title(), "Operation");
  popup->close();
}

TEST_F(MainWindowTest, FormatButtonsRelabelTheRows) {
  window->AddFiles({QString::fromStdString(Source("x.avi"))});
  QTest::mouseClick(Find<QRadioButton>("toWavRadio"), Qt::LeftButton);
  EXPECT_EQ(Find<QTreeWidget>("taskList")->topLevelItem(0)->text(4), "WAV");
  window->AddFiles({QString::fromStdString(Source("y.avi"))});
  EXPECT_EQ(Find<QTreeWidget>("taskList")->topLevelItem(1)->text(4), "WAV");
}

// The Format menu follows Operation: the buttons' three formats, a
// separator, the others. A format chosen on either side shows on both; one
// of the menu's own clears the three buttons. The menu answers the mouse,
// the keys and a screen reader.
TEST_F(MainWindowTest, TheFormatMenuAndTheButtonsAlwaysAgree) {
  QStringList titles;
  for (QAction* menu : window->findChild<QMenuBar*>()->actions()) titles << menu->text();
  EXPECT_EQ(titles, (QStringList{"System", "Operation", "Format", "Other Tools", "About"}));
  QStringList entries;
  for (QAction* action : Find<QMenu>("formatMenu")->actions()) {
    entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_TRUE(action->isSeparator() || action->isCheckable()) << action->text().toStdString();
  }
  EXPECT_EQ(entries, (QStringList{"To MP3", "To WAV", "To AC3", "-", "Original Sound (no re-encoding)",
                                  "To M4A (AAC)", "To FLAC", "To Opus"}));

  const auto click = [&](const char* button) {
    return [=, this] { QTest::mouseClick(Find<QRadioButton>(button), Qt::LeftButton); };
  };
  const auto byMouse = [&](const char* entry) {
    return [=, this] {
      QMenu* menu = OpenFormatMenu();
      QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(Find<QAction>(entry)).center());
    };
  };
  // The keys open the Format menu and go down it to the entry; Return
  // chooses it.
  const auto byKeys = [&](const char* entry) {
    return [=, this] {
      auto* menu = Find<QMenu>("formatMenu");
      ASSERT_NO_FATAL_FAILURE(OpenMenuByKeys(menu));
      for (int step = 0; step < 10 && menu->activeAction() != Find<QAction>(entry); ++step) {
        QTest::keyClick(menu, Qt::Key_Down);
      }
      QTest::keyClick(menu, Qt::Key_Return);
    };
  };
  const auto byScreenReader = [&](const char* entry) {
    return [=, this] {
      QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(Find<QMenu>("formatMenu"));
      const QString name = Find<QAction>(entry)->text();
      for (int i = 0; i < menu->childCount(); ++i) {
        QAccessibleInterface* item = menu->child(i);
        if (item->text(QAccessible::Name) == name) {
          item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        }
      }
    };
  };
  struct Step {
    const char* what;
    std::function<void()> choose;
    int formatCode;
  };
  const Step steps[] = {
      {"the window opens on MP3", [] {}, kFormatMp3},
      {"the To WAV button", click("toWavRadio"), kFormatWav},
      {"To FLAC by the mouse", byMouse("toFlacAction"), kFormatFlac},
      {"To Opus by the keys", byKeys("toOpusAction"), kFormatOpus},
      {"Original by a screen reader", byScreenReader("originalSoundAction"), kFormatOriginal},
      {"the To MP3 button", click("toMp3Radio"), kFormatMp3},
      {"To M4A by the keys", byKeys("toM4aAction"), kFormatM4a},
      {"To AC3 by the mouse", byMouse("toAc3Action"), kFormatAc3},
      {"To WAV by a screen reader", byScreenReader("toWavAction"), kFormatWav},
  };
  for (const auto& [what, choose, formatCode] : steps) {
    SCOPED_TRACE(what);
    choose();
    ExpectFormatShown(formatCode);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the menu closed";
  }
}

// The rows show each format's own label; a format disables the lists it
// does not read, which keep their selections for the formats that do.
TEST_F(MainWindowTest, EachFormatRelabelsTheRowsAndDisablesTheListsItDoesNotRead) {
  const std::string film = sources / "film.mp4";
  fs::copy_file(TestMedia::Path("mp4-h264-aac-10s.mp4"), film);
  window->AddFiles({QString::fromStdString(Source("clip.avi")), QString::fromStdString(film)});
  auto* bitRate = Find<QComboBox>("bitRateList");
  auto* sampleRate = Find<QComboBox>("sampleRateList");
  auto* channels = Find<QComboBox>("channelList");
  bitRate->setCurrentText("320");
  sampleRate->setCurrentText("32000");
  channels->setCurrentText("Mono");

  struct Case {
    std::function<void()> choose;
    const char* what;
    QStringList labels;
    bool bitRateEnabled;
    bool sampleRateEnabled;
    bool channelsEnabled;
  };
  const auto entry = [&](const char* name) { return [=, this] { Find<QAction>(name)->trigger(); }; };
  const auto button = [&](const char* name) { return [=, this] { Find<QRadioButton>(name)->click(); }; };
  const Case cases[] = {
      {entry("toM4aAction"), "M4A", {"M4A", "M4A"}, true, true, true},
      {entry("toFlacAction"), "FLAC", {"FLAC", "FLAC"}, false, true, true},
      {entry("toOpusAction"), "Opus", {"OPUS", "OPUS"}, true, false, true},
      {entry("originalSoundAction"), "Original", {"MP3 (copy)", "M4A (copy)"}, false, false, false},
      {button("toWavRadio"), "the WAV button after Original", {"WAV", "WAV"}, true, true, true},
      {entry("toFlacAction"), "FLAC again", {"FLAC", "FLAC"}, false, true, true},
      {entry("toMp3Action"), "MP3", {"MP3", "MP3"}, true, true, true},
      {entry("originalSoundAction"), "Original again", {"MP3 (copy)", "M4A (copy)"}, false, false, false},
      {entry("toAc3Action"), "AC3", {"AC3", "AC3"}, true, true, true},
  };
  auto* list = Find<QTreeWidget>("taskList");
  for (const auto& [choose, what, labels, bitRateEnabled, sampleRateEnabled, channelsEnabled] : cases) {
    SCOPED_TRACE(what);
    choose();
    EXPECT_EQ((QStringList{list->topLevelItem(0)->text(4), list->topLevelItem(1)->text(4)}), labels);
    EXPECT_EQ(bitRate->isEnabled(), bitRateEnabled);
    EXPECT_EQ(sampleRate->isEnabled(), sampleRateEnabled);
    EXPECT_EQ(channels->isEnabled(), channelsEnabled);
    EXPECT_EQ((QStringList{bitRate->currentText(), sampleRate->currentText(), channels->currentText()}),
              (QStringList{"320", "32000", "Mono"}));
  }
  window->AddFiles({QString::fromStdString(Source("later.avi"))});
  EXPECT_EQ(list->topLevelItem(2)->text(4), "AC3");
}

// A format of the menu's converts through the real engines, is stored in
// option.ini for the next start, which shows it again, and as MP3 for an
// older version. The sample rate list is read by FLAC only.
TEST_F(MainWindowTest, StartConvertsToAMenuFormatWhichTheNextStartShowsAgain) {
  TempFolder output;
  const std::string optionFile = programFolder / "option.ini";
  struct Case {
    const char* entry;
    int formatCode;
    const char* fixture;
    const char* source;
    const char* converted;
    const char* codec;
    int sampleRate;
    double seconds;
    const char* storedName;
  };
  const Case cases[] = {
      {"toFlacAction", kFormatFlac, "avi-mpeg4-mp3-6s.avi", "clip.avi", "clip.flac", "flac", 44100, 6, "flac"},
      {"toOpusAction", kFormatOpus, "avi-mpeg4-mp3-6s.avi", "clip.avi", "clip.opus", "opus", 48000, 6, "opus"},
      {"originalSoundAction", kFormatOriginal, "mp4-h264-aac-10s.mp4", "film.mp4", "film.m4a", "aac", 48000, 10,
       "original"},
  };
  for (const auto& [entry, formatCode, fixture, sourceName, converted, codec, sampleRate, seconds, storedName] :
       cases) {
    SCOPED_TRACE(entry);
    window = std::make_unique<CExtractorDlg>();
    window->show();
    Find<QLineEdit>("outputFolderEdit")->setText(QString::fromStdString(output.Path()));
    Find<QComboBox>("sampleRateList")->setCurrentText("44100");
    Find<QAction>(entry)->trigger();
    const std::string source = sources / sourceName;
    fs::copy_file(TestMedia::Path(fixture), source, fs::copy_options::overwrite_existing);
    window->AddFiles({QString::fromStdString(source)});
    notice.Clear();
    QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton);

    ASSERT_FALSE(notice.Requests().empty());
    EXPECT_EQ(notice.Requests().back().caption, "Congratulations!") << notice.Requests().back().text;
    ExpectAudioOutput(output / converted, codec, sampleRate, 2, seconds, 440);
    const std::string stored = ReadWholeFile(optionFile);
    EXPECT_NE(stored.find("\nOutputFormat=1\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("\nOtherFormat=" + std::string(storedName) + "\n"), std::string::npos) << stored;

    window = std::make_unique<CExtractorDlg>();
    ExpectFormatShown(formatCode);
    EXPECT_EQ(Find<QComboBox>("sampleRateList")->currentText(), "44100");
  }
}

TEST_F(MainWindowTest, MovieClipWithoutASelectedRowSaysSo) {
  QTest::mouseClick(Find<QPushButton>("movieClipButton"), Qt::LeftButton);
  ASSERT_EQ(notice.Requests().size(), 1u);
  EXPECT_EQ(notice.Requests()[0].text, "Please select a video from the list!");
}

TEST_F(MainWindowTest, StartWithAnEmptyListWarnsAndStoresNothing) {
  QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton);
  ASSERT_EQ(notice.Requests().size(), 1u);
  EXPECT_EQ(notice.Requests()[0].text, "No source file is ready! Please add a source file.");
  EXPECT_EQ(notice.Requests()[0].caption, "WARNING");
  EXPECT_FALSE(fs::exists(programFolder / "option.ini"));
}

// A stored output folder whose name is not UTF-8 is converted into, byte
// for byte, and stored back unchanged. A read-only option.ini is left as it
// is and told once per program run, however often Start is pressed.
TEST_F(MainWindowTest, StartKeepsTheStoredFolderAndTellsAnUnsavableOptionIniOnce) {
  TempFolder outputParent;
  const std::string folder = outputParent / "caf\xe9/";
  const std::string optionFile = programFolder / "option.ini";
  std::ofstream(optionFile) << "[TaskSetting]\nOutputFormat=1\nOutputPath=" << folder << "\n";
  window = std::make_unique<CExtractorDlg>();
  window->show();
  window->AddFiles({QString::fromStdString(Source("clip.avi"))});
  const auto start = [&] { QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton); };

  start();
  EXPECT_TRUE(fs::exists(folder + "clip.mp3")) << "converted into the stored folder";
  EXPECT_NE(ReadWholeFile(optionFile).find("OutputPath=" + folder + "\n"), std::string::npos)
      << ReadWholeFile(optionFile);

  ASSERT_EQ(chmod(optionFile.c_str(), 0444), 0);
  const std::string stored = ReadWholeFile(optionFile);
  notice.Clear();
  start();
  start();
  std::vector<std::string> warnings;
  int completedRuns = 0;
  for (const auto& request : notice.Requests()) {
    if (request.caption == "WARNING") warnings.push_back(request.text);
    completedRuns += request.caption == "Congratulations!";
  }
  EXPECT_EQ(warnings, std::vector<std::string>{"The settings could not be saved to " + optionFile +
                                               ": Permission denied"});
  EXPECT_EQ(ReadWholeFile(optionFile), stored);
  EXPECT_EQ(completedRuns, 2) << "both runs went on";
}

// AC3 has no 22050 Hz: Start says so once for the whole list, and no
// progress window opens.
TEST_F(MainWindowTest, StartWithSettingsTheEncoderRefusesTellsItOnce) {
  window->AddFiles({QString::fromStdString(Source("one.avi")), QString::fromStdString(Source("two.avi")),
                    QString::fromStdString(Source("three.avi"))});
  Find<QRadioButton>("toAc3Radio")->click();
  Find<QComboBox>("sampleRateList")->setCurrentText("22050");
  QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton);
  ASSERT_EQ(notice.Requests().size(), 1u);
  EXPECT_EQ(notice.Requests()[0].text, "The audio parameters are wrong,will be fixed in next major version");
  EXPECT_EQ(notice.Requests()[0].caption, "Failure");
  EXPECT_TRUE(shellOpen.Targets().empty());
}

// The menus of the maker's pages and the update link open their addresses
// in the desktop.
TEST_F(MainWindowTest, WebCommandsOpenTheMakersPages) {
  std::vector<std::string> expected;
  for (const MakerLink& tool : MakerLinks::kOtherTools) {
    MenuAction("Other Tools", QString::fromStdString(tool.MenuText()))->trigger();
    expected.push_back(tool.address);
  }
  MenuAction("About", "Visit Our Website")->trigger();
  expected.push_back(MakerLinks::kWebSite.address);
  auto* link = Find<CLinkStatic>("updateLink");
  EXPECT_EQ(link->text(), "Check for new version");
  QTest::mouseClick(link, Qt::LeftButton);
  expected.push_back(MakerLinks::kDownloadPage.address);
  EXPECT_EQ(shellOpen.Targets(), expected);
}

TEST_F(MainWindowTest, AboutOpensTheAboutBox) {
  QString caption;
  QTimer::singleShot(0, [&] {
    QWidget* about = QApplication::activeModalWidget();
    ASSERT_NE(about, nullptr);
    caption = about->windowTitle();
    about->close();
  });
  MenuAction("About", "About")->trigger();
  EXPECT_EQ(caption, "About Tolvar Audio Extractor");
}

// The Open dialog offers the classic entries, then the containers users
// have today, and opens on the entry that takes all of them.
TEST_F(MainWindowTest, TheOpenDialogsFilterListsEveryConvertedType) {
  QStringList filters;
  QString selected;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    selected = dialog->selectedNameFilter();
    dialog->reject();
  });
  QTest::mouseClick(Find<QPushButton>("addFilesButton"), Qt::LeftButton);

  const QString others = "*.mkv *.webm *.ts *.m2ts *.mts *.m4v *.ogv *.3g2 *.f4v";
  const QStringList expected = {
      "All supported media files (*.mpg *.mpeg *.avi *.wmv *.asf *.flv *.dat *.qt *.mp4 *.3gp *.mov *.dat " + others +
          ")",
      "AVI files (*.avi)",
      "MPEG files (*.mpg *.mpeg)",
      "VCD files (*.dat)",
      "Windows Media Files (*.asf *.wmv)",
      "QuickTime Files (*.mov *.qt)",
      "Flash Files (*.flv)",
      "MP4 / 3GP Files (*.mp4 *.3gp)",
      "Other Video Files (" + others + ")",
      "All Files (*)",
  };
  EXPECT_EQ(filters, expected);
  EXPECT_EQ(selected, expected.front());
}

// The clip window from the main window, by the Movie Clip button and by the
// Operation menu, for the selected row: OK stores the slider's clip in the
// task and its whole seconds in the row's Start and End cells; Cancel
// leaves both as they were.
TEST_F(MainWindowTest, TheClipWindowStoresItsClipInTheSelectedRow) {
  const std::string source = sources / "tone.wav";
  fs::copy_file(TestMedia::Path("wav-tone-from-12s-to-30s-40s.wav"), source);
  window->AddFiles({QString::fromStdString(Source("first.avi")), QString::fromStdString(source)});
  ASSERT_EQ(window->TaskList().GetSelectedRow(), 1);
  auto* list = Find<QTreeWidget>("taskList");
  const auto cells = [&] {
    return std::make_pair(list->topLevelItem(1)->text(1).toStdString(), list->topLevelItem(1)->text(2).toStdString());
  };

  const std::vector<std::pair<const char*, std::function<void()>>> roads = {
      {"Movie Clip button", [&] { QTest::mouseClick(Find<QPushButton>("movieClipButton"), Qt::LeftButton); }},
      {"Select Movie Clip", [&] { MenuAction("Operation", "Select Movie Clip")->trigger(); }},
  };
  for (const auto& [road, open] : roads) {
    SCOPED_TRACE(road);
    for (const bool ok : {false, true}) {
      const Task before = window->TaskList().Tasks()[1];
      const auto cellsBefore = cells();
      bool seen = false;
      QTimer::singleShot(0, [&] {
        auto* clip = qobject_cast<CClipDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(clip, nullptr) << "no clip window";
        seen = true;
        clip->findChild<CRangeSlider*>("clipSlider")->SetSelection(12.7, 30.4);
        QTest::mouseClick(clip->findChild<QPushButton*>(ok ? "okButton" : "cancelButton"), Qt::LeftButton);
      });
      open();
      ASSERT_TRUE(seen);
      const Task& after = window->TaskList().Tasks()[1];
      if (ok) {
        EXPECT_DOUBLE_EQ(after.clipStart, 12.7);
        EXPECT_DOUBLE_EQ(after.clipLength, 30.4 - 12.7);
        EXPECT_EQ(cells(), std::make_pair(std::string("00:00:12"), std::string("00:00:30")));
      } else {
        EXPECT_EQ(after.clipStart, before.clipStart);
        EXPECT_EQ(after.clipLength, before.clipLength);
        EXPECT_EQ(cells(), cellsBefore);
      }
      EXPECT_EQ(window->TaskList().Tasks()[0].clipLength, 6) << "the other row keeps its clip";
    }
    // The next road starts from the whole file again.
    window->OnDeleteAll();
    window->AddFiles({QString::fromStdString(Source("first.avi")), QString::fromStdString(source)});
  }
}

// The list shows each task's audio track in a sixth column, after the five
// that keep their titles and widths. Those five already fill the list's
// width, so Track is only as wide as its header and cells ask, for the least
// scrolling; the window keeps its template's size.
TEST_F(MainWindowTest, TheTrackColumnFollowsTheFiveAndTheWindowKeepsItsSize) {
  AddFixtures({"mkv-tracks-eng-fre-ger-4s.mkv", "mp4-tracks-fre-eng-4s.mp4"});
  auto* list = Find<QTreeWidget>("taskList");
  ASSERT_EQ(list->columnCount(), 6);
  QStringList headers;
  std::vector<int> widths;
  for (int i = 0; i < 6; ++i) {
    headers << list->headerItem()->text(i);
    widths.push_back(list->columnWidth(i));
  }
  EXPECT_EQ(headers, (QStringList{"Title", "Start", "End", "Source Format", "Output Format", "Track"}));
  EXPECT_EQ(std::vector<int>(widths.begin(), widths.begin() + 5), (std::vector<int>{135, 90, 90, 90, 90}));
  // What the widest cell asks, through the view's public face.
  const int cells = static_cast<const QAbstractItemView*>(list)->sizeHintForColumn(5);
  const int asked = std::max(list->header()->sectionSizeHint(5), cells);
  ASSERT_LT(list->viewport()->width() - 495, asked) << "the five leave room for Track";
  EXPECT_EQ(widths[5], asked) << "as narrow as its header and cells allow";
  EXPECT_GT(cells, list->header()->sectionSizeHint(5)) << "the cells ask more than the header";

  const DialogUnits units(window->font());
  EXPECT_EQ(list->size(), units.ToPixels(333, 107));
  EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
  EXPECT_EQ(window->size().width(), units.ToPixels(415, 237).width());

  // Past the right edge, but reached by scrolling.
  const QModelIndex cell = list->model()->index(1, 5);
  list->scrollTo(cell);
  EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(cell)));
}

// Sources of one track each leave the list as it always was: five columns
// and no scroll bar. The Track column comes with the first source that has
// tracks to choose among, and goes with the last.
TEST_F(MainWindowTest, TheTrackColumnShowsOnlyWhileASourceHasSeveralTracks) {
  auto* list = Find<QTreeWidget>("taskList");
  const auto shown = [&] {
    QCoreApplication::processEvents();
    return std::pair{!list->isColumnHidden(5), list->horizontalScrollBar()->isVisible()};
  };
  window->show();
  AddFixtures({"avi-mpeg4-mp3-6s.avi", "ts-audio-only-mp2-4s.ts"});
  EXPECT_EQ(shown(), std::pair(false, false));
  AddFixtures({"mkv-tracks-eng-fre-ger-4s.mkv"});
  EXPECT_EQ(shown(), std::pair(true, true));
  SelectRow(2);
  QTest::mouseClick(Find<QPushButton>("deleteFileButton"), Qt::LeftButton);
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(shown(), std::pair(false, false));
}

// The Audio Track submenu lists the selected row's tracks in file order, the
// one in use checked and one without sound disabled; the Track cell shows the
// one in use, its tooltip the whole label. No audio track, or no selected
// row, disables the submenu. "Use This Language for Every File" needs a
// language tag on the track in use.
TEST_F(MainWindowTest, TheAudioTrackMenuShowsTheSelectedRowsTracks) {
  // A title with an '&', which a menu would take for a mnemonic, and tags,
  // which a tooltip would take for markup.
  const std::string questions = sources / "questions.mkv";
  const CommandResult remux =
      RunCommand({"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i",
                  TestMedia::Path("mkv-vorbis-tagged-3s.mkv"), "-c", "copy", "-metadata:s:a:0",
                  "title=<b>Q&A</b>", questions});
  ASSERT_EQ(remux.exitCode, 0) << remux.errors;
  AddFixtures({"mkv-tracks-eng-fre-ger-4s.mkv", "mp4-tracks-fre-eng-4s.mp4", "mkv-two-audio-streams-6s.mkv",
               "ts-mp2-then-empty-audio-stream-3s.ts", "mp4-video-only-2s.mp4"});
  window->AddFiles({QString::fromStdString(questions)});
  ASSERT_EQ(window->TaskList().GetTaskCount(), 6);

  struct Case {
    const char* source;
    QStringList entries;
    bool useLanguage;
    QString cell;
    QString tooltip;
  };
  const Case cases[] = {
      {"three tracks, the last in use",
       {"  1: English, AAC, stereo, 44100 Hz, \"Main\"", "  2: French, AC-3, 5.1(side), 48000 Hz",
        "x 3: German, Vorbis, mono, 22050 Hz"},
       true, "3 (de)", "3: German, Vorbis, mono, 22050 Hz"},
      {"two tracks in MP4", {"  1: French, AAC, stereo, 44100 Hz", "x 2: English, MP3, stereo, 44100 Hz"}, true,
       "2 (eng)", "2: English, MP3, stereo, 44100 Hz"},
      {"no language", {"  1: Vorbis, stereo, 44100 Hz", "x 2: Vorbis, mono, 22050 Hz"}, false, "2",
       "2: Vorbis, mono, 22050 Hz"},
      {"a track without sound", {"x 1: MP2, mono, 48000 Hz", "- 2: (no sound)"}, false, "1",
       "1: MP2, mono, 48000 Hz"},
      {"no audio track", {}, false, "", ""},
      {"a title with an ampersand and tags", {"x 1: French, Vorbis, mono, 44100 Hz, \"<b>Q&&A</b>\""}, true,
       "1 (fra)", "1: French, Vorbis, mono, 44100 Hz, \"<b>Q&A</b>\""},
  };
  auto* trackMenu = Find<QMenu>("audioTrackMenu");
  auto* useLanguage = Find<QAction>("useLanguageForEveryFileAction");
  for (int row = 0; row < 6; ++row) {
    const auto& [source, entries, useLanguageEnabled, cell, tooltip] = cases[row];
    SCOPED_TRACE(source);
    SelectRow(row);
    EXPECT_EQ(TrackEntries(), entries);
    EXPECT_EQ(trackMenu->menuAction()->isEnabled(), !entries.isEmpty());
    EXPECT_EQ(useLanguage->isEnabled(), useLanguageEnabled);
    EXPECT_EQ(TrackCell(row), std::make_pair(cell, tooltip));
  }
  // The accessible name is the text as shown.
  QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(trackMenu)->child(0);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text(QAccessible::Name), "1: French, Vorbis, mono, 44100 Hz, \"<b>Q&A</b>\"");

  Find<QTreeWidget>("taskList")->clearSelection();
  EXPECT_EQ(window->TaskList().GetSelectedRow(), -1);
  EXPECT_FALSE(trackMenu->menuAction()->isEnabled());
  EXPECT_FALSE(useLanguage->isEnabled());
}

// A track chosen in the submenu, by the keys or a screen reader, is the
// task's and shows in the row's Track cell, in Original's Output Format cell
// and as the submenu's checked entry. It stays with its task through the
// clip window's OK and the delete of an earlier row; the source's default
// track, chosen again, is stored as none chosen.
TEST_F(MainWindowTest, AChosenTrackStaysWithItsTask) {
  AddFixtures({"avi-mpeg4-mp3-6s.avi", "mkv-tracks-eng-fre-ger-4s.mkv"});
  Find<QAction>("originalSoundAction")->trigger();
  auto* list = Find<QTreeWidget>("taskList");
  const auto byScreenReader = [&](int number) {
    return [=, this] {
      QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(Find<QMenu>("audioTrackMenu"));
      QAccessibleInterface* entry = menu->child(number - 1);
      ASSERT_NE(entry, nullptr);
      entry->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };
  };
  const auto clipWindowOk = [&] {
    QTimer::singleShot(0, [&] {
      auto* clip = qobject_cast<CClipDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(clip, nullptr) << "no clip window";
      clip->findChild<CRangeSlider*>("clipSlider")->SetSelection(1, 3);
      QTest::mouseClick(clip->findChild<QPushButton*>("okButton"), Qt::LeftButton);
    });
    MenuAction("Operation", "Select Movie Clip")->trigger();
    EXPECT_DOUBLE_EQ(window->TaskList().Tasks()[1].clipStart, 1);
  };
  const auto deleteTheFirstRow = [&] {
    SelectRow(0);
    QTest::mouseClick(Find<QPushButton>("deleteFileButton"), Qt::LeftButton);
    ASSERT_EQ(window->TaskList().GetTaskCount(), 1);
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    int row;  // of the three-track source
    QString cell;
    QString outputFormat;
    int audioTrack;
  };
  const Step steps[] = {
      {"the window shows the default", [] {}, 1, "3 (de)", "OGG (copy)", 0},
      {"track 1 by the keys", [&] { ChooseTrackByKeys(1); }, 1, "1 (eng)", "M4A (copy)", 1},
      {"the clip window's OK", clipWindowOk, 1, "1 (eng)", "M4A (copy)", 1},
      {"an earlier row deleted", deleteTheFirstRow, 0, "1 (eng)", "M4A (copy)", 1},
      {"track 2 by a screen reader", byScreenReader(2), 0, "2 (fre)", "AC3 (copy)", 2},
      {"track 3, the default, by the keys", [&] { ChooseTrackByKeys(3); }, 0, "3 (de)", "OGG (copy)", 0},
  };
  for (const auto& [what, act, row, cell, outputFormat, audioTrack] : steps) {
    SCOPED_TRACE(what);
    act();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the menu closed";
    ASSERT_EQ(window->TaskList().GetSelectedRow(), row);
    EXPECT_EQ(list->topLevelItem(row)->text(5), cell);
    EXPECT_EQ(list->topLevelItem(row)->text(4), outputFormat);
    EXPECT_EQ(window->TaskList().Tasks()[row].audioTrack, audioTrack);
    // The entry of the cell's track.
    QAction* checked = TrackEntry(cell.left(1).toInt());
    ASSERT_NE(checked, nullptr);
    EXPECT_TRUE(checked->isChecked());
    if (row == 1) {
      EXPECT_EQ(list->topLevelItem(0)->text(5), "1") << "the other row keeps its track";
    }
  }
  EXPECT_DOUBLE_EQ(window->TaskList().Tasks()[0].clipStart, 1) << "the clip stayed too";
}

// "Use This Language for Every File" takes the language of the selected
// row's track to every task whose source has a track in it; the others keep
// theirs.
TEST_F(MainWindowTest, UseThisLanguageForEveryFileReachesTheTasksWithThatLanguage) {
  AddFixtures({"mkv-tracks-eng-fre-ger-4s.mkv", "mp4-tracks-fre-eng-4s.mp4", "mkv-two-audio-streams-6s.mkv"});
  auto* list = Find<QTreeWidget>("taskList");
  auto* useLanguage = Find<QAction>("useLanguageForEveryFileAction");
  TrackEntry(1)->trigger();
  EXPECT_FALSE(useLanguage->isEnabled()) << "the selected row's track has no language";
  struct Step {
    const char* what;
    int row;
    int number;
    QStringList cells;
    std::vector<int> audioTracks;
  };
  const Step steps[] = {
      {"French from the MP4", 1, 1, {"2 (fre)", "1 (fre)", "1"}, {2, 1, 1}},
      {"English from the Matroska file", 0, 1, {"1 (eng)", "2 (eng)", "1"}, {1, 0, 1}},
      {"German, which only one file has", 0, 3, {"3 (de)", "2 (eng)", "1"}, {0, 0, 1}},
  };
  for (const auto& [what, row, number, cells, audioTracks] : steps) {
    SCOPED_TRACE(what);
    SelectRow(row);
    TrackEntry(number)->trigger();
    ASSERT_TRUE(useLanguage->isEnabled());
    useLanguage->trigger();
    QStringList shown;
    std::vector<int> chosen;
    for (int i = 0; i < 3; ++i) {
      shown << list->topLevelItem(i)->text(5);
      chosen.push_back(window->TaskList().Tasks()[i].audioTrack);
    }
    EXPECT_EQ(shown, cells);
    EXPECT_EQ(chosen, audioTracks);
  }
}

// The Operation menu ends with the track entries behind a separator; the
// right-click menu, opened by the mouse or the Menu key, is that very menu.
// Every entry has a text for assistive tools to read.
TEST_F(MainWindowTest, TheRightClickMenuHoldsTheTrackEntriesToo) {
  AddFixtures({"mkv-tracks-eng-fre-ger-4s.mkv"});
  QMenu* operation = OperationMenu();
  ASSERT_NE(operation, nullptr);
  const auto entries = [](const QWidget* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
  };
  const QStringList expected = {"Add Files",   "Delete File", "Delete All Files", "Select Movie Clip",
                                "-",           "Audio Track", "Use This Language for Every File",
                                "Convert Several Files at Once"};
  EXPECT_EQ(entries(operation), expected);
  EXPECT_EQ(operation->actions()[5]->menu(), Find<QMenu>("audioTrackMenu"));

  for (QMenu* menu : {operation, Find<QMenu>("audioTrackMenu")}) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; i < accessible->childCount(); ++i) {
      if (menu->actions()[i]->isSeparator()) continue;
      EXPECT_EQ(accessible->child(i)->text(QAccessible::Name), menu->actions()[i]->text());
    }
  }

  auto* list = Find<QTreeWidget>("taskList");
  const std::pair<const char*, std::function<void()>> roads[] = {
      // What the platform sends for a right click and for the Menu key.
      {"right click", [&] {
         QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), list->viewport()->mapToGlobal(QPoint(5, 5)));
         QApplication::sendEvent(list->viewport(), &click);
       }},
      {"Menu key", [&] {
         list->setFocus();
         QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5), list->mapToGlobal(QPoint(5, 5)));
         QApplication::sendEvent(list, &key);
       }},
  };
  for (const auto& [road, open] : roads) {
    SCOPED_TRACE(road);
    open();
    ASSERT_TRUE(ProcessEventsUntil([] { return QApplication::activePopupWidget(); }, std::chrono::seconds(5)));
    QWidget* popup = QApplication::activePopupWidget();
    EXPECT_EQ(popup, operation);
    EXPECT_EQ(entries(popup), expected);
    popup->close();
  }
}

// Start converts the task's chosen track: the French one's 660 Hz tone, not
// the default German one's 880 Hz.
TEST_F(MainWindowTest, StartConvertsTheChosenTrack) {
  TempFolder output;
  Find<QLineEdit>("outputFolderEdit")->setText(QString::fromStdString(output.Path()));
  Find<QComboBox>("sampleRateList")->setCurrentText("44100");
  Find<QComboBox>("channelList")->setCurrentText("Stereo");
  AddFixtures({"mkv-tracks-eng-fre-ger-4s.mkv"});
  TrackEntry(2)->trigger();
  QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton);
  ASSERT_FALSE(notice.Requests().empty());
  EXPECT_EQ(notice.Requests().back().caption, "Congratulations!") << notice.Requests().back().text;
  ExpectAudioOutput(output / "mkv-tracks-eng-fre-ger-4s.mp3", "mp3", 44100, 2, 4, 660);
}

// STOP ends the run of a chosen track halfway: the part written is that
// track's, and the task keeps its choice for the next Start.
TEST_F(MainWindowTest, AChosenTrackSurvivesAStop) {
  TempFolder output;
  Find<QLineEdit>("outputFolderEdit")->setText(QString::fromStdString(output.Path()));
  AddFixtures({"m4a-two-tracks-120s.m4a"});
  TrackEntry(1)->trigger();
  bool stopped = false;
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* currentLine = top->findChild<QLabel*>("currentLine");
      auto* stop = top->findChild<QPushButton*>("stopButton");
      if (stopped || !top->isVisible() || !currentLine || !stop ||
          !currentLine->text().startsWith("Extracting Audio From")) {
        continue;
      }
      stopped = true;
      QTest::mouseClick(stop, Qt::LeftButton);
    }
  });
  stopper.start(50);
  QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton);
  ASSERT_TRUE(stopped) << "the run ended before STOP";

  EXPECT_EQ(window->TaskList().Tasks()[0].audioTrack, 1);
  EXPECT_EQ(TrackCell(0).first, "1");
  EXPECT_TRUE(TrackEntry(1)->isChecked());
  const std::string written = output / "m4a-two-tracks-120s.mp3";
  const auto seconds = DecodedAudioSeconds(written);
  ASSERT_TRUE(seconds) << "the stopped output does not decode";
  EXPECT_LT(*seconds, 110);
  EXPECT_NEAR(DominantFrequency(written), 440, 9);
}

// The texts a progress window showed in its total line while a run went on.
class TotalLineWatch {
 public:
  TotalLineWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* line = top->findChild<QLabel*>("totalLine"); line && top->isVisible()) {
          seen_.insert(line->text().toStdString());
        }
      }
    });
    timer_.start(5);
  }
  bool SawLineContaining(const std::string& part) const {
    return std::any_of(seen_.begin(), seen_.end(), [&](const std::string& line) { return line.find(part) != line.npos; });
  }

 private:
  QTimer timer_;
  std::set<std::string> seen_;
};

// "Convert Several Files at Once" closes the track group of the Operation
// menu, starts unchecked, and is stored at Start like the other controls.
// Checked, a run counts every file's part in its total and ends with the
// same report; unchecked, it is the one-after-another run.
TEST_F(MainWindowTest, ConvertSeveralFilesAtOnceIsAnOptionStoredAtStart) {
  QMenu* operation = OperationMenu();
  ASSERT_NE(operation, nullptr);
  const QList<QAction*> entries = operation->actions();
  const auto several = std::find(entries.begin(), entries.end(), Find<QAction>("convertSeveralAtOnceAction"));
  ASSERT_NE(several, entries.end());
  EXPECT_EQ(several[-1], Find<QAction>("useLanguageForEveryFileAction"));
  EXPECT_EQ((*several)->text(), "Convert Several Files at Once");
  EXPECT_TRUE((*several)->isCheckable());
  EXPECT_FALSE((*several)->isChecked());

  TempFolder output;
  for (const bool atOnce : {true, false}) {
    SCOPED_TRACE(atOnce ? "several at once" : "one after another");
    window = std::make_unique<CExtractorDlg>();
    window->show();
    Find<QLineEdit>("outputFolderEdit")->setText(QString::fromStdString(output.Path()));
    Find<QAction>("convertSeveralAtOnceAction")->setChecked(atOnce);
    AddFixtures({"avi-mpeg4-mp3-6s.avi", "flv-flv1-mp3-5s.flv", "mov-h264-aac-9s.mov"});
    notice.Clear();
    const TotalLineWatch watch;
    QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton);

    ASSERT_FALSE(notice.Requests().empty());
    EXPECT_EQ(notice.Requests().back().caption, "Congratulations!") << notice.Requests().back().text;
    EXPECT_EQ(notice.Requests().back().text, "Successfully Extract Audio and Save to " + output.Path());
    for (const char* name : {"avi-mpeg4-mp3-6s.mp3", "flv-flv1-mp3-5s.mp3", "mov-h264-aac-9s.mp3"}) {
      EXPECT_TRUE(DecodedAudioSeconds(output / name)) << name;
      fs::remove(output / name);
    }
    EXPECT_EQ(watch.SawLineContaining(" Task(s) ---  "), atOnce);
    const std::string stored = ReadWholeFile(programFolder / "option.ini");
    EXPECT_EQ(stored.find("\nConvertSeveralAtOnce=1\n") != std::string::npos, atOnce) << stored;

    window = std::make_unique<CExtractorDlg>();
    EXPECT_EQ(Find<QAction>("convertSeveralAtOnceAction")->isChecked(), atOnce);
  }
}

// With the option on, STOP stops every file under way: each keeps the part
// it wrote, the file not yet begun gets none, and no report comes.
TEST_F(MainWindowTest, ConvertSeveralFilesAtOnceStopStopsEveryFile) {
  TempFolder output;
  Find<QLineEdit>("outputFolderEdit")->setText(QString::fromStdString(output.Path()));
  Find<QAction>("convertSeveralAtOnceAction")->setChecked(true);
  AddFixtures({"m4a-aac-stereo-300s.m4a", "m4a-two-tracks-120s.m4a", "avi-mpeg4-mp3-6s.avi"});
  const std::string first = output / "m4a-aac-stereo-300s.mp3";
  const std::string second = output / "m4a-two-tracks-120s.mp3";
  bool stopped = false;
  QTimer stopper;
  // Both under way with sound written, past the header of their files.
  const auto underWay = [](const std::string& path) {
    std::error_code missing;
    return fs::file_size(path, missing) > 100000 && !missing;
  };
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (stopped || !underWay(first) || !underWay(second)) return;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* stop = top->findChild<QPushButton*>("stopButton"); stop && top->isVisible()) {
        stopped = true;
        QTest::mouseClick(stop, Qt::LeftButton);
      }
    }
  });
  stopper.start(10);
  notice.Clear();
  QTest::mouseClick(Find<QPushButton>("startButton"), Qt::LeftButton);
  ASSERT_TRUE(stopped) << "the run ended before STOP";

  // Besides the question, only the note that the first source has no video.
  std::vector<std::string> captions;
  for (const NoticeRequest& request : notice.Requests()) captions.push_back(request.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"Information", "Question"}));
  for (const auto& [written, sourceSeconds] : {std::pair{first, 300.0}, std::pair{second, 120.0}}) {
    const auto seconds = DecodedAudioSeconds(written);
    ASSERT_TRUE(seconds) << written << " does not decode";
    EXPECT_LT(*seconds, sourceSeconds - 5) << written;
  }
  EXPECT_FALSE(fs::exists(output / "avi-mpeg4-mp3-6s.mp3"));
}

// A point of the group box, in the window's coordinates, that no control
// covers: a press there lands on the frame itself.
QPoint BarePointOf(const QGroupBox& box) {
  const QWidget* client = box.parentWidget();
  for (int y = box.height() - 3; y > 0; y -= 2) {
    for (int x = 3; x < box.width() - 3; x += 2) {
      const QPoint at = box.geometry().topLeft() + QPoint(x, y);
      bool covered = false;
      for (const QWidget* control : client->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        covered = covered || (control != &box && control->isVisible() && !qobject_cast<const QGroupBox*>(control) &&
                              control->geometry().contains(at));
      }
      if (!covered) return client->mapTo(box.window(), at);
    }
  }
  ADD_FAILURE() << "no bare point in " << box.title().toStdString();
  return {};
}

// The window follows a drag started anywhere over its client area that no
// control takes, the group boxes' frames included; the controls inside the
// boxes still take their clicks.
TEST_F(MainWindowTest, ADragOverEachGroupBoxMovesTheWindow) {
  QWindow* handle = window->windowHandle();
  for (const char* title : {"Preview", "Output Options", "Professional Feature"}) {
    SCOPED_TRACE(title);
    QGroupBox* box = nullptr;
    for (QGroupBox* candidate : window->findChildren<QGroupBox*>()) {
      if (candidate->title() == QLatin1String(title)) box = candidate;
    }
    ASSERT_NE(box, nullptr);
    const QPoint at = BarePointOf(*box);
    const QPoint before = window->pos();
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(handle, at + QPoint(30, 20));
    // The window has followed the mouse, which is over `at` again.
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(window->pos() - before, QPoint(30, 20));
  }

  for (const char* name : {"To WAV", "Enhanced Engine"}) {
    SCOPED_TRACE(name);
    QAbstractButton* control = nullptr;
    for (QAbstractButton* candidate : window->findChildren<QAbstractButton*>()) {
      if (candidate->text() == name) control = candidate;
    }
    ASSERT_NE(control, nullptr);
    ASSERT_FALSE(control->isChecked());
    const QPoint centre = control->mapTo(window.get(), control->rect().center());
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(control->isChecked());
  }
}

TEST_F(MainWindowTest, EscapeAndExitCloseTheWindow) {
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  window->show();
  MenuAction("System", "Exit")->trigger();
  EXPECT_FALSE(window->isVisible());
}

TEST(MainWindowSettings, ControlsShowOptionIniAndAreSavedFromIt) {
  RecordingNotice notice;
  TempFolder programFolder;
  SetProgramFolderOverride(programFolder.Path());
  std::ofstream(programFolder / "option.ini") << "[TaskSetting]\nOutputFormat=3\nAudioBitrate=12\nSampleRate=2\n"
                                                   "Channel=0\nOutputPath=" << programFolder.Path() << "out\n";
  {
    CExtractorDlg window;
    EXPECT_TRUE(window.findChild<QRadioButton*>("toAc3Radio")->isChecked());
    EXPECT_EQ(window.findChild<QComboBox*>("bitRateList")->currentText(), "320");
    EXPECT_EQ(window.findChild<QComboBox*>("sampleRateList")->currentText(), "32000");
    EXPECT_EQ(window.findChild<QComboBox*>("channelList")->currentText(), "Mono");
    EXPECT_EQ(window.findChild<QLineEdit*>("outputFolderEdit")->text().toStdString(), programFolder / "out");

    window.findChild<QComboBox*>("sampleRateList")->setCurrentIndex(1);
    window.findChild<QRadioButton*>("toWavRadio")->click();
    const Settings settings = SaveSettings(window.ReadControls());
    EXPECT_EQ(settings.formatCode, kFormatWav);
    EXPECT_EQ(settings.bitRate, 320000);
    EXPECT_EQ(settings.sampleRate, 44100);
    EXPECT_EQ(settings.channelCount, 1);
  }
  CExtractorDlg reopened;
  EXPECT_TRUE(reopened.findChild<QRadioButton*>("toWavRadio")->isChecked());
  EXPECT_EQ(reopened.findChild<QComboBox*>("sampleRateList")->currentText(), "44100");
  SetProgramFolderOverride("");
}

TEST(MainWindowSettings, AStoredFormatOutsideTheThreeChecksNone) {
  RecordingNotice notice;
  TempFolder programFolder;
  SetProgramFolderOverride(programFolder.Path());
  std::ofstream(programFolder / "option.ini") << "[TaskSetting]\nOutputFormat=7\nAudioBitrate=40\n";
  CExtractorDlg window;
  for (const char* name : {"toMp3Radio", "toWavRadio", "toAc3Radio"}) {
    EXPECT_FALSE(window.findChild<QRadioButton*>(name)->isChecked()) << name;
  }
  for (QAction* entry : window.findChild<QMenu*>("formatMenu")->actions()) {
    EXPECT_FALSE(entry->isChecked()) << entry->text().toStdString();
  }
  EXPECT_EQ(window.findChild<QComboBox*>("bitRateList")->currentIndex(), -1);
  EXPECT_EQ(window.ReadControls().checkedFormat, 0);
  SetProgramFolderOverride("");
}

}  // namespace
