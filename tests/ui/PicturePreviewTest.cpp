#include "platform/RecordingNotice.h"
#include "support/TempFolder.h"
#include "ui/CPicturePreview.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

// The preview control's size in the main window: 82 x 60 dialog units of
// its font, about this many pixels.
constexpr int kControlWidth = 123;
constexpr int kControlHeight = 98;

// Red, green, blue and white quarters: where each lands shows whether the
// picture is upright, unmirrored and stretched over the whole control.
QImage Quarters() {
  QImage picture(160, 120, QImage::Format_RGB32);
  QPainter painter(&picture);
  painter.fillRect(0, 0, 80, 60, Qt::red);
  painter.fillRect(80, 0, 80, 60, Qt::green);
  painter.fillRect(0, 60, 80, 60, Qt::blue);
  painter.fillRect(80, 60, 80, 60, Qt::white);
  return picture;
}

// Equal but for a JPEG's losses.
bool Near(QColor seen, QColor expected) {
  constexpr int kTolerance = 24;
  return std::abs(seen.red() - expected.red()) <= kTolerance &&
         std::abs(seen.green() - expected.green()) <= kTolerance &&
         std::abs(seen.blue() - expected.blue()) <= kTolerance;
}

}  // namespace

class PicturePreview : public ::testing::Test {
 protected:
  PicturePreview() { preview.resize(kControlWidth, kControlHeight); }

  QImage Shown() { return preview.grab().toImage(); }

  // The quarters' colours at the corners and the middle of each quarter.
  void ExpectQuarters() {
    const QImage shown = Shown();
    const int right = shown.width() - 1;
    const int bottom = shown.height() - 1;
    struct Spot {
      int x, y;
      QColor colour;
    };
    const Spot spots[] = {
        {0, 0, Qt::red},           {right, 0, Qt::green},          {0, bottom, Qt::blue},
        {right, bottom, Qt::white}, {right / 4, bottom / 4, Qt::red}, {3 * right / 4, 3 * bottom / 4, Qt::white},
    };
    for (const Spot& spot : spots) {
      EXPECT_TRUE(Near(shown.pixelColor(spot.x, spot.y), spot.colour))
          << "at " << spot.x << "," << spot.y << ": " << shown.pixelColor(spot.x, spot.y).name().toStdString();
    }
  }

  std::string SaveQuarters(const char* format) const {
    const std::string path = folder / (std::string("quarters.") + format);
    EXPECT_TRUE(Quarters().save(QString::fromStdString(path), format, 95));
    return path;
  }

  TempFolder folder;
  RecordingNotice notices;
  CPicturePreview preview;
};

class PicturePreviewOfFormat : public PicturePreview, public ::testing::WithParamInterface<const char*> {};

TEST_P(PicturePreviewOfFormat, FillsTheWholeControlUpright) {
  preview.ShowPicture(SaveQuarters(GetParam()));
  EXPECT_EQ(Shown().size(), QSize(kControlWidth, kControlHeight));
  ExpectQuarters();
  EXPECT_TRUE(notices.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, PicturePreviewOfFormat, ::testing::Values("jpg", "bmp"));

TEST_F(PicturePreview, IsABlackFrameBeforeAnyPicture) {
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::black));
  EXPECT_EQ(shown.pixelColor(kControlWidth - 1, kControlHeight - 1), QColor(Qt::black));
  EXPECT_NE(shown.pixelColor(kControlWidth / 2, kControlHeight / 2), QColor(Qt::black));
}

// The picture is kept: whenever the control is painted again, after being
// covered, shown anew or resized, it is drawn again over the whole control.
TEST_F(PicturePreview, DrawsThePictureAgainOnEveryPaint) {
  preview.show();
  preview.ShowPicture(SaveQuarters("bmp"));
  preview.hide();
  preview.show();
  preview.repaint();
  ExpectQuarters();
  preview.resize(200, 150);
  ExpectQuarters();
}

// What is not a picture leaves the control as it was; only bytes that are
// no picture are worth a message.
struct UnshownFile {
  const char* what;
  const char* name;
  const char* bytes;  // null: no such file
  const char* notice;  // null: none
};

TEST_F(PicturePreview, KeepsWhatItShowedForAFileThatIsNoPicture) {
  preview.ShowPicture(SaveQuarters("jpg"));
  const QImage before = Shown();
  const UnshownFile files[] = {
      {"a text file named .jpg", "notes.jpg", "Not a picture, only these words.\n",
       "Error Loading Picture From Stream!"},
      {"a zero-byte file", "empty.jpg", "", nullptr},
      {"a missing file", "missing.jpg", nullptr, nullptr},
      {"a folder", "", nullptr, nullptr},
  };
  for (const UnshownFile& file : files) {
    SCOPED_TRACE(file.what);
    const std::string path = folder / file.name;
    if (file.bytes) std::ofstream(path, std::ios::binary) << file.bytes;
    notices.Clear();
    preview.ShowPicture(path);
    if (file.notice) {
      ASSERT_EQ(notices.Requests().size(), 1u);
      const NoticeRequest notice = notices.Requests().front();
      EXPECT_EQ(notice.text, file.notice);
      EXPECT_EQ(notice.caption, "Tolvar Audio Extractor");
      EXPECT_EQ(notice.buttons, NoticeButtons::Ok);
    } else {
      EXPECT_TRUE(notices.Requests().empty());
    }
    EXPECT_EQ(Shown(), before);
  }
}
