#include "companions/avcore/AvcoreEntryPoints.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QPushButton>
#include <QtEndian>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// libavcore.so's own entry points, called directly, with what a careless
// caller could hand it.
class SkinLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = dlopen(TOLVAR_AVCORE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    initDecoration = Resolve<InitDecorationFunction>("InitDecoration");
    loadSkinFromResource = Resolve<LoadSkinFromResourceFunction>("LoadSkinFromResource");
    applySkin = Resolve<ApplySkinFunction>("ApplySkin");
    setCustomSkinWnd = Resolve<SetCustomSkinWndFunction>("SetCustomSkinWnd");
    deInitDecoration = Resolve<DeInitDecorationFunction>("DeInitDecoration");
    ASSERT_TRUE(initDecoration && loadSkinFromResource && applySkin && setCustomSkinWnd && deInitDecoration);
    QFile resource(QStringLiteral(":/CUM/149"));
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    skin = resource.readAll();
  }
  void TearDown() override {
    if (deInitDecoration) deInitDecoration();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    if (handle) dlclose(handle);
  }

  template <typename Function>
  Function Resolve(const char* name) {
    return reinterpret_cast<Function>(dlsym(handle, name));
  }

  int Load(const QByteArray& bytes) {
    return loadSkinFromResource(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size()));
  }

  void* handle = nullptr;
  InitDecorationFunction initDecoration = nullptr;
  LoadSkinFromResourceFunction loadSkinFromResource = nullptr;
  ApplySkinFunction applySkin = nullptr;
  SetCustomSkinWndFunction setCustomSkinWnd = nullptr;
  DeInitDecorationFunction deInitDecoration = nullptr;
  QByteArray skin;
};

TEST_F(SkinLibraryTest, TheProgramsSkinLoadsAndApplies) {
  ASSERT_EQ(initDecoration(1), 1);
  ASSERT_EQ(Load(skin), 1);
  EXPECT_EQ(applySkin(), 1);
  EXPECT_FALSE(qApp->styleSheet().isEmpty());
}

struct BadSkinCase {
  const char* name;
  QByteArray (*make)(const QByteArray& skin);
};

QByteArray WithOffset(QByteArray skin, int field, quint32 offset) {
  qToBigEndian(offset, skin.data() + field);
  return skin;
}

class BadSkinTest : public SkinLibraryTest, public ::testing::WithParamInterface<BadSkinCase> {};

TEST_P(BadSkinTest, IsRefusedAndNothingIsApplied) {
  ASSERT_EQ(initDecoration(1), 1);
  EXPECT_EQ(Load(GetParam().make(skin)), 0);
  EXPECT_EQ(applySkin(), 0);
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Skins, BadSkinTest,
    ::testing::Values(
        BadSkinCase{"Empty", [](const QByteArray&) { return QByteArray(); }},
        BadSkinCase{"NotASkinFile", [](const QByteArray&) { return QByteArray(4096, 'x'); }},
        BadSkinCase{"HeaderOnly", [](const QByteArray& skin) { return skin.left(24); }},
        BadSkinCase{"CutShort", [](const QByteArray& skin) { return skin.left(skin.size() / 2); }},
        BadSkinCase{"UnknownVersion", [](const QByteArray& skin) { return WithOffset(skin, 4, 99); }},
        BadSkinCase{"TreeBeyondTheEnd",
                    [](const QByteArray& skin) { return WithOffset(skin, 8, static_cast<quint32>(skin.size())); }},
        BadSkinCase{"NamesBeyondTheEnd",
                    [](const QByteArray& skin) { return WithOffset(skin, 16, 0xffffff00u); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinLibraryTest, NullSkinIsRefused) {
  ASSERT_EQ(initDecoration(1), 1);
  EXPECT_EQ(loadSkinFromResource(nullptr, 100), 0);
}

TEST_F(SkinLibraryTest, OnlyInterfaceVersionOneIsKnown) {
  EXPECT_EQ(initDecoration(2), 0);
  EXPECT_EQ(Load(skin), 0);
  EXPECT_EQ(applySkin(), 0);
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(SkinLibraryTest, UnknownOrStrayWindowPartNamesChangeNothing) {
  ASSERT_EQ(initDecoration(1), 1);
  ASSERT_EQ(Load(skin), 1);
  ASSERT_EQ(applySkin(), 1);
  QPushButton button(QStringLiteral("Start"));
  button.setStyleSheet(QStringLiteral("color: green"));
  for (const char16_t* name : {u"NoSuchPart", u"", u"../skin", u"custom/StartButton", u"Start Button"}) {
    EXPECT_EQ(setCustomSkinWnd(&button, name, 0), 0);
  }
  EXPECT_EQ(setCustomSkinWnd(&button, nullptr, 0), 0);
  EXPECT_EQ(setCustomSkinWnd(nullptr, u"StartButton", 0), 0);
  EXPECT_EQ(button.styleSheet(), QStringLiteral("color: green"));
}

TEST_F(SkinLibraryTest, DeInitTwiceIsHarmlessAndRestoresTheWindowsOwnStyle) {
  ASSERT_EQ(initDecoration(1), 1);
  ASSERT_EQ(Load(skin), 1);
  ASSERT_EQ(applySkin(), 1);
  QPushButton button(QStringLiteral("Start"));
  button.setStyleSheet(QStringLiteral("color: green"));
  ASSERT_EQ(setCustomSkinWnd(&button, u"StartButton", 0), 1);
  EXPECT_NE(button.styleSheet(), QStringLiteral("color: green"));
  deInitDecoration();
  deInitDecoration();
  EXPECT_EQ(button.styleSheet(), QStringLiteral("color: green"));
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(SkinLibraryTest, AWindowGoneBeforeDeInitIsSkipped) {
  ASSERT_EQ(initDecoration(1), 1);
  ASSERT_EQ(Load(skin), 1);
  ASSERT_EQ(applySkin(), 1);
  {
    QPushButton button(QStringLiteral("Start"));
    ASSERT_EQ(setCustomSkinWnd(&button, u"StartButton", 0), 1);
  }
  deInitDecoration();
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

}  // namespace
