#include "ui/CLinkStatic.h"

#include "platform/RecordingShellOpen.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

// Colours read as "#rrggbb" in failure messages.
void PrintTo(const QColor& colour, std::ostream* out) { *out << colour.name().toStdString(); }

namespace {

const QString kAddress = QStringLiteral("https://www.tolvar-software.example/products/dvd-ripper/");

// A link on a plain white window, shown, as the About box holds one.
class LinkStaticTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<QWidget>();
    window->setFixedSize(300, 80);
    window->setAutoFillBackground(true);
    QPalette white;
    white.setColor(QPalette::Window, Qt::white);
    window->setPalette(white);
    link = new CLinkStatic(window.get());
    link->setGeometry(20, 20, 200, 24);
    link->setText(QStringLiteral("Tolvar DVD Ripper"));
    link->SetLinkUrl(kAddress);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // The pointer may still rest where an earlier test's link was, and Qt
    // would then never tell this one that it left. Crossing the link once
    // leaves every test starting off it.
    MovePointerAway();
    Hover();
    MovePointerAway();
  }

  void Hover() {
    QTest::mouseMove(link, link->rect().center());
    QCoreApplication::processEvents();
  }
  // Qt drops a move to where it last saw the pointer, which may be here
  // already; the second move always arrives.
  void MovePointerAway() {
    QTest::mouseMove(window.get(), QPoint(280, 70));
    QTest::mouseMove(window.get(), QPoint(281, 71));
    QCoreApplication::processEvents();
  }
  // As a user clicks: the pointer goes onto the link first.
  void Click() {
    Hover();
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
  }

  // Pixels drawn in exactly this colour: the underline alone is a run of them.
  int PixelsIn(const QColor& colour) const {
    const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) count += QColor(image.pixel(x, y)) == colour;
    return count;
  }

  // The longest horizontal run of pixels in exactly this colour.
  int LongestRunIn(const QColor& colour) const {
    const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int longest = 0;
    for (int y = 0; y < image.height(); ++y) {
      int run = 0;
      for (int x = 0; x < image.width(); ++x) {
        run = QColor(image.pixel(x, y)) == colour ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    }
    return longest;
  }

  // The one of the three link colours the text is drawn in, or black.
  QColor ShownColour() const {
    QColor shown(Qt::black);
    for (const QColor& colour : {CLinkStatic::kLinkColour, CLinkStatic::kHoverColour, CLinkStatic::kVisitedColour}) {
      if (PixelsIn(colour) < 20) continue;
      if (shown != QColor(Qt::black)) return QColor(Qt::black);
      shown = colour;
    }
    return shown;
  }

  RecordingShellOpen shell;
  std::unique_ptr<QWidget> window;
  CLinkStatic* link = nullptr;
};

TEST_F(LinkStaticTest, IsBlueUnderlinedWithAPointingHand) {
  EXPECT_EQ(ShownColour(), QColor(0, 0, 255));
  EXPECT_GE(LongestRunIn(CLinkStatic::kLinkColour), link->fontMetrics().horizontalAdvance(link->text()) - 2)
      << "a line under the whole text";
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
}

struct ColourCase {
  const char* name;
  bool visited;
  bool hovered;
  QColor expected;
};

void PrintTo(const ColourCase& state, std::ostream* out) { *out << state.name; }

class LinkColourTest : public LinkStaticTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(LinkColourTest, DrawsTheTextInTheColourOfItsState) {
  const ColourCase& state = GetParam();
  if (state.visited) {
    Click();
    MovePointerAway();
  }
  if (state.hovered) Hover();
  EXPECT_EQ(ShownColour(), state.expected);
}

INSTANTIATE_TEST_SUITE_P(States, LinkColourTest,
                         ::testing::Values(ColourCase{"Unvisited", false, false, QColor(0, 0, 255)},
                                           ColourCase{"UnvisitedHovered", false, true, QColor(255, 0, 0)},
                                           ColourCase{"Visited", true, false, QColor(5, 34, 143)},
                                           ColourCase{"VisitedHovered", true, true, QColor(5, 34, 143)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkStaticTest, LeavingTheLinkRestoresItsColour) {
  Hover();
  ASSERT_EQ(ShownColour(), QColor(255, 0, 0));
  MovePointerAway();
  EXPECT_EQ(ShownColour(), QColor(0, 0, 255));

  Click();
  MovePointerAway();
  EXPECT_EQ(ShownColour(), QColor(5, 34, 143));
}

TEST_F(LinkStaticTest, ClickOpensTheAddressOnce) {
  Click();
  EXPECT_EQ(shell.Targets(), std::vector<std::string>{kAddress.toStdString()});
  EXPECT_TRUE(link->IsVisited());
}

TEST_F(LinkStaticTest, PressThenReleaseOutsideOpensNothing) {
  Hover();
  QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
  QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 30, link->height() / 2));
  EXPECT_TRUE(shell.Targets().empty());
  EXPECT_FALSE(link->IsVisited());
}

TEST_F(LinkStaticTest, IsALinkToAssistiveTechnologyThatOpensWhenPressed) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::Link);
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Tolvar DVD Ripper"));
  EXPECT_EQ(accessible->text(QAccessible::Description), kAddress);
  QAccessibleActionInterface* actions = accessible->actionInterface();
  ASSERT_NE(actions, nullptr);
  ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(shell.Targets(), std::vector<std::string>{kAddress.toStdString()});
  EXPECT_EQ(ShownColour(), QColor(5, 34, 143));
}

}  // namespace
