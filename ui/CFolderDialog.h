#pragma once

#include <QString>

class QWidget;

// A modal folder browser over Qt's own directory dialog (never the desktop's
// native one, so that tests and assistive tools can drive it the same way).
// The shell browser's callbacks have no counterpart and need none: Qt's
// dialog selects the initial folder and checks a typed name itself.
class CFolderDialog {
 public:
  // The browser's flags, as the folder-browsing callers have always passed
  // them. Qt's dialog always has a name edit and returns local folders
  // only, so only kNewDialogStyle changes it: without it, no folder can be
  // created, renamed or deleted from the dialog.
  static constexpr unsigned kReturnOnlyFileSystemDirs = 1;
  static constexpr unsigned kEditBox = 16;
  static constexpr unsigned kNewDialogStyle = 64;

  // DoModal's results.
  static constexpr int kChosen = 1;
  static constexpr int kNoFileSystemPath = 2;
  static constexpr int kCancelled = -1;

  // An empty initial folder starts in the user's home folder with nothing
  // selected.
  CFolderDialog(QString title, QString initialFolder, QWidget* owner, unsigned flags);

  // kChosen with the folder in SelectedPath(); kNoFileSystemPath when the
  // chosen item is not a local folder (Qt's dialog offers local folders only,
  // so this does not happen in practice); kCancelled when cancelled.
  int DoModal();

  const QString& SelectedPath() const { return selectedPath_; }

 private:
  QString title_;
  QString initialFolder_;
  QWidget* owner_;
  unsigned flags_;
  QString selectedPath_;
};
