#pragma once

#include "platform/DesktopShellOpen.h"
#include "platform/MessageBoxNotice.h"
#include "ui/SkinBinding.h"

#include <QStringList>

// The application: readies the media libraries and the skin, then runs the
// main window until the user closes it. Message boxes and desktop opening go
// to the windows' implementations for the whole run. Without the skin
// library the windows keep the standard look.
class CExtractorApp {
 public:
  CExtractorApp();
  ~CExtractorApp();
  CExtractorApp(const CExtractorApp&) = delete;
  CExtractorApp& operator=(const CExtractorApp&) = delete;

  // The files are added to the list as if opened through Add Files. Returns
  // the process's exit status.
  int Run(const QStringList& files);

 private:
  void InitInstance();
  void ExitInstance();

  MessageBoxNotice notice_;
  DesktopShellOpen shellOpen_;
  SkinBinding skin_;
};
