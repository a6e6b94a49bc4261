#include "ui/CLinkStatic.h"
#include "ui/SkinBinding.h"

#include "platform/ProgramFolder.h"
#include "platform/RuntimeLibrary.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A program folder of the test's own, holding a copy of one library as
// libavcore.so (or nothing at all).
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramFolderOverride(programFolder.Path()); }
  void TearDown() override {
    SetProgramFolderOverride("");
    RuntimeLibrary::OverrideFileName("avcore.dll", "");
    EXPECT_TRUE(qApp->styleSheet().isEmpty()) << "the skin was taken off again";
  }

  std::string InstallAsAvcore(const char* builtLibrary) {
    const std::string installed = programFolder / "libavcore.so";
    std::filesystem::copy_file(builtLibrary, installed);
    return installed;
  }

  TempFolder programFolder;
};

// What the application does with the main window's Start button in between.
class StartButtonWindow {
 public:
  StartButtonWindow() {
    window.setFixedSize(200, 160);
    start->setObjectName(QStringLiteral("startButton"));
    start->setAccessibleName(QStringLiteral("Start"));
    // The main window's Start button: 68 x 68 dialog units, not square in pixels.
    start->setGeometry(50, 30, 102, 85);
    window.show();
  }

  QImage Grab() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }

  QDialog window;
  QPushButton* start = new QPushButton(QStringLiteral("Start"), &window);
};

using SkinBindingWithoutLibrary = ProgramFolderTest;

TEST_F(SkinBindingWithoutLibrary, LoadFailsAndEveryCallDoesNothing) {
  StartButtonWindow main;
  SkinBinding binding;
  EXPECT_FALSE(binding.Load());
  EXPECT_FALSE(binding.IsLoaded());
  binding.SetCustomSkinWnd(main.start, u"StartButton", 0);
  binding.DeInitDecoration();
  binding.Unload();
  EXPECT_TRUE(main.start->styleSheet().isEmpty());
}

TEST_F(SkinBindingWithoutLibrary, ALibraryWithoutTheEntryPointsIsCalledNotAtAll) {
  // Any library will do that has none of the five.
  RuntimeLibrary::OverrideFileName("avcore.dll", "libz.so.1");
  StartButtonWindow main;
  SkinBinding binding;
  ASSERT_TRUE(binding.Load());
  binding.SetCustomSkinWnd(main.start, u"StartButton", 0);
  binding.DeInitDecoration();
  binding.Unload();
  EXPECT_FALSE(binding.IsLoaded());
}

// The test library writes down every call; the test keeps its own handle to
// it, so the record outlives the binding's unloading.
class SkinBindingWithRecordingLibrary : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    const std::string installed = InstallAsAvcore(TOLVAR_RECORDING_SKIN_LIBRARY);
    handle = dlopen(installed.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle) dlclose(handle);
    ProgramFolderTest::TearDown();
  }

  std::vector<std::string> Calls() const {
    using RecordedSkinCallsFunction = const char* (*)();
    auto recorded = reinterpret_cast<RecordedSkinCallsFunction>(dlsym(handle, "RecordedSkinCalls"));
    std::vector<std::string> calls;
    std::istringstream lines(recorded ? recorded() : "");
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    return calls;
  }

  void* handle = nullptr;
};

std::string AddressText(const void* pointer) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", pointer);
  return text;
}

TEST_F(SkinBindingWithRecordingLibrary, CallsTheEntryPointsInTheirOrderWithTheProgramsSkin) {
  QFile skin(QStringLiteral(":/CUM/149"));
  ASSERT_TRUE(skin.open(QIODevice::ReadOnly)) << "the program carries its skin";
  const qint64 skinSize = skin.size();
  StartButtonWindow main;
  {
    SkinBinding binding;
    ASSERT_TRUE(binding.Load());
    binding.SetCustomSkinWnd(main.start, u"StartButton", 0);
    binding.DeInitDecoration();  // the application's exit step
  }  // the application object goes

  const std::vector<std::string> expected = {
      "InitDecoration 1",
      "LoadSkinFromResource " + std::to_string(skinSize) + " qres",
      "ApplySkin",
      "SetCustomSkinWnd " + AddressText(main.start) + " StartButton 0",
      "DeInitDecoration",
      "DeInitDecoration",
  };
  EXPECT_EQ(Calls(), expected);
}

TEST_F(SkinBindingWithRecordingLibrary, LoadingOrUnloadingTwiceReachesTheLibraryOnce) {
  SkinBinding binding;
  ASSERT_TRUE(binding.Load());
  ASSERT_TRUE(binding.Load());
  binding.Unload();
  binding.Unload();
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls.front(), "InitDecoration 1");
  EXPECT_EQ(calls.back(), "DeInitDecoration");
}

