#include "SkinSampleWindow.h"

#include "ui/CAboutDlg.h"
#include "ui/SkinBinding.h"

#include "platform/ProgramFolder.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

// The About box and the program's controls on a real X server, with and
// without the skin, saved as pictures for a person to look at.
namespace {

void SaveScreenshot(QWidget& widget, const char* fileName) {
  const QString path = QStringLiteral(TOLVAR_ARTEFACT_DIR "/") + QLatin1String(fileName);
  ASSERT_TRUE(widget.grab().save(path, "PNG")) << path.toStdString();
  const QImage saved(path);
  ASSERT_FALSE(saved.isNull());
  QSet<QRgb> colours;
  for (int y = 0; y < saved.height(); ++y)
    for (int x = 0; x < saved.width(); ++x) colours.insert(saved.pixel(x, y));
  EXPECT_GT(colours.size(), 8) << fileName << " is not a blank picture";
}

void ShowAndWait(QWidget& widget) {
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  QCoreApplication::processEvents();
}

class SkinOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    SetProgramFolderOverride(programFolder.Path());
    std::filesystem::copy_file(TOLVAR_AVCORE_LIBRARY, programFolder / "libavcore.so");
  }
  void TearDown() override {
    binding.Unload();
    SetProgramFolderOverride("");
  }

  TempFolder programFolder;
  SkinBinding binding;
};

TEST_F(SkinOnScreen, AboutBox) {
  CAboutDlg standard;
  ShowAndWait(standard);
  SaveScreenshot(standard, "about-box.png");

  ASSERT_TRUE(binding.Load());
  CAboutDlg skinned;
  ShowAndWait(skinned);
  SaveScreenshot(skinned, "about-box-skinned.png");
}

TEST_F(SkinOnScreen, ControlsStandardAndSkinned) {
  SkinSampleWindow window;
  ShowAndWait(window);
  SaveScreenshot(window, "controls-standard.png");

  ASSERT_TRUE(binding.Load());
  binding.SetCustomSkinWnd(window.StartButton(), u"StartButton", 0);
  QCoreApplication::processEvents();
  SaveScreenshot(window, "controls-skinned.png");

  QMenu* menu = window.OtherToolsMenu();
  menu->popup(window.mapToGlobal(QPoint(120, 20)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  menu->setActiveAction(menu->actions().at(1));
  SaveScreenshot(*menu, "menu-skinned.png");
  menu->close();
}

}  // namespace
