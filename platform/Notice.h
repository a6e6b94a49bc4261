#pragma once

#include <string>

enum class NoticeIcon { None, Information, Warning, Error, Question };
enum class NoticeButtons { Ok, YesNo };
enum class NoticeAnswer { Ok, Yes, No };

// One message box: its text, caption, icon and buttons. A notice that does
// not block is shown and left to the user while the caller goes on; it is
// only ever an Ok notice.
struct NoticeRequest {
  std::string text;
  std::string caption;
  NoticeIcon icon = NoticeIcon::None;
  NoticeButtons buttons = NoticeButtons::Ok;
  bool blocking = true;
};

// Where the program's message boxes go: message boxes in the windows, printed
// lines in the batch front end, a recording in tests. One is current for the
// whole process; it is used from the user-interface thread only.
class INotice {
 public:
  virtual ~INotice() = default;
  virtual NoticeAnswer Show(const NoticeRequest& request) = 0;

  static INotice& Current();
  // Null restores the console notice.
  static void SetCurrent(INotice* notice);
};

// Shorthand for the common case of a blocking notice.
NoticeAnswer ShowNotice(const std::string& text, const std::string& caption,
                        NoticeIcon icon = NoticeIcon::None,
                        NoticeButtons buttons = NoticeButtons::Ok);
