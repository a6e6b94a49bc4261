#pragma once

class QLineEdit;

// The main window's Browse button: lets the user pick the output folder and
// puts its path into the output folder edit. Cancelling changes nothing.
// option.ini is not written here; Start saves the settings.
void BrowseOutputFolder(QLineEdit& outputFolderEdit);
