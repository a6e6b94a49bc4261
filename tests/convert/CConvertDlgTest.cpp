#include "ConversionRunFixture.h"
#include "convert/CConversionRun.h"
#include "convert/CConvertDlg.h"
#include "media/DecoderRegistration.h"
#include "support/ExpectWavSizes.h"
#include "support/QtTestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

[[maybe_unused]] const auto* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtTestApplication<QApplication>(InitMediaLibraries));

}  // namespace

class ConvertDlgTest : public ConversionRunFixture {
 protected:
  template <typename Control>
  Control* Find(const QDialog& dialog, const char* objectName) {
    auto* control = dialog.findChild<Control*>(QLatin1String(objectName));
    EXPECT_TRUE(control) << objectName;
    return control;
  }

  // Counts the moments at which the window shows anything but the run's own
  // state: checked after each of the run's signals, once the window had it.
  void CountDisagreements(CConversionRun& run, const QDialog& dialog) {
    const auto check = [&run, &dialog, this] {
      const bool agree = dialog.windowTitle() == run.Caption() &&
                         Find<QLabel>(dialog, "currentLine")->text() == run.CurrentLine() &&
                         Find<QLabel>(dialog, "totalLine")->text() == run.TotalLine() &&
                         Find<QProgressBar>(dialog, "currentBar")->value() == run.CurrentBar() &&
                         Find<QProgressBar>(dialog, "totalBar")->value() == run.TotalBar();
      if (!agree) ++disagreements_;
      ++checks_;
    };
    for (const auto signal : {&CConversionRun::CaptionChanged, &CConversionRun::CurrentLineChanged,
                              &CConversionRun::TotalLineChanged}) {
      QObject::connect(&run, signal, check);
    }
    QObject::connect(&run, &CConversionRun::CurrentBarChanged, check);
    QObject::connect(&run, &CConversionRun::TotalBarChanged, check);
  }

  int disagreements_ = 0;
  int checks_ = 0;
};

TEST_F(ConvertDlgTest, ShowsTheRunToItsEnd) {
  CConversionRun run(InputFor({Source("avi-mpeg4-mp3-6s.avi", "holiday.avi")}, false));
  ASSERT_TRUE(run.Prepare());
  CConvertDlg dialog(run);
  CountDisagreements(run, dialog);

  EXPECT_EQ(dialog.windowTitle(), "Converting ...");
  EXPECT_EQ(Find<QLabel>(dialog, "currentLine")->text(), "Current Task: Initializing...");
  EXPECT_EQ(Find<QLabel>(dialog, "totalLine")->text(), "Total Progress: 0 Task Completed / Total 1 Task(s)");
  for (const char* name : {"currentBar", "totalBar"}) {
    const auto* bar = Find<QProgressBar>(dialog, name);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
  }
  EXPECT_EQ(Find<QProgressBar>(dialog, "currentBar")->accessibleName(), "Current task progress");
  EXPECT_EQ(Find<QProgressBar>(dialog, "totalBar")->accessibleName(), "Total progress");
  EXPECT_EQ(Find<QPushButton>(dialog, "stopButton")->text(), "STOP");

  dialog.show();
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dialog.isVisible(); }));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_GT(checks_, 4);
  EXPECT_EQ(disagreements_, 0);
  EXPECT_EQ(Find<QLabel>(dialog, "currentLine")->text(), "All Done");
  EXPECT_EQ(Find<QProgressBar>(dialog, "totalBar")->value(), 100);
  EXPECT_EQ(NoticesCaptioned("Congratulations!").size(), 1u);
}

TEST_F(ConvertDlgTest, StopAsksThenClosesWithTheWaitCursorMeanwhile) {
  CConversionRun run(InputFor({Source("m4a-aac-stereo-300s.m4a", "long.m4a")}, false));
  ASSERT_TRUE(run.Prepare());
  CConvertDlg dialog(run);
  dialog.show();
  const auto* currentLine = Find<QLabel>(dialog, "currentLine");
  ASSERT_TRUE(ProcessEventsUntil([&] { return currentLine->text().startsWith("Extracting Audio From"); }));

  QTest::mouseClick(Find<QPushButton>(dialog, "stopButton"), Qt::LeftButton);
  EXPECT_EQ(NoticesCaptioned("Question").size(), 1u);
  ASSERT_TRUE(QApplication::overrideCursor());
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dialog.isVisible(); }));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(QApplication::overrideCursor());
  EXPECT_TRUE(ClosingReports().empty());
  EXPECT_EQ(run.Results()[0].end, TaskEnd::Stopped);
}

// Escape and the close box end the run with the window: no worker thread,
// no converter left behind, and the converter's WAV closed by the converter
// itself, with its header telling its sizes.
struct CloseCase {
  const char* name;
  std::function<void(QDialog&)> close;
};

class ClosingTheWindow : public ConvertDlgTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingTheWindow, EndsTheRunAtOnce) {
  // Hours of sound, so that the converter is still at work when the window
  // closes.
  settings_.formatCode = kFormatWav;
  settings_.sampleRate = 8000;
  settings_.channelCount = 1;
  CConversionRun run(InputFor({Source("m4a-aac-stereo-3h.m4a", "long.m4a")}, true));
  ASSERT_TRUE(run.Prepare());
  QCoreApplication::processEvents();
  const size_t threadsBefore = ThreadCount();
  CConvertDlg dialog(run);
  dialog.show();
  ASSERT_TRUE(ProcessEventsUntil([&] { return dialog.windowTitle() == "Converting   long.m4a ..."; }));
  ASSERT_FALSE(ChildProcesses().empty());
  // The converter tells its progress once it has written sound.
  const auto* currentLine = Find<QLabel>(dialog, "currentLine");
  ASSERT_TRUE(ProcessEventsUntil([&] { return currentLine->text().startsWith("OutputSize:"); }));

  GetParam().close(dialog);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(run.IsOver());
  EXPECT_TRUE(ChildProcesses().empty());
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_EQ(run.Results()[0].end, TaskEnd::Stopped);
  EXPECT_TRUE(notice_.Requests().empty()) << "closing asks nothing and reports nothing";
  ExpectWavSizesMatchTheFile(run.Results()[0].outputPath);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ClosingTheWindow,
    ::testing::Values(CloseCase{"Escape", [](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }},
                      CloseCase{"CloseBox", [](QDialog& dialog) { dialog.close(); }}),
    [](const auto& info) { return std::string(info.param.name); });
