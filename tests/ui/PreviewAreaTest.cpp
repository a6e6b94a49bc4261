#include "platform/ProgramFolder.h"
#include "platform/RecordingNotice.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "ui/CPicturePreview.h"
#include "ui/CPreviewArea.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr int kControlWidth = 123;
constexpr int kControlHeight = 98;

const QString kIntroLines = QStringLiteral("\n* Add video files.  \n\n* Click Start to go!");

}  // namespace

// The main window's preview area, in a program folder of each test's own
// that holds the pictures the build installs.
class PreviewArea : public ::testing::Test {
 protected:
  PreviewArea() {
    SetProgramFolderOverride(programFolder.Path());
    for (const char* picture : {"tolvarextractor.jpg", "audioextractor.bmp"}) {
      std::filesystem::copy_file(std::string(TOLVAR_PROGRAM_FOLDER) + "/" + picture, programFolder / picture);
    }
    picture.resize(kControlWidth, kControlHeight);
  }
  ~PreviewArea() override { SetProgramFolderOverride(""); }

  QImage Shown() { return picture.grab().toImage(); }

  // How the control looks with that picture file shown.
  static QImage Showing(const std::string& path) {
    CPicturePreview reference;
    reference.resize(kControlWidth, kControlHeight);
    reference.ShowPicture(path);
    return reference.grab().toImage();
  }

  TempFolder programFolder;
  RecordingNotice notices;
  CPicturePreview picture;
  QLabel summary;
  CPreviewArea area{picture, summary};
};

// As the main window arms it: one single-shot timer, a second after it opens.
TEST_F(PreviewArea, ShowsTheIntroOnceWhenTheTimerFires) {
  const QImage blank = Shown();
  QTimer::singleShot(CPreviewArea::kIntroDelayMilliseconds, [this] { area.ShowIntro(); });
  QTest::qWait(CPreviewArea::kIntroDelayMilliseconds / 2);
  EXPECT_EQ(summary.text(), QString());
  EXPECT_EQ(Shown(), blank);

  ASSERT_TRUE(QTest::qWaitFor([this] { return !summary.text().isEmpty(); }, 10000));
  EXPECT_EQ(summary.text(), kIntroLines);
  EXPECT_EQ(Shown(), Showing(programFolder / "tolvarextractor.jpg"));
  EXPECT_NE(Shown(), blank);

  // A click's picture and text stay: the intro does not come back.
  picture.ShowPicture(programFolder / "audioextractor.bmp");
  summary.setText(QStringLiteral("a click's summary"));
  const QImage clicked = Shown();
  area.ShowIntro();
  QTest::qWait(CPreviewArea::kIntroDelayMilliseconds * 3 / 2);
  EXPECT_EQ(summary.text(), QStringLiteral("a click's summary"));
  EXPECT_EQ(Shown(), clicked);
  EXPECT_TRUE(notices.Texts().empty());
}

TEST_F(PreviewArea, WithoutTheIntroPictureShowsTheIntroTextOnly) {
  std::filesystem::remove(programFolder / "tolvarextractor.jpg");
  const QImage blank = Shown();
  area.ShowIntro();
  EXPECT_EQ(summary.text(), kIntroLines);
  EXPECT_EQ(Shown(), blank);
  EXPECT_TRUE(notices.Texts().empty());
}

TEST_F(PreviewArea, ShowsASourcesStillAndSummaryLines) {
  area.ShowSource(TestMedia::Path("mp4-h264-aac-10s.mp4"));
  EXPECT_EQ(Shown(), Showing(programFolder / "preview.jpg"));
  EXPECT_NE(Shown(), Showing(programFolder / "audioextractor.bmp"));
  EXPECT_EQ(summary.text(), QStringLiteral("Duration :00:00:10.0\n\nFPS : 30.00 fps(r)\n\nW*H : 640*360\n"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PreviewArea, ShowsTheFallbackPictureWithoutAStill) {
  area.ShowSource(TestMedia::Path("avi-mpeg4-29-frames.avi"));
  EXPECT_EQ(Shown(), Showing(programFolder / "audioextractor.bmp"));
  EXPECT_NE(Shown(), Showing(programFolder / "nothing.bmp"));
  EXPECT_TRUE(summary.text().startsWith(QStringLiteral("Duration :00:00:01.1\n")));
  EXPECT_TRUE(notices.Texts().empty());
}

TEST_F(PreviewArea, EmptiesTheTextForASourceThatDoesNotOpen) {
  const std::string notes = programFolder / "notes.avi";
  std::ofstream(notes) << "Not a video, only these words.\n";
  summary.setText(QStringLiteral("the summary of an earlier click"));
  area.ShowSource(notes);
  EXPECT_EQ(summary.text(), QString());
  EXPECT_EQ(Shown(), Showing(programFolder / "audioextractor.bmp"));
  EXPECT_NE(Shown(), Showing(programFolder / "nothing.bmp"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
