#include "ui/MakerLinks.h"

#include "platform/RecordingShellOpen.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::string kMakerSite = "https://www.tolvar-software.example/";

bool IsMakerPage(const std::string& address) { return address.rfind(kMakerSite, 0) == 0; }

TEST(OtherTools, EachCommandOpensItsOwnPageOfTheMaker) {
  std::set<std::string> opened;
  for (const int commandId : {32797, 32793, 32794, 32795, 32796}) {
    SCOPED_TRACE(commandId);
    const RecordingShellOpen shell;
    MakerLinks::OnOtherTool(commandId);
    const std::vector<std::string> targets = shell.Targets();
    ASSERT_EQ(targets.size(), 1u);
    const std::string& address = targets.front();
    EXPECT_TRUE(IsMakerPage(address)) << address;
    EXPECT_TRUE(opened.insert(address).second) << "opened by two commands: " << address;
  }
  EXPECT_EQ(opened.count(kMakerSite + "products/"), 1u) << "\"And More ...\" opens the product list";
}

TEST(OtherTools, OtherCommandsOpenNothing) {
  for (const int commandId : {0, 16, 32785, 32786, 32792, 32798}) {
    SCOPED_TRACE(commandId);
    const RecordingShellOpen shell;
    MakerLinks::OnOtherTool(commandId);
    EXPECT_TRUE(shell.Targets().empty());
  }
}

TEST(OtherTools, MenuShowsFourProductsWithDescriptionsThenAndMore) {
  const int menuOrder[] = {32797, 32793, 32794, 32795, 32796};
  ASSERT_EQ(MakerLinks::kOtherTools.size(), std::size(menuOrder));
  for (std::size_t i = 0; i < std::size(menuOrder); ++i) {
    SCOPED_TRACE(i);
    const MakerLink& tool = MakerLinks::kOtherTools[i];
    EXPECT_EQ(tool.commandId, menuOrder[i]);
    const std::string text = tool.MenuText();
    if (i + 1 < std::size(menuOrder)) {
      EXPECT_EQ(text, std::string(tool.name) + " - " + tool.description);
      EXPECT_FALSE(std::string(tool.description).empty());
    } else {
      EXPECT_EQ(text, "And More ...");
    }
  }
}

TEST(MakerPages, WebSiteAndDownloadPageAreTheMakers) {
  EXPECT_EQ(MakerLinks::kWebSite.address, kMakerSite);
  EXPECT_TRUE(IsMakerPage(MakerLinks::kDownloadPage.address));
  EXPECT_NE(std::string(MakerLinks::kDownloadPage.address), kMakerSite);
}

}  // namespace
