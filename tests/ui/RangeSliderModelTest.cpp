#include "ui/RangeSliderModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using Code = RangeSliderModel::Code;
using Codes = RangeSliderModel::Codes;
using Key = RangeSliderModel::Key;

std::string Describe(const Codes& codes) {
  std::string text;
  for (const Code code : codes) text += std::to_string(static_cast<int>(code)) + " ";
  return text;
}

// Height 20 gives thumbs 15 pixels wide; width 130 then leaves a track of
// 100 pixels, one value per pixel over 0..100.
constexpr int kWidth = 130;
constexpr int kHeight = 20;

RangeSliderModel LaidOut(double min, double max, double left, double right) {
  RangeSliderModel model;
  model.SetBounds(min, max);
  model.SetSelection(left, right);
  model.Layout(kWidth, kHeight);
  return model;
}

}  // namespace

TEST(RangeSliderBounds, AreOrderedWhateverWayTheyAreGiven) {
  RangeSliderModel model;
  EXPECT_TRUE(model.SetBounds(10, 0).empty()) << "the initial 0..1 lies inside";
  EXPECT_EQ(model.Min(), 0);
  EXPECT_EQ(model.Max(), 10);
}

TEST(RangeSliderBounds, ClampTheSelectionAndReportEachEnd) {
  RangeSliderModel model;
  model.SetBounds(0, 100);
  model.SetSelection(20, 80);
  EXPECT_EQ(model.SetBounds(30, 50), (Codes{Code::Left, Code::Right}));
  EXPECT_EQ(model.Left(), 30);
  EXPECT_EQ(model.Right(), 50);
}

TEST(RangeSliderSelection, IsClampedToTheBoundsWithTheCodesInOrder) {
  struct Case {
    double left, right;
    double wantLeft, wantRight;
    Codes codes;
  };
  const Case cases[] = {
      {-5, 20, 0, 10, {Code::Left, Code::Right}},
      {20, 30, 10, 10, {Code::Right, Code::Left}},
      {-10, -5, 0, 0, {Code::Left, Code::Right}},
      {2, 8, 2, 8, {}},
      {-1, 4, 0, 4, {Code::Left}},
      {6, 12, 6, 10, {Code::Right}},
      // Inside the bounds a reversed selection is kept as it is.
      {7, 3, 7, 3, {}},
  };
  for (const Case& c : cases) {
    RangeSliderModel model;
    model.SetBounds(0, 10);
    const Codes codes = model.SetSelection(c.left, c.right);
    EXPECT_EQ(model.Left(), c.wantLeft) << c.left << ".." << c.right;
    EXPECT_EQ(model.Right(), c.wantRight) << c.left << ".." << c.right;
    EXPECT_EQ(codes, c.codes) << c.left << ".." << c.right << ": got " << Describe(codes);
  }
}

TEST(RangeSliderVisibleSpan, IsOrderedAndClampedToTheBounds) {
  struct Case {
    double from, to;
    double wantFrom, wantTo;
  };
  const Case cases[] = {
      {2, 8, 2, 8}, {8, 2, 2, 8}, {-5, -1, 0, 0}, {12, 15, 10, 10}, {-3, 20, 0, 10}, {15, -2, 0, 10},
  };
  for (const Case& c : cases) {
    RangeSliderModel model;
    model.SetBounds(0, 10);
    model.SetVisibleSpan(c.from, c.to);
    EXPECT_EQ(model.VisibleFrom(), c.wantFrom) << c.from << ".." << c.to;
    EXPECT_EQ(model.VisibleTo(), c.wantTo) << c.from << ".." << c.to;
  }
}

TEST(RangeSliderGeometry, PlacesTheThumbsBesideTheBar) {
  RangeSliderModel model = LaidOut(0, 10, 2, 6);
  const RangeSliderGeometry& g = model.Layout(kWidth, kHeight);
  EXPECT_EQ(g.arrowWidth, 15);
  EXPECT_EQ(g.trackWidth, 100);
  EXPECT_EQ(g.leftX, 20);
  EXPECT_EQ(g.rightX, 60);
  EXPECT_EQ(g.leftThumb, (PixelRect{20, 0, 35, 20}));
  EXPECT_EQ(g.leftThumbHit, (PixelRect{21, 1, 33, 18}));
  EXPECT_EQ(g.rightThumb, (PixelRect{75, 0, 90, 20}));
  EXPECT_EQ(g.rightThumbHit, (PixelRect{76, 1, 88, 18}));
  EXPECT_EQ(g.bar, (PixelRect{36, 1, 75, 19}));
  EXPECT_FALSE(g.visibleSpan) << "hidden until shown";
}

