#include "ui/BrowseOutputFolder.h"
#include "ui/CFolderDialog.h"

#include "platform/ProgramFolder.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

namespace {

// Whatever the user does in the folder browser, done once it is up: the
// browser is Qt's own dialog, running modally on top of the window.
class FolderBrowserUser {
 public:
  explicit FolderBrowserUser(std::function<void(QFileDialog&)> act) : act_(std::move(act)) {
    QTimer::singleShot(0, [this] { Act(); });
  }
  const QString& SeenTitle() const { return seenTitle_; }
  const QWidget* SeenOwner() const { return seenOwner_; }

 private:
  void Act() {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) {
      ADD_FAILURE() << "the folder browser is not the modal window";
      if (modal) modal->close();
      return;
    }
    seenTitle_ = dialog->windowTitle();
    seenOwner_ = dialog->parentWidget();
    act_(*dialog);
  }

  std::function<void(QFileDialog&)> act_;
  QString seenTitle_;
  const QWidget* seenOwner_ = nullptr;
};

QLineEdit* NameEdit(QFileDialog& dialog) { return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

// Puts a folder's full path into the browser's name field and presses Enter.
void Choose(QFileDialog& dialog, const QString& folder) {
  QLineEdit* nameEdit = NameEdit(dialog);
  ASSERT_NE(nameEdit, nullptr);
  nameEdit->setText(folder);
  QTest::keyClick(nameEdit, Qt::Key_Return);
}

// Takes what the browser offers.
void PressEnter(QFileDialog& dialog) {
  ASSERT_NE(NameEdit(dialog), nullptr);
  QTest::keyClick(NameEdit(dialog), Qt::Key_Return);
}

// The main window's part in it: an output folder edit in a window, with a
// program folder of its own that holds option.ini.
class BrowseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramFolderOverride(programFolder.Path());
    std::ofstream(programFolder / "option.ini", std::ios::binary)
        << "[TaskSetting]\r\nOutputFolder=/home/user/MyAudio/\r\nOutputFormat=2\r\n";
    window.setLayout(new QVBoxLayout);
    window.layout()->addWidget(edit);
    edit->setText(QStringLiteral("/home/user/MyAudio/"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  void TearDown() override { SetProgramFolderOverride(""); }

  TempFolder programFolder;
  TempFolder outputRoot;
  QWidget window;
  QLineEdit* edit = new QLineEdit(&window);
};

TEST_F(BrowseTest, CancelKeepsTheEditsText) {
  const FolderBrowserUser user([](QFileDialog& dialog) { dialog.reject(); });
  BrowseOutputFolder(*edit);
  EXPECT_EQ(user.SeenTitle(), QStringLiteral("Select the folder you want to save output files to:"));
  EXPECT_EQ(user.SeenOwner(), &window);
  EXPECT_EQ(edit->text(), QStringLiteral("/home/user/MyAudio/"));
}

TEST_F(BrowseTest, ChosenFolderFillsTheEditAndLeavesOptionIniAlone) {
  const std::string optionIniBefore = ReadWholeFile(programFolder / "option.ini");
  const auto modifiedBefore = std::filesystem::last_write_time(programFolder / "option.ini");
  const QString chosen = QString::fromStdString(outputRoot / "Sound tracks");
  ASSERT_TRUE(QDir().mkpath(chosen));

  const FolderBrowserUser user([&](QFileDialog& dialog) { Choose(dialog, chosen); });
  BrowseOutputFolder(*edit);

  EXPECT_EQ(edit->text(), chosen);
  EXPECT_EQ(ReadWholeFile(programFolder / "option.ini"), optionIniBefore);
  EXPECT_EQ(std::filesystem::last_write_time(programFolder / "option.ini"), modifiedBefore);
  const auto entries = std::distance(std::filesystem::directory_iterator(programFolder.Path()), {});
  EXPECT_EQ(entries, 1) << "nothing else written beside the program";
}

TEST(FolderDialogTest, InitialFolderIsSelectedWhenTheBrowserOpens) {
  const TempFolder root;
  const QString initial = QString::fromStdString(root / "Music");
  ASSERT_TRUE(QDir().mkpath(initial));
  CFolderDialog dialog(QStringLiteral("Pick"), initial, nullptr, CFolderDialog::kNewDialogStyle);
  const FolderBrowserUser user(PressEnter);
  EXPECT_EQ(dialog.DoModal(), CFolderDialog::kChosen);
  EXPECT_EQ(dialog.SelectedPath(), initial);
}

TEST(FolderDialogTest, CancelledBrowserReportsMinusOneAndNoPath) {
  CFolderDialog dialog(QStringLiteral("Pick"), QString(), nullptr, 0);
  const FolderBrowserUser user([](QFileDialog& browser) { browser.reject(); });
  EXPECT_EQ(dialog.DoModal(), CFolderDialog::kCancelled);
  EXPECT_TRUE(dialog.SelectedPath().isEmpty());
}

}  // namespace
