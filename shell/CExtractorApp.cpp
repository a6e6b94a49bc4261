#include "CExtractorApp.h"

#include "CExtractorDlg.h"
#include "media/DecoderRegistration.h"

CExtractorApp::CExtractorApp() {
  INotice::SetCurrent(&notice_);
  IShellOpen::SetCurrent(&shellOpen_);
}

CExtractorApp::~CExtractorApp() {
  IShellOpen::SetCurrent(nullptr);
  INotice::SetCurrent(nullptr);
}

int CExtractorApp::Run(const QStringList& files) {
  InitInstance();
  {
    CExtractorDlg dialog(&skin_);
    dialog.show();
    if (!files.isEmpty()) dialog.AddFiles(files);
    dialog.exec();
  }
  ExitInstance();
  return 0;
}

void CExtractorApp::InitInstance() {
  InitMediaLibraries();
  skin_.Load();
}

// The skin comes off here and once more when the binding unloads the
// library at destruction.
void CExtractorApp::ExitInstance() { skin_.DeInitDecoration(); }
