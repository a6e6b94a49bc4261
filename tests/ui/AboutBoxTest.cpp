#include "ui/CAboutDlg.h"
#include "ui/CLinkStatic.h"
#include "ui/MakerLinks.h"

#include "platform/RecordingShellOpen.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = std::make_unique<CAboutDlg>();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }

  QStringList LabelTexts() const {
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
      if (!qobject_cast<const CLinkStatic*>(label)) texts << label->text();
    }
    return texts;
  }

  RecordingShellOpen shell;
  std::unique_ptr<CAboutDlg> dialog;
};

TEST_F(AboutBoxTest, NamesTheProductAndItsVersion) {
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About Tolvar Audio Extractor"));
  const QStringList texts = LabelTexts();
  EXPECT_TRUE(texts.contains(QStringLiteral("Tolvar Audio Extractor"))) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("Version: 3.0"))) << texts.join('|').toStdString();
  const auto* group = dialog->findChild<QGroupBox*>();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->title(), QStringLiteral("See also"));
}

TEST_F(AboutBoxTest, EachLinkOpensThePageOfTheProductItNames) {
  const QList<CLinkStatic*> links = dialog->findChildren<CLinkStatic*>();
  ASSERT_EQ(links.size(), 2);
  QStringList names;
  for (CLinkStatic* link : links) {
    SCOPED_TRACE(link->text().toStdString());
    const RecordingShellOpen clickShell;
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    const MakerLink* product = nullptr;
    for (const MakerLink& tool : MakerLinks::kOtherTools) {
      if (link->text() == QString::fromUtf8(tool.name)) product = &tool;
    }
    ASSERT_NE(product, nullptr) << "a product of the Other Tools menu";
    EXPECT_NE(product->commandId, 32796) << "a product, not the product list";
    EXPECT_EQ(clickShell.Targets(), std::vector<std::string>{product->address});
    names << link->text();
  }
  EXPECT_NE(names[0], names[1]);
}

// Clipped text is a fault a reader sees at once; every control's text must
// fit its template width in the window's own font.
TEST_F(AboutBoxTest, EveryTextFitsItsControl) {
  for (const QWidget* control : dialog->findChildren<QWidget*>()) {
    QString text;
    int room = control->width();
    if (const auto* label = qobject_cast<const QLabel*>(control)) text = label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
      text = button->text();
      room -= 8;  // the button's frame
    }
    if (text.isEmpty()) continue;
    SCOPED_TRACE(text.toStdString());
    EXPECT_LE(control->fontMetrics().horizontalAdvance(text), room);
  }
}

TEST_F(AboutBoxTest, EveryControlHasAnAccessibleName) {
  for (QWidget* control : dialog->findChildren<QWidget*>()) {
    SCOPED_TRACE(control->objectName().toStdString());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty());
    EXPECT_NE(accessible->role(), QAccessible::NoRole);
  }
}

TEST_F(AboutBoxTest, OkClosesItAndOpensNothing) {
  auto* ok = dialog->findChild<QAbstractButton*>(QStringLiteral("okButton"));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(shell.Targets().empty());
}

}  // namespace
