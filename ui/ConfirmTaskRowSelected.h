#pragma once

// Whether the clip window may open for the task list's first selected row
// (-1 when none is selected). Without a selection it tells the user to
// select a video first.
bool ConfirmTaskRowSelected(int firstSelectedRow);