TEST(RangeSliderGeometry, SpansTheWholeControlForTheWholeRange) {
  const std::pair<int, int> sizes[] = {{130, 20}, {317, 19}, {64, 13}, {1000, 8}};
  for (const auto& [width, height] : sizes) {
    RangeSliderModel model;
    model.SetBounds(0, 3725);
    model.SetSelection(0, 3725);
    const RangeSliderGeometry& g = model.Layout(width, height);
    EXPECT_EQ(g.arrowWidth, 3 * height / 4) << width << "x" << height;
    EXPECT_EQ(g.leftThumb.left, 0) << width << "x" << height;
    EXPECT_EQ(g.rightThumb.right, width) << width << "x" << height;
    EXPECT_EQ(g.bar.left, g.leftThumb.right + 1) << width << "x" << height;
    EXPECT_EQ(g.bar.right, g.rightThumb.left) << width << "x" << height;
  }
}

TEST(RangeSliderGeometry, HighlightsTheVisibleSpanOnlyWhereItOverlapsTheSelection) {
  RangeSliderModel model = LaidOut(0, 10, 2, 6);
  EXPECT_FALSE(model.ShowVisibleSpan(false)) << "unchanged";
  EXPECT_TRUE(model.ShowVisibleSpan(true));

  model.SetVisibleSpan(4, 8);
  EXPECT_EQ(model.Layout(kWidth, kHeight).visibleSpan, (PixelRect{55, 1, 75, 19}))
      << "cut off at the selection's right end";
  model.SetVisibleSpan(7, 9);
  EXPECT_FALSE(model.Layout(kWidth, kHeight).visibleSpan);

  model.SetVisibleSpan(3, 5);
  model.ShowVisibleSpan(false);
  EXPECT_FALSE(model.Layout(kWidth, kHeight).visibleSpan);
}

TEST(RangeSliderDrag, MovesThePartFromWhereItWasGrabbedAndKeepsTheOrder) {
  using Target = RangeSliderModel::DragTarget;
  struct Case {
    const char* name;
    Target target;
    double left, right;
    int dx;
    double wantLeft, wantRight;
    Code code;
  };
  const Case cases[] = {
      {"left thumb", Target::LeftThumb, 20, 60, 10, 30, 60, Code::Left},
      {"left thumb past the right", Target::LeftThumb, 20, 60, 200, 60, 60, Code::Left},
      {"left thumb below min", Target::LeftThumb, 20, 60, -100, 0, 60, Code::Left},
      {"right thumb", Target::RightThumb, 20, 60, -10, 20, 50, Code::Right},
      {"right thumb past the left", Target::RightThumb, 20, 60, -200, 20, 20, Code::Right},
      {"right thumb past max", Target::RightThumb, 20, 60, 200, 20, 100, Code::Right},
      {"right thumb held at max", Target::RightThumb, 20, 100, 30, 20, 100, Code::Left},
      {"bar against min", Target::Bar, 20, 60, -200, 0, 40, Code::Bar},
      {"bar against max", Target::Bar, 20, 60, 200, 60, 100, Code::Bar},
  };
  for (const Case& c : cases) {
    RangeSliderModel model = LaidOut(0, 100, c.left, c.right);
    const RangeSliderGeometry& g = model.Geometry();
    const PixelRect barHit{g.leftThumbHit.right + 1, 0, g.rightThumbHit.left - 1, kHeight};
    const PixelRect grabbed = c.target == Target::LeftThumb    ? g.leftThumbHit
                              : c.target == Target::RightThumb ? g.rightThumbHit
                                                               : barHit;
    // Off the centre, so that a drag which forgot the grab offset would jump.
    const int x = grabbed.CenterX() - 2;
    const int y = grabbed.CenterY() + 1;
    ASSERT_TRUE(model.BeginDrag(x, y)) << c.name;
    EXPECT_EQ(model.Dragged(), c.target) << c.name;
    EXPECT_EQ(model.DragTo(x + c.dx), Codes{c.code}) << c.name;
    EXPECT_DOUBLE_EQ(model.Left(), c.wantLeft) << c.name;
    EXPECT_DOUBLE_EQ(model.Right(), c.wantRight) << c.name;
    EXPECT_TRUE(model.EndDrag()) << c.name;
    EXPECT_TRUE(model.DragTo(x).empty()) << c.name << ": no longer dragging";
  }
}

TEST(RangeSliderDrag, ReportsEveryMoveEvenWithoutChange) {
  RangeSliderModel model = LaidOut(0, 100, 0, 60);
  const PixelRect& hit = model.Geometry().leftThumbHit;
  ASSERT_TRUE(model.BeginDrag(hit.CenterX(), hit.CenterY()));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(model.DragTo(-50), Codes{Code::Left});
  EXPECT_EQ(model.Left(), 0);
}

