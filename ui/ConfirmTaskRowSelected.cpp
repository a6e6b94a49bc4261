#include "ConfirmTaskRowSelected.h"

#include "platform/Notice.h"

bool ConfirmTaskRowSelected(int firstSelectedRow) {
  if (firstSelectedRow >= 0) return true;
  ShowNotice("Please select a video from the list!", "Information", NoticeIcon::Warning);
  return false;
}
