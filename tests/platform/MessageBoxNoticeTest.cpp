#include "platform/MessageBoxNotice.h"
#include "platform/WaitCursor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <optional>

namespace {

std::optional<Qt::CursorShape> CursorShape() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor ? std::optional(cursor->shape()) : std::nullopt;
}

// Shows a box and, while it is open, notes the cursor and answers it.
struct BoxSeen {
  std::optional<Qt::CursorShape> cursor;
  QString text;
};

BoxSeen ShowAndAnswer(const NoticeRequest& request) {
  BoxSeen seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr) << "no box is open";
    seen.cursor = CursorShape();
    seen.text = box->text();
    box->done(QMessageBox::Ok);
  });
  MessageBoxNotice().Show(request);
  return seen;
}

}  // namespace

// Under the wait cursor of a long step (an add of many files, a run), a box
// that waits for the user shows the arrow; the wait cursor comes back after.
TEST(MessageBoxNotice, ABoxUnderTheWaitCursorShowsTheArrow) {
  const NoticeRequest refusal{"Fail to open the file /tmp/text.avi", "Information", NoticeIcon::Information};
  {
    const WaitCursor wait;
    const BoxSeen seen = ShowAndAnswer(refusal);
    EXPECT_EQ(seen.text, "Fail to open the file /tmp/text.avi");
    EXPECT_EQ(seen.cursor, Qt::ArrowCursor);
    EXPECT_EQ(CursorShape(), Qt::WaitCursor);
  }
  EXPECT_EQ(CursorShape(), std::nullopt);

  // Without a wait cursor, none is set for the box.
  EXPECT_EQ(ShowAndAnswer(refusal).cursor, std::nullopt);
  EXPECT_EQ(CursorShape(), std::nullopt);
}
