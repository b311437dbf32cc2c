// CAboutDlg: the About box, template 100: the program's name and version.
#pragma once

#include "framework/Dialog.h"
#include "resources/resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
