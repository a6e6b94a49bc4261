#pragma once

#include <QDialog>

class CLinkStatic;

// The About box: product name, version, copyright, two links to other
// products of the maker under "See also", and OK. Run it modally without an
// owner; closing it changes nothing.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

 private:
  void CreateControls();
  void OnInitDialog();

  CLinkStatic* firstLink_ = nullptr;
  CLinkStatic* secondLink_ = nullptr;
};
