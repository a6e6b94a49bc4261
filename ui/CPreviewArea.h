#pragma once

#include <string>

class CPicturePreview;
class QLabel;

// The main window's preview area: its picture control and the text below
// it. Shows the intro once, and for a task a click picks, a still of the
// task's source with a summary of it. The main window owns both controls
// and keeps them as long as this object.
class CPreviewArea {
 public:
  // How long after the main window opens the intro appears, by a
  // single-shot timer of the main window's.
  static constexpr int kIntroDelayMilliseconds = 1000;
  static constexpr char kIntroText[] = "\r\n* Add video files.  \r\n\r\n* Click Start to go!";

  CPreviewArea(CPicturePreview& picture, QLabel& summary);

  // The intro picture and text; only the first call shows them. Without
  // the intro picture the picture stays as it was, but the text is set.
  void ShowIntro();

  // A still of the source, or the fallback picture when none can be taken,
  // and the source's summary (empty when the source does not open); under
  // the wait cursor, which is gone again when it returns.
  void ShowSource(const std::string& sourcePath);

 private:
  void ShowText(const std::string& lines);

  CPicturePreview& picture_;
  QLabel& summary_;
  bool introShown_ = false;
};
