#include "platform/RecordingNotice.h"
#include "ui/ClipWindowTexts.h"
#include "ui/ConfirmTaskRowSelected.h"

#include <gtest/gtest.h>

TEST(MovieClipCommand, AsksForASelectedVideoFirst) {
  RecordingNotice notice;
  EXPECT_FALSE(ConfirmTaskRowSelected(-1));
  const auto requests = notice.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].text, "Please select a video from the list!");
  EXPECT_EQ(requests[0].caption, "Information");
  EXPECT_EQ(requests[0].icon, NoticeIcon::Warning);
  EXPECT_EQ(requests[0].buttons, NoticeButtons::Ok);

  notice.Clear();
  EXPECT_TRUE(ConfirmTaskRowSelected(0));
  EXPECT_TRUE(ConfirmTaskRowSelected(99));
  EXPECT_TRUE(notice.Requests().empty());
}

TEST(ClipWindowTexts, TruncateTheEndsAndRoundTheClipAfterAMove) {
  struct Case {
    double left, right;
    const char *start, *end, *clip;
  };
  const Case cases[] = {
      {10.7, 20.2, "00:00:10", "00:00:20", "00:00:10"},
      {0, 9.6, "00:00:00", "00:00:09", "00:00:10"},
      {0, 9.49, "00:00:00", "00:00:09", "00:00:09"},
      {3599.9, 3725.99, "00:59:59", "01:02:05", "00:02:06"},
      {0, 1e12, "00:00:00", "596523:14:07", "596523:14:07"},
  };
  for (const Case& c : cases) {
    const ClipWindowTexts texts = ClipWindowTexts::FromSelection(c.left, c.right);
    EXPECT_EQ(texts.start, c.start) << c.left << ".." << c.right;
    EXPECT_EQ(texts.end, c.end) << c.left << ".." << c.right;
    EXPECT_EQ(texts.clip, c.clip) << c.left << ".." << c.right;
  }
}

TEST(ClipWindowTexts, TruncateEverythingOnOpening) {
  Task task;
  task.duration = 3725;
  task.clipStart = 10.7;
  task.clipLength = 9.6;
  const ClipWindowTexts texts = ClipWindowTexts::FromTask(task);
  EXPECT_EQ(texts.start, "00:00:10");
  EXPECT_EQ(texts.end, "00:00:20");
  EXPECT_EQ(texts.clip, "00:00:09");
  EXPECT_EQ(ClipWindowTexts::TitleLine(" Holiday", 3725.8), "Movie Title: Holiday       Duration:  01:02:05");
}
