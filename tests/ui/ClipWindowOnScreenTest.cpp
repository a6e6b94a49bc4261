#include "ui/CClipDlg.h"
#include "ui/CRangeSlider.h"

#include <QAccessible>
#include <QAccessibleValueChangeEvent>
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// These run under a real X server with the desktop accessibility bridge on:
// the window as a user sees it, and as a screen reader hears it.
namespace {

// Records what assistive technology is told about one object.
class AccessibilityEvents {
 public:
  struct Event {
    QAccessible::Event type;
    QVariant value;
  };

  explicit AccessibilityEvents(QObject* watched) {
    watched_ = watched;
    events_.clear();
    previous_ = QAccessible::installUpdateHandler(&Record);
  }
  ~AccessibilityEvents() {
    QAccessible::installUpdateHandler(previous_);
    watched_ = nullptr;
  }
  AccessibilityEvents(const AccessibilityEvents&) = delete;
  AccessibilityEvents& operator=(const AccessibilityEvents&) = delete;

  const std::vector<Event>& Events() const { return events_; }

 private:
  static void Record(QAccessibleEvent* event) {
    if (event->object() != watched_) return;
    QVariant value;
    if (event->type() == QAccessible::ValueChanged)
      value = static_cast<QAccessibleValueChangeEvent*>(event)->value();
    events_.push_back({event->type(), value});
  }

  static inline QObject* watched_ = nullptr;
  static inline std::vector<Event> events_;
  QAccessible::UpdateHandler previous_ = nullptr;
};

class ClipWindowOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    task.duration = 3725;
    task.clipStart = 600;
    task.clipLength = 1800;
    dialog = std::make_unique<CClipDlg>(task, QStringLiteral(" Holiday in the Alps.avi"));
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    slider = dialog->findChild<CRangeSlider*>(QStringLiteral("clipSlider"));
    ASSERT_NE(slider, nullptr);
    slider->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(slider->hasFocus());
  }

  Task task;
  std::unique_ptr<CClipDlg> dialog;
  CRangeSlider* slider = nullptr;
};

TEST_F(ClipWindowOnScreen, SavesAScreenshotOfTheWindow) {
  const QString path = QStringLiteral(TOLVAR_ARTEFACT_DIR "/clip-window.png");
  ASSERT_TRUE(dialog->grab().save(path, "PNG")) << path.toStdString();

  const QImage saved(path);
  ASSERT_FALSE(saved.isNull());
  const double ratio = dialog->devicePixelRatio();
  EXPECT_EQ(saved.size(), dialog->size() * ratio);
  QSet<QRgb> colours;
  for (int y = 0; y < saved.height(); ++y)
    for (int x = 0; x < saved.width(); ++x) colours.insert(saved.pixel(x, y));
  EXPECT_GT(colours.size(), 8) << "not a blank picture";

  // The slider's own colours: its grey field and the white bar of the selection.
  const QPoint field = slider->mapTo(dialog.get(), QPoint(slider->width() - 3, slider->height() / 2)) * ratio;
  EXPECT_EQ(QColor(saved.pixel(field)), QColor(128, 128, 128));
  const QPoint bar = slider->mapTo(dialog.get(), QPoint(slider->width() / 2, 3)) * ratio;
  EXPECT_EQ(QColor(saved.pixel(bar)), QColor(Qt::white));
}

TEST_F(ClipWindowOnScreen, TellsAssistiveTechnologyOfEveryChange) {
  // The bridge comes on once it has reached the accessibility bus.
  ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }));
  const AccessibilityEvents recorder(slider);
  std::vector<double> lengths;
  std::vector<double> lefts;
  for (const auto modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
    QTest::keyClick(slider, Qt::Key_Right, modifiers);
    double left = 0;
    double right = 0;
    slider->GetSelection(left, right);
    lefts.push_back(left);
    lengths.push_back(right - left);
  }
  ASSERT_GT(lefts[0], 600) << "the first step moved the selection";
  ASSERT_GT(lengths[1], lengths[0]) << "the second widened it";

  std::vector<double> values;
  int descriptionChanges = 0;
  for (const auto& event : recorder.Events()) {
    if (event.type == QAccessible::ValueChanged) values.push_back(event.value.toDouble());
    if (event.type == QAccessible::DescriptionChanged) ++descriptionChanges;
  }
  EXPECT_EQ(values, lengths);
  EXPECT_EQ(descriptionChanges, 2);
}

}  // namespace
