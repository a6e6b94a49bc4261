#include "ui/CClipDlg.h"
#include "ui/CRangeSlider.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

Task MakeTask(double duration, double clipStart, double clipLength) {
  Task task;
  task.duration = duration;
  task.clipStart = clipStart;
  task.clipLength = clipLength;
  return task;
}

// Points on the slider by its geometry rules: thumbs 3h/4 wide, the track in
// between, and a part's centre with halves truncated.
struct SliderPoints {
  explicit SliderPoints(const QWidget* slider)
      : arrowWidth(3 * slider->height() / 4), height(slider->height()) {}
  int CentreY() const { return (1 + height - 2) / 2; }
  // Centre of the left thumb's hit rectangle for a left value at pixel xl.
  QPoint LeftThumb(int xl) const { return {(xl + 1 + xl + arrowWidth - 2) / 2, CentreY()}; }
  QPoint RightThumb(int xr) const { return {(xr + arrowWidth + 1 + xr + 2 * arrowWidth - 2) / 2, CentreY()}; }
  // Where the centre of a thumb grabbed at its centre goes for a value at pixel x.
  int LeftThumbAt(int x) const { return x + arrowWidth / 2; }
  int RightThumbAt(int x) const { return x + 3 * arrowWidth / 2; }

  int arrowWidth;
  int height;
};

void Drag(QWidget* widget, QPoint from, QPoint to) {
  QTest::mousePress(widget, Qt::LeftButton, {}, from);
  QTest::mouseMove(widget, to);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
  // The release repaints, and the next press hits what was painted.
  QCoreApplication::processEvents();
}

class ClipWindowTest : public ::testing::Test {
 protected:
  // Opens the window as the main window would, shown and painted.
  void Open(const QString& titleCell = QStringLiteral(" Clip.avi")) {
    dialog = std::make_unique<CClipDlg>(task, titleCell);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    slider = dialog->findChild<CRangeSlider*>(QStringLiteral("clipSlider"));
    ASSERT_NE(slider, nullptr);
    QCoreApplication::processEvents();
    ASSERT_GT(slider->ValuePerPixel(), 0) << "painted: the slider has its track";
  }

  QString Text(const char* objectName) const {
    const auto* label = dialog->findChild<QLabel*>(QLatin1String(objectName));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(objectName));
  }

  void ExpectTimeTexts(const char* start, const char* end, const char* clip) const {
    EXPECT_EQ(Text("startText"), QLatin1String(start));
    EXPECT_EQ(Text("endText"), QLatin1String(end));
    EXPECT_EQ(Text("clipText"), QLatin1String(clip));
  }

  QPushButton* Button(const char* objectName) const {
    return dialog->findChild<QPushButton*>(QLatin1String(objectName));
  }

  void ClickOk() {
    QTest::mouseClick(Button("okButton"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
  }

  // A track of 210 pixels over 21 seconds: a tenth of a second per pixel.
  void OpenOverTenthSecondPixels() {
    task = MakeTask(21, 0, 21);
    Open();
    const int arrowWidth = 3 * slider->height() / 4;
    slider->resize(210 + 2 * arrowWidth, slider->height());
    QCoreApplication::processEvents();
  }

  std::pair<double, double> Selection() const {
    double left = 0;
    double right = 0;
    slider->GetSelection(left, right);
    return {left, right};
  }

  Task task;
  std::unique_ptr<CClipDlg> dialog;
  CRangeSlider* slider = nullptr;
};

TEST_F(ClipWindowTest, OpensWithTheStoredClipAndTheTitleLine) {
  task = MakeTask(3725, 0, 3725);
  Open();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select the Movie Clip"));
  EXPECT_EQ(Text("titleLine"), QStringLiteral("Movie Title: Clip.avi       Duration:  01:02:05"));
  ExpectTimeTexts("00:00:00", "01:02:05", "01:02:05");
  EXPECT_EQ(slider->Minimum(), 0);
  EXPECT_EQ(slider->Maximum(), 3725);
  EXPECT_EQ(Selection(), std::make_pair(0.0, 3725.0));

  ClickOk();
  EXPECT_EQ(task.clipStart, 0);
  EXPECT_EQ(task.clipLength, 3725);
  EXPECT_EQ(dialog->StartCellText(), QStringLiteral("00:00:00"));
  EXPECT_EQ(dialog->EndCellText(), QStringLiteral("01:02:05"));
}

TEST_F(ClipWindowTest, FollowsTheThumbsAndStoresTheSlidersValuesOnOk) {
  OpenOverTenthSecondPixels();
  const SliderPoints points(slider);
  const QPoint left = points.LeftThumb(0);
  Drag(slider, left, {points.LeftThumbAt(107), left.y()});
  const QPoint right = points.RightThumb(210);
  Drag(slider, right, {points.RightThumbAt(202), right.y()});

  ASSERT_EQ(Selection(), std::make_pair(10.7, 20.2));
  ExpectTimeTexts("00:00:10", "00:00:20", "00:00:10");

  ClickOk();
  EXPECT_EQ(task.clipStart, 10.7);
  EXPECT_EQ(task.clipLength, 9.5);
  EXPECT_EQ(task.duration, 21);
  EXPECT_EQ(dialog->StartCellText(), QStringLiteral("00:00:10"));
  EXPECT_EQ(dialog->EndCellText(), QStringLiteral("00:00:20"));
}

TEST_F(ClipWindowTest, RoundsTheClipTimeFromTheFirstNotificationOn) {
  task = MakeTask(60, 0, 9.6);
  Open();
  ExpectTimeTexts("00:00:00", "00:00:09", "00:00:09");

  // At pixel 0 a step left is refused but still reported.
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Left);
  EXPECT_EQ(Selection(), std::make_pair(0.0, 9.6));
  ExpectTimeTexts("00:00:00", "00:00:09", "00:00:10");
}