TEST(RangeSliderDrag, StartsOnlyOnAThumbOrTheBar) {
  RangeSliderModel model = LaidOut(0, 100, 20, 60);
  EXPECT_FALSE(model.BeginDrag(5, 10)) << "the track left of the left thumb";
  EXPECT_FALSE(model.BeginDrag(120, 10)) << "the track right of the right thumb";
  EXPECT_FALSE(model.BeginDrag(27, 0)) << "the left thumb's frame";
  EXPECT_FALSE(model.IsDragging());
  EXPECT_TRUE(model.DragTo(60).empty());
  EXPECT_EQ(model.Left(), 20);

  ASSERT_TRUE(model.BeginDrag(50, 0)) << "the bar is hit over the whole height";
  EXPECT_EQ(model.Dragged(), RangeSliderModel::DragTarget::Bar);
}

TEST(RangeSliderKeys, StepTheSelectionByOnePixel) {
  struct Case {
    const char* name;
    double max;
    double left, right;
    Key key;
    bool shift, ctrl;
    double wantLeft, wantRight;
    Codes codes;
  };
  const Case cases[] = {
      {"Right", 100, 20, 60, Key::Increase, false, false, 21, 61, {Code::Bar}},
      {"Left", 100, 20, 60, Key::Decrease, false, false, 19, 59, {Code::Bar}},
      {"Shift+Right widens", 100, 20, 60, Key::Increase, true, false, 20, 61, {Code::Left}},
      {"Shift+Left narrows", 100, 20, 60, Key::Decrease, true, false, 20, 59, {Code::Left}},
      {"Ctrl+Right", 100, 20, 60, Key::Increase, false, true, 20, 60, {}},
      {"Ctrl+Shift+Left", 100, 20, 60, Key::Decrease, true, true, 20, 60, {}},
      {"Left at min", 100, 0, 40, Key::Decrease, false, false, 0, 40, {Code::Bar}},
      {"Right at max", 100, 60, 100, Key::Increase, false, false, 60, 100, {Code::Bar}},
      {"Shift+Right at max", 100, 20, 100, Key::Increase, true, false, 20, 100, {Code::Left}},
      {"Shift+Left on an empty selection", 100, 30, 30, Key::Decrease, true, false, 30, 30, {Code::Left}},
      // A tenth of a value per pixel: the ends snap to whole pixels first.
      {"Right snaps", 10, 2.34, 6.71, Key::Increase, false, false, 2.4, 6.8, {Code::Bar}},
  };
  for (const Case& c : cases) {
    RangeSliderModel model = LaidOut(0, c.max, c.left, c.right);
    const Codes codes = model.StepKey(c.key, c.shift, c.ctrl);
    EXPECT_EQ(codes, c.codes) << c.name << ": got " << Describe(codes);
    EXPECT_DOUBLE_EQ(model.Left(), c.wantLeft) << c.name;
    EXPECT_DOUBLE_EQ(model.Right(), c.wantRight) << c.name;
  }
}

TEST(RangeSliderKeys, UnreverseAReversedSelectionWithShiftRight) {
  RangeSliderModel model = LaidOut(0, 100, 50, 48);
  EXPECT_EQ(model.StepKey(Key::Increase, true, false), Codes{Code::Left});
  EXPECT_EQ(model.Right(), 49);
}

// A source of duration 0 gives the slider an empty value range.
class EmptyRangeSlider : public ::testing::Test {
 protected:
  void SetUp() override {
    EXPECT_EQ(model.SetBounds(5, 5), (Codes{Code::Left, Code::Right}));
    model.Layout(kWidth, kHeight);
  }
  RangeSliderModel model;
};

TEST_F(EmptyRangeSlider, SitsAtTheLeft) {
  const RangeSliderGeometry& g = model.Geometry();
  EXPECT_EQ(g.leftX, 0);
  EXPECT_EQ(g.rightX, 0);
  EXPECT_EQ(g.leftThumb.left, 0);
}

TEST_F(EmptyRangeSlider, IgnoresTheArrowKeys) {
  for (const Key key : {Key::Decrease, Key::Increase})
    for (const bool shift : {false, true}) EXPECT_TRUE(model.StepKey(key, shift, false).empty());
  EXPECT_EQ(model.Left(), 5);
  EXPECT_EQ(model.Right(), 5);
}

TEST_F(EmptyRangeSlider, DragsWithoutChange) {
  const RangeSliderGeometry g = model.Geometry();
  const PixelRect barHit{g.leftThumbHit.right + 1, 0, g.rightThumbHit.left - 1, kHeight};
  for (const PixelRect& part : {g.leftThumbHit, g.rightThumbHit, barHit}) {
    ASSERT_TRUE(model.BeginDrag(part.CenterX(), part.CenterY()));
    for (const int x : {-40, 60, 400}) {
      EXPECT_EQ(model.DragTo(x).size(), 1u);
      EXPECT_EQ(model.Left(), 5);
      EXPECT_EQ(model.Right(), 5);
    }
    model.EndDrag();
  }
}
