#include "CFolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QUrl>

#include <utility>

CFolderDialog::CFolderDialog(QString title, QString initialFolder, QWidget* owner, unsigned flags)
    : title_(std::move(title)), initialFolder_(std::move(initialFolder)), owner_(owner), flags_(flags) {}

int CFolderDialog::DoModal() {
  QFileDialog dialog(owner_, title_, QDir::homePath());
  dialog.setFileMode(QFileDialog::Directory);
  QFileDialog::Options options = QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog;
  if (!(flags_ & kNewDialogStyle)) options |= QFileDialog::ReadOnly;
  dialog.setOptions(options);
  // Opens the folder's parent with the folder selected, so OK returns it.
  if (!initialFolder_.isEmpty()) dialog.selectFile(initialFolder_);

  if (dialog.exec() != QDialog::Accepted) return kCancelled;
  const QList<QUrl> chosen = dialog.selectedUrls();
  if (chosen.isEmpty() || !chosen.first().isLocalFile()) return kNoFileSystemPath;
  selectedPath_ = chosen.first().toLocalFile();
  return kChosen;
}