TEST_F(ClipWindowTest, LeavesTheTaskAloneWhenNotClosedWithOk) {
  const std::pair<const char*, std::function<void()>> closers[] = {
      {"Cancel", [this] { QTest::mouseClick(Button("cancelButton"), Qt::LeftButton); }},
      {"Esc on the slider", [this] { QTest::keyClick(slider, Qt::Key_Escape); }},
      {"closing the window", [this] { dialog->close(); }},
  };
  for (const auto& [name, close] : closers) {
    OpenOverTenthSecondPixels();
    const SliderPoints points(slider);
    const QPoint left = points.LeftThumb(0);
    Drag(slider, left, {points.LeftThumbAt(50), left.y()});
    ASSERT_EQ(Text("startText"), QStringLiteral("00:00:05")) << name;

    slider->setFocus();
    close();
    EXPECT_FALSE(dialog->isVisible()) << name;
    EXPECT_EQ(dialog->result(), QDialog::Rejected) << name;
    EXPECT_EQ(task.clipStart, 0) << name;
    EXPECT_EQ(task.clipLength, 21) << name;
    EXPECT_TRUE(dialog->StartCellText().isEmpty()) << name;
    EXPECT_TRUE(dialog->EndCellText().isEmpty()) << name;
  }
}

TEST_F(ClipWindowTest, GrowsTheHourFieldPastTwoDigits) {
  task = MakeTask(100 * 3600 + 3725, 0, 100 * 3600 + 3725);
  Open();
  EXPECT_EQ(Text("titleLine"), QStringLiteral("Movie Title: Clip.avi       Duration:  101:02:05"));
  ExpectTimeTexts("00:00:00", "101:02:05", "101:02:05");

  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Left, Qt::ShiftModifier);
  ASSERT_LT(Selection().second, task.duration);
  ClickOk();
  EXPECT_EQ(dialog->EndCellText(), Text("endText"));
  EXPECT_EQ(dialog->EndCellText().indexOf(QLatin1Char(':')), 3) << dialog->EndCellText().toStdString();
}

