#pragma once

#include "Notice.h"

// The windows' notice: a message box with the request's caption, icon and
// buttons, owned by the active window. A notice that does not block is
// shown without waiting and closes itself when dismissed. Over a box that
// waits, the cursor is the arrow even under a wait cursor.
class MessageBoxNotice : public INotice {
 public:
  NoticeAnswer Show(const NoticeRequest& request) override;
};
