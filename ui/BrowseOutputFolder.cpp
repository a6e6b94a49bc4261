#include "BrowseOutputFolder.h"

#include "CFolderDialog.h"

#include <QLineEdit>

void BrowseOutputFolder(QLineEdit& outputFolderEdit) {
  CFolderDialog dialog(QStringLiteral("Select the folder you want to save output files to:"), QString(),
                       outputFolderEdit.window(),
                       CFolderDialog::kReturnOnlyFileSystemDirs | CFolderDialog::kEditBox |
                           CFolderDialog::kNewDialogStyle);
  if (dialog.DoModal() == CFolderDialog::kChosen) outputFolderEdit.setText(dialog.SelectedPath());
}