TEST_F(ClipWindowTest, TakesAnUnknownDurationAsBoundsMinusOneToZero) {
  task = MakeTask(-1, 0, -1);
  Open();
  EXPECT_EQ(slider->Minimum(), -1);
  EXPECT_EQ(slider->Maximum(), 0);
  EXPECT_EQ(Selection(), std::make_pair(0.0, -1.0)) << "inside the bounds, so left reversed";
  ExpectTimeTexts("00:00:00", "00:00:-1", "00:00:-1");
  EXPECT_EQ(Text("titleLine"), QStringLiteral("Movie Title: Clip.avi       Duration:  00:00:-1"));

  ClickOk();
  EXPECT_EQ(task.clipStart, 0);
  EXPECT_EQ(task.clipLength, -1);
  EXPECT_EQ(dialog->StartCellText(), QStringLiteral("00:00:00"));
  EXPECT_EQ(dialog->EndCellText(), QStringLiteral("00:00:-1"));
}

TEST_F(ClipWindowTest, PutsAReversedSelectionInOrderOnceAThumbIsDragged) {
  task = MakeTask(-1, 0, -1);
  Open();
  // The right value -1 sits at pixel 0 of the track.
  const SliderPoints points(slider);
  const QPoint right = points.RightThumb(0);
  Drag(slider, right, {right.x() + 30, right.y()});
  EXPECT_EQ(Selection(), std::make_pair(0.0, 0.0));
  ExpectTimeTexts("00:00:00", "00:00:00", "00:00:00");
}

TEST_F(ClipWindowTest, KeepsTheArrowKeysAndLetsTabMoveOn) {
  task = MakeTask(3725, 0, 3725);
  Open();
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_LT(Selection().second, 3725) << "Shift+Left narrows from the right";
  EXPECT_NE(Text("endText"), QStringLiteral("01:02:05"));
  EXPECT_EQ(dialog->focusWidget(), slider);

  QTest::keyClick(slider, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_LT(Selection().second, 3725) << "Ctrl+Right does nothing";
  EXPECT_EQ(dialog->focusWidget(), slider);

  QTest::keyClick(slider, Qt::Key_Tab);
  EXPECT_EQ(dialog->focusWidget(), Button("okButton")) << "after the slider, Tab comes round to OK";
}

TEST_F(ClipWindowTest, ShowsTheSliderToAssistiveTechnologyAsAClipRange) {
  task = MakeTask(3725, 600, 1800);
  Open();
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(slider);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::Slider);
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Clip range"));
  EXPECT_EQ(accessible->text(QAccessible::Description), QStringLiteral("From 00:10:00 to 00:40:00"));
  ASSERT_NE(accessible->valueInterface(), nullptr);
  EXPECT_EQ(accessible->valueInterface()->currentValue().toDouble(), 1800);
  EXPECT_EQ(accessible->valueInterface()->maximumValue().toDouble(), 3725);

  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  const auto [left, right] = Selection();
  ASSERT_GT(left, 600);
  EXPECT_EQ(accessible->valueInterface()->currentValue().toDouble(), right - left);
  EXPECT_EQ(accessible->text(QAccessible::Description),
            QStringLiteral("From %1 to %2").arg(Text("startText"), Text("endText")));
}

TEST_F(ClipWindowTest, NamesEveryControlForAssistiveTechnology) {
  task = MakeTask(3725, 0, 3725);
  Open();
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(dialog.get());
  ASSERT_NE(window, nullptr);
  QStringList names;
  for (int i = 0; i < window->childCount(); ++i) {
    const QAccessibleInterface* control = window->child(i);
    ASSERT_NE(control, nullptr);
    EXPECT_NE(control->role(), QAccessible::NoRole) << control->object()->objectName().toStdString();
    EXPECT_FALSE(control->text(QAccessible::Name).isEmpty()) << control->object()->objectName().toStdString();
    names << control->text(QAccessible::Name);
  }
  for (const char* name : {"OK", "Cancel", "Clip range", "Start Point", "End Point", "Clip Time",
                           "Please use the slide bar below to change the times"})
    EXPECT_GE(names.count(QLatin1String(name)), 1) << name;

  const auto* startText = dialog->findChild<QLabel*>(QStringLiteral("startText"));
  const QAccessibleInterface* start = QAccessible::queryAccessibleInterface(const_cast<QLabel*>(startText));
  EXPECT_EQ(start->text(QAccessible::Description), QStringLiteral("00:00:00")) << "the time is read out too";
}

}  // namespace