// The real skin library with the program's skin.
class SkinBindingWithAvcore : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    InstallAsAvcore(TOLVAR_AVCORE_LIBRARY);
  }

  static QString SkinStyleSheet() {
    QFile source(QString::fromLocal8Bit(std::getenv("TOLVAR_SOURCE_DIR")) + QStringLiteral("/res/skin/skin.qss"));
    return source.open(QIODevice::ReadOnly) ? QString::fromUtf8(source.readAll()) : QString();
  }
};

TEST_F(SkinBindingWithAvcore, AppliesTheSkinToEveryWindowAndTakesItOffAgain) {
  const QString expected = SkinStyleSheet();
  ASSERT_FALSE(expected.isEmpty());
  SkinBinding binding;
  ASSERT_TRUE(binding.Load());
  EXPECT_EQ(qApp->styleSheet(), expected);
  binding.DeInitDecoration();
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
  binding.Unload();
  EXPECT_TRUE(qApp->styleSheet().isEmpty());

  // A second start-up finds the library as new.
  ASSERT_TRUE(binding.Load());
  EXPECT_EQ(qApp->styleSheet(), expected);
  binding.Unload();
}

bool IsSphereBlue(QRgb pixel) {
  const QColor colour(pixel);
  return colour.blue() > colour.red() + 60;
}

// Where the sphere reaches along the row and the column through the centre.
QSize SphereExtent(const QImage& image, const QRect& button) {
  const QPoint centre = button.center();
  int left = centre.x(), right = centre.x(), top = centre.y(), bottom = centre.y();
  for (int x = button.left(); x <= button.right(); ++x) {
    if (!IsSphereBlue(image.pixel(x, centre.y()))) continue;
    left = std::min(left, x);
    right = std::max(right, x);
  }
  for (int y = button.top(); y <= button.bottom(); ++y) {
    if (!IsSphereBlue(image.pixel(centre.x(), y))) continue;
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  return QSize(right - left + 1, bottom - top + 1);
}

TEST_F(SkinBindingWithAvcore, StartButtonBecomesARoundPictureThatKeepsItsNameAndPlace) {
  StartButtonWindow main;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main.window));
  const QImage standard = main.Grab();
  SkinBinding binding;
  ASSERT_TRUE(binding.Load());
  const QImage skinned = main.Grab();
  binding.SetCustomSkinWnd(main.start, u"StartButton", 0);
  const QImage round = main.Grab();

  const QRect button = main.start->geometry();
  const QPoint corner = button.topLeft() + QPoint(3, 3);
  // The window's background runs top to bottom: compare along one row.
  const QPoint besideCorner = button.topLeft() + QPoint(-6, 3);
  EXPECT_NE(skinned.pixel(corner), skinned.pixel(besideCorner)) << "a plain button fills its corners";
  EXPECT_EQ(round.pixel(corner), round.pixel(besideCorner)) << "the window shows through the corners";
  const QSize sphere = SphereExtent(round, button);
  EXPECT_NEAR(sphere.width(), sphere.height(), 2) << "round, not stretched to the button";
  // The blue sphere is some three quarters of the picture, inside its ring.
  EXPECT_GE(sphere.height(), button.height() * 7 / 10) << "as large as the button allows";
  EXPECT_EQ(main.start->accessibleName(), QStringLiteral("Start"));
  EXPECT_EQ(main.start->geometry(), button) << "its place stays the main window's";

  QTest::mouseMove(main.start, main.start->rect().center());
  EXPECT_NE(main.Grab(), round) << "a picture of its own under the pointer";

  binding.Unload();
  EXPECT_TRUE(main.start->styleSheet().isEmpty());
  QTest::mouseMove(&main.window, QPoint(5, 5));
  EXPECT_EQ(main.Grab(), standard);
}

TEST_F(SkinBindingWithAvcore, LinksKeepTheirColoursAndTheWindowsFontUnderTheSkin) {
  SkinBinding binding;
  ASSERT_TRUE(binding.Load());
  QDialog window;
  QFont small(QStringLiteral("MS Sans Serif"));
  small.setPointSize(8);
  window.setFont(small);
  window.setFixedSize(200, 40);
  auto* link = new CLinkStatic(&window);
  link->setGeometry(10, 10, 180, 20);
  link->setText(QStringLiteral("Check for new version"));
  window.show();
  const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int blue = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) blue += QColor(image.pixel(x, y)) == CLinkStatic::kLinkColour;
  EXPECT_GT(blue, 20);
  EXPECT_EQ(QFontInfo(link->font()).pointSize(), 8);
  binding.Unload();
}

}  // namespace
