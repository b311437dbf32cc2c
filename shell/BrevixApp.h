// CBrevixApp: the application object: start-up, exit, About, Settings and Help.
#pragma once

#include "framework/WinApp.h"

class ChunkSettings;

class CBrevixApp : public CWinApp {
public:
    CBrevixApp();

    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

    // The help file path after start-up: the program's path with ".chm".
    const CString& GetHelpFilePath() const { return m_pszHelpFilePath; }

protected:
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Command handlers
    void OnAppAbout();
    void OnSettings();
    void OnUpdateSettings(CCmdUI* pCmdUI);
    void OnHelpContents();
    void ShowHelpTopic(const char* pszTopic) override;

private:
    ChunkSettings* m_pSettings;  // the process-wide record; not owned
};

// The help file path of a program: ".HLP" of the file name (exact case) becomes ".chm"; a
// ".HLP" in a folder name stays.
CString MakeHelpPath(const CString& helpFilePath);

// The one application object.
CBrevixApp& TheApp();
