// The application as a user sees it: windows, texts, enabled states, the registry and the
// shell entries it writes, under Wine. Each case is one run of the program.
#include "GuiHarness.h"

#include <ddeml.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "framework/EditView.h"
#include "framework/FrameWnd.h"
#include "framework/RecentFileList.h"
#include "framework/WinApp.h"
#include "resources/resource.h"
#include "shell/BrevixApp.h"
#include "shell/BrevixView.h"

using namespace gui;

namespace {
const std::string kProfile = "Software\\Vellacor\\Brevix";
const std::string kSettings = kProfile + "\\Settings";
const std::string kRecent = kProfile + "\\Recent File List";

std::string ProgramShortPath() {
    char path[MAX_PATH] = "", shortPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    GetShortPathNameA(path, shortPath, sizeof shortPath);
    return shortPath;
}

bool IsProcessEnabled() {
    return ButtonEnabled(ID_FILE_PROCESS) && MenuItemEnabled(ID_FILE_PROCESS);
}
bool IsCloseEnabled() {
    return ButtonEnabled(ID_FILE_NEW) && MenuItemEnabled(ID_FILE_NEW);
}

bool TitleIs(const std::string& title) {
    return WaitFor([&] { return Text(MainFrame()) == title; });
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard busy)";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}

void SetField(int id, const std::string& text) {
    SendMessageA(ToolbarChild(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Settle();
}

RECT ChildRectInToolBar(int id) {
    RECT rc = {};
    GetWindowRect(ToolbarChild(id), &rc);
    MapWindowPoints(nullptr, ToolBar(), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Drops files on the frame as the shell does.
void DropFiles(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        size += path.size() + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
    drop->pFiles = sizeof(DROPFILES);
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        std::memcpy(names, path.c_str(), path.size() + 1);
        names += path.size() + 1;
    }
    GlobalUnlock(h);
    PostMessageA(MainFrame(), WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
}

// Every text drawn into an enhanced metafile, in drawing order, one line each.
int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM lParam) {
    auto* out = reinterpret_cast<std::string*>(lParam);
    if (record->iType == EMR_EXTTEXTOUTW) {
        auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        auto* chars =
            reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
        for (DWORD i = 0; i < text->emrtext.nChars; ++i)
            *out += static_cast<char>(chars[i]);
        *out += '\n';
    } else if (record->iType == EMR_EXTTEXTOUTA) {
        auto* text = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
        *out += std::string(reinterpret_cast<const char*>(record) + text->emrtext.offString,
                            text->emrtext.nChars);
        *out += '\n';
    }
    return 1;
}

// Prints page nPage of the view into a letter-size metafile; the text on it and the page count.
std::string PrintPageToMetafile(UINT nPage, UINT* pPageCount) {
    auto* pView = dynamic_cast<CEditView*>(AfxGetApp()->m_pMainWnd->GetActiveView());
    if (pView == nullptr) return "(no view)";
    HDC hRef = GetDC(nullptr);
    RECT frame = {0, 0, 21590, 27940}; // 8.5 x 11 inches in 0.01 mm
    HDC hdc = CreateEnhMetaFileA(hRef, nullptr, &frame, nullptr);
    ReleaseDC(nullptr, hRef);
    CPrintInfo info;
    info.m_rectDraw = {0, 0, GetDeviceCaps(hdc, HORZRES), GetDeviceCaps(hdc, VERTRES)};
    pView->OnBeginPrinting(hdc, &info);
    *pPageCount = info.m_nMaxPage;
    info.m_nCurPage = nPage;
    pView->OnPrint(hdc, &info);
    pView->OnEndPrinting(hdc, &info);
    HENHMETAFILE hMeta = CloseEnhMetaFile(hdc);
    std::string text;
    EnumEnhMetaFile(nullptr, hMeta, CollectText, &text, nullptr);
    DeleteEnhMetaFile(hMeta);
    return text;
}

HWND FindChildByClass(HWND hParent, const char* cls) {
    return FindWindowExA(hParent, nullptr, cls, nullptr);
}

// Pure helpers of the shell and framework.
Register units({"units",
                [] {
                    // The help path: only the file name's ".HLP" becomes ".chm".
                    const char* help[][2] = {
                        {"C:\\Tools\\tool.HLP", "C:\\Tools\\tool.chm"},
                        {"C:\\A.HLP\\tool.HLP", "C:\\A.HLP\\tool.chm"},
                        {"C:\\A.HLP\\tool.hlp", "C:\\A.HLP\\tool.hlp"},
                        {"C:\\Tools\\tool", "C:\\Tools\\tool"},
                    };
                    for (auto& row : help)
                        CHECK_EQ(MakeHelpPath(row[0]), row[1]);
                    // Recent-file names in the menu: at most 30 characters.
                    const char* names[][2] = {
                        {"C:\\brevix-gui-tests\\lf.xml", "C:\\brevix-gui-tests\\lf.xml"},
                        {"C:\\brevix-gui-tests\\a-long-folder-name\\sub\\deep.xml", "C:\\...\\sub\\deep.xml"},
                        {"C:\\x\\an-extremely-long-file-name-indeed.xml",
                         "an-extremely-long-file-name-indeed.xml"},
                        {"\\\\server\\share\\folder\\another\\file.xml", "\\\\server\\share\\...\\file.xml"},
                    };
                    for (auto& row : names)
                        CHECK_EQ(AbbreviatePath(row[0], 30), row[1]);
                    // The view's line breaks: a CR before every LF.
                    CHECK_EQ(WithCarriageReturns("a\nb\r\nc\r"), "a\r\nb\r\r\nc\r");
                    // The command line: flags with exact case or any case, as each needs.
                    struct {
                        std::vector<const char*> args;
                        CCommandLineInfo::ShellCommand command;
                    } lines[] = {
                        {{}, CCommandLineInfo::FileNew},
                        {{"x.xml"}, CCommandLineInfo::FileOpen},
                        {{"/p", "x.xml"}, CCommandLineInfo::FilePrint},
                        {{"/P", "x.xml"}, CCommandLineInfo::FileOpen},
                        {{"-pt", "x.xml", "printer", "driver", "port"}, CCommandLineInfo::FilePrintTo},
                        {{"/dde"}, CCommandLineInfo::FileDDE},
                        {{"/DDE"}, CCommandLineInfo::FileNew},
                        {{"/unregister"}, CCommandLineInfo::AppUnregister},
                        {{"-UNREGSERVER"}, CCommandLineInfo::AppUnregister},
                        {{"/Embedding"}, CCommandLineInfo::FileNew},
                    };
                    for (auto& line : lines) {
                        CCommandLineInfo info;
                        for (size_t i = 0; i < line.args.size(); ++i) {
                            const char* arg = line.args[i];
                            bool flag = arg[0] == '/' || arg[0] == '-';
                            info.ParseParam(flag ? arg + 1 : arg, flag, i + 1 == line.args.size());
                        }
                        CHECK(info.m_nShellCommand == line.command);
                        if (line.command == CCommandLineInfo::FilePrintTo)
                            CHECK_EQ(info.m_strPrinterName + "|" + info.m_strDriverName + "|" +
                                         info.m_strPortName,
                                     "printer|driver|port");
                    }
                    return std::vector<std::string>();
                },
                nullptr, nullptr});

// A fresh profile: the main window as it first shows; typed key texts are kept at exit.
Register freshStart(
    {"fresh-start",
     [] {
         RegDeleteTreeAll(HKEY_CURRENT_USER, "Software\\Vellacor");
         return std::vector<std::string>();
     },
     [] {
         CHECK_EQ(Text(MainFrame()), "Untitled - Brevix");
         CHECK_EQ(Text(ToolbarChild(IDC_LEVEL_EDIT)), "topic");
         CHECK_EQ(Text(ToolbarChild(IDC_NAME_EDIT)), "title");
         CHECK_EQ(Text(ToolbarChild(IDC_LEVEL_LABEL)), "Chunk Level (tags)");
         CHECK_EQ(Text(ToolbarChild(IDC_NAME_LABEL)), "Chunk Name (tags and/or attributes)");
         CHECK_EQ(Text(ViewEdit()), "");
         // Empty document: Process and Close disabled; Settings, Open and About enabled; Copy off.
         CHECK(!ButtonEnabled(ID_FILE_PROCESS));
         CHECK(!MenuItemEnabled(ID_FILE_PROCESS));
         CHECK(!ButtonEnabled(ID_FILE_NEW));
         CHECK(!MenuItemEnabled(ID_FILE_NEW));
         CHECK(ButtonEnabled(ID_SETTINGS));
         CHECK(ButtonEnabled(ID_FILE_OPEN));
         CHECK(ButtonEnabled(ID_APP_ABOUT));
         CHECK(!ButtonEnabled(ID_EDIT_COPY));
         CHECK(MenuItemEnabled(ID_FILE_PRINT));
         CHECK(!MenuItemEnabled(ID_FILE_MRU_FILE1)); // the "Recent File" placeholder

         // The toolbar: 7 buttons, then the separators that hold the fields.
         const int ids[] = {ID_FILE_NEW,
                            ID_FILE_OPEN,
                            ID_EDIT_COPY,
                            ID_FILE_PRINT,
                            ID_APP_ABOUT,
                            ID_SETTINGS,
                            ID_FILE_PROCESS,
                            0,
                            IDC_LEVEL_LABEL,
                            IDC_LEVEL_EDIT,
                            0,
                            IDC_NAME_LABEL,
                            IDC_NAME_EDIT};
         CHECK(SendMessageA(ToolBar(), TB_BUTTONCOUNT, 0, 0) == 13);
         for (int i = 0; i < 13; ++i) {
             TBBUTTON button = {};
             SendMessageA(ToolBar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
             CHECK_EQ(std::to_string(button.idCommand), std::to_string(ids[i]));
             CHECK((i < 7) == !(button.fsStyle & TBSTYLE_SEP));
         }
         CHECK(GetWindowLongA(ToolBar(), GWL_STYLE) & TBSTYLE_FLAT);
         CHECK(GetWindowLongA(ToolBar(), GWL_STYLE) & TBSTYLE_TOOLTIPS);
         // Widths W x 18, W x 32, W x 35, W x 32; labels 3 right and 3 down of their places.
         HDC hdc = GetDC(StatusBar());
         TEXTMETRICA tm = {};
         GetTextMetricsA(hdc, &tm);
         ReleaseDC(StatusBar(), hdc);
         int w = tm.tmAveCharWidth - 1;
         struct {
             int index, id, chars, offset;
         } places[] = {{8, IDC_LEVEL_LABEL, 18, 3},
                       {9, IDC_LEVEL_EDIT, 32, 0},
                       {11, IDC_NAME_LABEL, 35, 3},
                       {12, IDC_NAME_EDIT, 32, 0}};
         for (auto& place : places) {
             RECT item = {};
             SendMessageA(ToolBar(), TB_GETITEMRECT, place.index, reinterpret_cast<LPARAM>(&item));
             RECT child = ChildRectInToolBar(place.id);
             CHECK_EQ(std::to_string(item.right - item.left), std::to_string(w * place.chars));
             CHECK_EQ(std::to_string(child.right - child.left), std::to_string(w * place.chars));
             CHECK_EQ(std::to_string(child.left) + "," + std::to_string(child.top),
                      std::to_string(item.left + place.offset) + "," +
                          std::to_string(item.top + place.offset));
             CHECK(GetParent(ToolbarChild(place.id)) == ToolBar());
         }
         HWND hEdit = ToolbarChild(IDC_LEVEL_EDIT);
         CHECK(GetWindowLongA(hEdit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
         CHECK(GetWindowLongA(hEdit, GWL_STYLE) & ES_AUTOHSCROLL);
         CHECK(GetWindowLongA(hEdit, GWL_STYLE) & WS_TABSTOP);
         CHECK(SendMessageA(hEdit, WM_GETFONT, 0, 0) == SendMessageA(StatusBar(), WM_GETFONT, 0, 0));

         // Menu bar and File menu in order; "&Settings" is a command on the bar itself.
         HMENU bar = GetMenu(MainFrame());
         std::string barText;
         for (int i = 0; i < GetMenuItemCount(bar); ++i) {
             char text[64] = "";
             GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
             barText += std::string(text) + "|";
         }
         CHECK_EQ(barText, "&File|&Edit|&View|&Settings|&Help|");
         CHECK(GetSubMenu(bar, 3) == nullptr && GetMenuItemID(bar, 3) == ID_SETTINGS);
         const char* fileItems[] = {
             "&Close\tCtrl+N", "&Open...\tCtrl+O", "", "Proce&ss...\tCtrl+S", "", "&Print...\tCtrl+P",
             "Print Pre&view", "P&rint Setup...",  "", "Recent File",         "", "E&xit"};
         for (int i = 0; i < 12; ++i)
             CHECK_EQ(MenuItemText(0, i), fileItems[i]);
         CHECK_EQ(MenuItemText(1, 0), "&Copy\tCtrl+C");
         CHECK_EQ(MenuItemText(2, 0) + "|" + MenuItemText(2, 1), "&Toolbar|&Status Bar");
         CHECK_EQ(MenuItemText(4, 0) + "|" + MenuItemText(4, 1), "Contents\tF1|&About Brevix");
         CHECK(MenuItemChecked(ID_VIEW_TOOLBAR) && MenuItemChecked(ID_VIEW_STATUS_BAR));

         // Status bar: "Ready", a menu item's prompt while it is highlighted, tooltips.
         auto pane0 = [] {
             char text[256] = "";
             SendMessageA(StatusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
             return std::string(text);
         };
         CHECK(SendMessageA(StatusBar(), SB_GETPARTS, 0, 0) == 4);
         CHECK_EQ(pane0(), "Ready");
         HMENU file = GetSubMenu(bar, 0);
         SendMessageA(MainFrame(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_PROCESS, MF_HILITE),
                      reinterpret_cast<LPARAM>(file));
         CHECK_EQ(pane0(), "Process the active document");
         SendMessageA(MainFrame(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_MRU_FILE1, MF_HILITE),
                      reinterpret_cast<LPARAM>(file));
         CHECK_EQ(pane0(), "Open this document");
         SendMessageA(MainFrame(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
         CHECK_EQ(pane0(), "Ready");
         const std::pair<UINT, const char*> tips[] = {{ID_FILE_NEW, "Close"},      {ID_FILE_OPEN, "Open"},
                                                      {ID_EDIT_COPY, "Copy"},      {ID_FILE_PRINT, "Print"},
                                                      {ID_APP_ABOUT, "About"},     {ID_SETTINGS, "Settings"},
                                                      {ID_FILE_PROCESS, "Process"}};
         for (auto& tip : tips) {
             NMTTDISPINFOA info = {};
             info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(ToolBar(), TB_GETTOOLTIPS, 0, 0));
             info.hdr.idFrom = tip.first;
             info.hdr.code = TTN_GETDISPINFOA;
             SendMessageA(MainFrame(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
             CHECK_EQ(info.lpszText != nullptr ? std::string(info.lpszText) : "", tip.second);
         }

         // The user types new key texts; they are kept at exit.
         SetField(IDC_LEVEL_EDIT, "chapter, section");
         SetField(IDC_NAME_EDIT, "heading @id");
     },
     [](int) {
         CHECK_EQ(RegString(HKEY_CURRENT_USER, kSettings, "tag"), "chapter, section");
         CHECK_EQ(RegString(HKEY_CURRENT_USER, kSettings, "attrs"), "heading @id");
         CHECK(!RegKeyExists(HKEY_CURRENT_USER, kSettings + "\\PreviewPages"));
     }});

// The next start shows what the last one saved (this case runs after fresh-start, in the listed
// order); hiding the toolbar keeps the texts.
Register restart({"restart", nullptr,
                  [] {
                      CHECK_EQ(Text(ToolbarChild(IDC_LEVEL_EDIT)), "chapter, section");
                      CHECK_EQ(Text(ToolbarChild(IDC_NAME_EDIT)), "heading @id");
                      SetField(IDC_LEVEL_EDIT, "topic");
                      PostCommand(ID_VIEW_TOOLBAR);
                      CHECK(WaitFor([] { return !IsWindowVisible(ToolBar()); }));
                      CHECK(!MenuItemChecked(ID_VIEW_TOOLBAR));
                      PostCommand(ID_VIEW_TOOLBAR);
                      CHECK(WaitFor([] { return IsWindowVisible(ToolBar()); }));
                      CHECK(MenuItemChecked(ID_VIEW_TOOLBAR));
                      CHECK_EQ(Text(ToolbarChild(IDC_LEVEL_EDIT)), "topic");
                      PostCommand(ID_VIEW_STATUS_BAR);
                      CHECK(WaitFor([] { return !IsWindowVisible(StatusBar()); }));
                      CHECK(!MenuItemChecked(ID_VIEW_STATUS_BAR));
                      PostCommand(ID_VIEW_STATUS_BAR);
                      CHECK(WaitFor([] { return IsWindowVisible(StatusBar()); }));
                      // The lock-key indicators follow the keys at idle time.
                      auto pane = [](int index) {
                          char text[64] = "";
                          SendMessageA(StatusBar(), SB_GETTEXTA, index, reinterpret_cast<LPARAM>(text));
                          return std::string(text);
                      };
                      bool capsOn = (GetKeyState(VK_CAPITAL) & 1) != 0;
                      CHECK_EQ(pane(1), capsOn ? "CAP" : "");
                      PressKeys({VK_CAPITAL});
                      CHECK(WaitFor([&] { return pane(1) == (capsOn ? "" : "CAP"); }));
                      PressKeys({VK_CAPITAL});
                      CHECK(WaitFor([&] { return pane(1) == (capsOn ? "CAP" : ""); }));
                  },
                  [](int) { CHECK_EQ(RegString(HKEY_CURRENT_USER, kSettings, "tag"), "topic"); }});

// Open, read, copy, the Process and Close enabling, reopen, Close.
Register openClose({"open-close", nullptr,
                    [] {
                        std::string lf = WriteFile("lf.xml", "<a>\n<topic>x</topic>\n</a>\n");
                        std::string crlf = WriteFile("crlf.xml", "a\r\nb\r\n");
                        std::string empty = WriteFile("empty.xml", "");
                        // The Open dialog: its title and the document type's filter, then all files.
                        PostCommand(ID_FILE_OPEN);
                        HWND hOpen = WaitForDialog("Open");
                        if (CHECK(hOpen != nullptr)) {
                            HWND hTypes = GetDlgItem(hOpen, 1136);
                            char item[128] = "";
                            CHECK(SendMessageA(hTypes, CB_GETCOUNT, 0, 0) == 2);
                            SendMessageA(hTypes, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
                            CHECK_EQ(item, "Brevix Files (*.xml)");
                            SendMessageA(hTypes, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
                            CHECK_EQ(item, "All Files (*.*)");
                            // A path too long for the dialog is refused with a message; it stays open.
                            std::string tooLong = TempDir() + "\\" + std::string(267, 'c'); // 287 characters
                            SendMessageA(GetDlgItem(hOpen, 1148), WM_SETTEXT, 0,
                                         reinterpret_cast<LPARAM>(tooLong.c_str()));
                            PostMessageA(hOpen, WM_COMMAND, IDOK, 0);
                            CHECK_EQ(AnswerMessageBox(),
                                     "This path is too long. Choose a shorter file name or a "
                                     "folder with a shorter path.");
                            // A name that does not exist is refused by the dialog itself.
                            SendMessageA(GetDlgItem(hOpen, 1148), WM_SETTEXT, 0,
                                         reinterpret_cast<LPARAM>("C:\\no-such-file.xml"));
                            PostMessageA(hOpen, WM_COMMAND, IDOK, 0);
                            Sleep(300);
                            CHECK(IsWindow(hOpen));
                            for (int i = 0; i < 3 && IsWindow(hOpen); ++i) {
                                // Dismiss the dialog's own warning, then cancel.
                                HWND hWarning = GetLastActivePopup(hOpen);
                                if (hWarning != hOpen) PostMessageA(hWarning, WM_COMMAND, IDOK, 0);
                                Sleep(200);
                                PostMessageA(hOpen, WM_COMMAND, IDCANCEL, 0);
                                WaitFor([&] { return !IsWindow(hOpen); }, 1000);
                            }
                            CHECK(!IsWindow(hOpen));
                            CHECK_EQ(Text(MainFrame()), "Untitled - Brevix");
                        }
                        CHECK(OpenWithDialog(lf));
                        CHECK(TitleIs("lf.xml - Brevix"));
                        CHECK_EQ(Text(ViewEdit()), "<a>\r\n<topic>x</topic>\r\n</a>\r\n");
                        LONG style = GetWindowLongA(ViewEdit(), GWL_STYLE);
                        CHECK(style & ES_READONLY);
                        CHECK(!(style & WS_HSCROLL) && !(style & ES_AUTOHSCROLL) && (style & WS_VSCROLL) &&
                              (style & ES_MULTILINE));
                        Settle();
                        CHECK(IsProcessEnabled());
                        CHECK(IsCloseEnabled());
                        CHECK_EQ(MenuItemText(0, 9), "&1 " + lf);

                        // Copy runs only with a selection.
                        SetClipboardText("sentinel");
                        SendMessageA(ViewEdit(), EM_SETSEL, 0, 0);
                        Settle();
                        CHECK(!ButtonEnabled(ID_EDIT_COPY));
                        PressKeys({VK_CONTROL, 'C'});
                        CHECK_EQ(ClipboardText(), "sentinel");
                        SendMessageA(ViewEdit(), EM_SETSEL, 0, 3);
                        Settle();
                        CHECK(ButtonEnabled(ID_EDIT_COPY));
                        PressKeys({VK_CONTROL, 'C'});
                        CHECK(WaitFor([] { return ClipboardText() == "<a>"; }));
                        // Typing into the view changes nothing.
                        SendMessageA(ViewEdit(), WM_CHAR, 'z', 0);
                        CHECK_EQ(Text(ViewEdit()), "<a>\r\n<topic>x</topic>\r\n</a>\r\n");

                        // The chunk level field decides Process at the next idle update; blanks count as
                        // text.
                        SetField(IDC_LEVEL_EDIT, "");
                        CHECK(!IsProcessEnabled());
                        CHECK(IsCloseEnabled());
                        PressKeys({VK_CONTROL, 'S'});
                        CHECK_EQ(Text(MainFrame()), "lf.xml - Brevix");
                        SetField(IDC_LEVEL_EDIT, "  ");
                        CHECK(IsProcessEnabled());
                        SetField(IDC_NAME_EDIT, "");
                        CHECK(IsProcessEnabled());
                        SetField(IDC_LEVEL_EDIT, "topic");
                        SetField(IDC_NAME_EDIT, "title");

                        // CR LF files show CR CR LF; opening the open file again does not reread it.
                        CHECK(OpenWithDialog(crlf));
                        CHECK(TitleIs("crlf.xml - Brevix"));
                        CHECK_EQ(Text(ViewEdit()), "a\r\r\nb\r\r\n");
                        WriteFile("crlf.xml", "changed\r\n");
                        CHECK(OpenWithDialog(crlf));
                        Settle();
                        CHECK_EQ(Text(ViewEdit()), "a\r\r\nb\r\r\n");

                        // Close from the toolbar: the empty document.
                        PostMessageA(MainFrame(), WM_COMMAND, MAKEWPARAM(ID_FILE_NEW, BN_CLICKED),
                                     reinterpret_cast<LPARAM>(ToolBar()));
                        CHECK(TitleIs("Untitled - Brevix"));
                        CHECK_EQ(Text(ViewEdit()), "");
                        Settle();
                        CHECK(!IsProcessEnabled());
                        CHECK(!IsCloseEnabled());
                        // Ctrl+N on the empty document is disabled and does nothing.
                        PressKeys({VK_CONTROL, 'N'});
                        CHECK_EQ(Text(MainFrame()), "Untitled - Brevix");

                        // Close then Open rereads; an empty file opens with its name.
                        CHECK(OpenWithDialog(crlf));
                        CHECK(TitleIs("crlf.xml - Brevix"));
                        CHECK_EQ(Text(ViewEdit()), "changed\r\r\n");
                        PressKeys({VK_CONTROL, 'N'});
                        CHECK(TitleIs("Untitled - Brevix"));
                        CHECK(OpenWithDialog(empty));
                        CHECK(TitleIs("empty.xml - Brevix"));
                        CHECK_EQ(Text(ViewEdit()), "");
                        Settle();
                        CHECK(IsProcessEnabled());
                    },
                    [](int) {
                        CHECK_EQ(RegString(HKEY_CURRENT_USER, kRecent, "File1"), TempDir() + "\\empty.xml");
                        CHECK_EQ(RegString(HKEY_CURRENT_USER, kRecent, "File2"), TempDir() + "\\crlf.xml");
                        CHECK_EQ(RegString(HKEY_CURRENT_USER, kRecent, "File3"), TempDir() + "\\lf.xml");
                    }});

// The view's limit, and files it cannot show whole.
Register tooLarge({"too-large", nullptr,
                   [] {
                       std::string line(79, 'x');
                       line += '\n';
                       std::string text;
                       while (text.size() + line.size() <= 1048575)
                           text += line;
                       text += std::string(1048575 - text.size(), 'y');
                       std::string fits = WriteFile("fits.xml", text);
                       std::string large = WriteFile("large.xml", text + "z");
                       CHECK(OpenWithDialog(fits));
                       CHECK(TitleIs("fits.xml - Brevix"));
                       CHECK(GetWindowTextLengthA(ViewEdit()) == static_cast<int>(1048575 + 1048575 / 80));
                       CHECK(OpenWithDialog(large));
                       CHECK_EQ(AnswerMessageBox(), "The file is too large to open.");
                       CHECK(TitleIs("Untitled - Brevix"));
                       CHECK_EQ(Text(ViewEdit()), "");
                       Settle();
                       CHECK(!IsCloseEnabled());
                       // A zero byte: the edit control does not take the whole text.
                       std::string zero = WriteFile("zero.xml", std::string("ab\0cd", 5));
                       CHECK(OpenWithDialog(zero));
                       CHECK_EQ(AnswerMessageBox(), "Failed to open document.");
                       CHECK(TitleIs("Untitled - Brevix"));
                   },
                   nullptr});

// Recent files: a missing one is reported and leaves the list; at most four are kept.
Register recent({"recent",
                 [] {
                     RegDeleteTreeAll(HKEY_CURRENT_USER, kRecent);
                     return std::vector<std::string>();
                 },
                 [] {
                     std::string gone = WriteFile("gone.xml", "<gone/>\n");
                     std::string kept = WriteFile("kept.xml", "<kept/>\n");
                     CHECK(OpenWithDialog(gone));
                     CHECK(OpenWithDialog(kept));
                     CHECK(TitleIs("kept.xml - Brevix"));
                     DeleteFileA(gone.c_str());
                     CHECK_EQ(MenuItemText(0, 10), "&2 " + gone);
                     PostCommand(ID_FILE_MRU_FILE1 + 1);
                     CHECK_EQ(AnswerMessageBox(), gone + " was not found.");
                     Settle();
                     CHECK_EQ(Text(MainFrame()), "kept.xml - Brevix");
                     CHECK_EQ(Text(ViewEdit()), "<kept/>\r\n");
                     CHECK_EQ(MenuItemText(0, 9), "&1 " + kept);
                     CHECK_EQ(MenuItemText(0, 10), ""); // the separator after the one entry
                     // Five distinct files: the first falls out.
                     for (int i = 1; i <= 5; ++i)
                         CHECK(OpenWithDialog(WriteFile("r" + std::to_string(i) + ".xml", "r\n")));
                     CHECK(TitleIs("r5.xml - Brevix"));
                     // An entry reopens its file.
                     PostCommand(ID_FILE_MRU_FILE1 + 3);
                     CHECK(TitleIs("r2.xml - Brevix"));
                 },
                 [](int) {
                     CHECK_EQ(RegString(HKEY_CURRENT_USER, kRecent, "File1"), TempDir() + "\\r2.xml");
                     CHECK_EQ(RegString(HKEY_CURRENT_USER, kRecent, "File2"), TempDir() + "\\r5.xml");
                     CHECK_EQ(RegString(HKEY_CURRENT_USER, kRecent, "File3"), TempDir() + "\\r4.xml");
                     CHECK_EQ(RegString(HKEY_CURRENT_USER, kRecent, "File4"), TempDir() + "\\r3.xml");
                     bool exists = true;
                     RegString(HKEY_CURRENT_USER, kRecent, "File5", &exists);
                     CHECK(!exists);
                 }});

// Files dropped together open in turn; the last that opens stays open and heads the list. A
// name too long to open is reported, not cut short to another file's name.
Register drop({"drop", nullptr,
               [] {
                   std::string first = WriteFile("first.xml", "<first/>\n");
                   std::string second = WriteFile("second.xml", "<second/>\n");
                   std::string other = WriteFile(std::string(259 - TempDir().size() - 1, 'o'), "<other/>\n");
                   DropFiles({first, second, other + "x"});
                   CHECK_EQ(AnswerMessageBox(), other + "x was not found.");
                   CHECK(TitleIs("second.xml - Brevix"));
                   CHECK_EQ(Text(ViewEdit()), "<second/>\r\n");
                   CHECK_EQ(MenuItemText(0, 9), "&1 " + second);
                   CHECK_EQ(MenuItemText(0, 10), "&2 " + first);
               },
               nullptr});

// A start-up file that is missing: the message, then the program ends without a window.
Register missingStart({"missing-start", [] { return std::vector<std::string>{TempDir() + "\\nope.xml"}; },
                       [] { CHECK_EQ(AnswerMessageBox(8000), TempDir() + "\\nope.xml was not found."); },
                       [](int) {
                           CHECK(AfxGetApp()->m_pMainWnd == nullptr);
                           CHECK_EQ(RegString(HKEY_CURRENT_USER, kSettings, "tag"), "topic");
                       },
                       false});

// The shell's entries, with ".xml" free: it is claimed with its ShellNew entry.
Register
    shellOwn({"shell-own-xml",
              [] {
                  RegDeleteTreeAll(HKEY_CLASSES_ROOT, ".xml");
                  RegDeleteTreeAll(HKEY_CLASSES_ROOT, "Brevix.Document");
                  return std::vector<std::string>();
              },
              [] {
                  std::string program = ProgramShortPath();
                  CHECK_EQ(RegString(HKEY_CLASSES_ROOT, "Brevix.Document", nullptr), "Brevix Document");
                  CHECK_EQ(RegString(HKEY_CLASSES_ROOT, "Brevix.Document\\DefaultIcon", nullptr),
                           program + ",1");
                  CHECK_EQ(RegString(HKEY_CLASSES_ROOT, "Brevix.Document\\shell\\open\\command", nullptr),
                           program + " \"%1\"");
                  CHECK_EQ(RegString(HKEY_CLASSES_ROOT, "Brevix.Document\\shell\\print\\command", nullptr),
                           program + " /p \"%1\"");
                  CHECK_EQ(RegString(HKEY_CLASSES_ROOT, "Brevix.Document\\shell\\printto\\command", nullptr),
                           program + " /pt \"%1\" \"%2\" \"%3\" \"%4\"");
                  CHECK_EQ(RegString(HKEY_CLASSES_ROOT, ".xml", nullptr), "Brevix.Document");
                  bool exists = false;
                  CHECK_EQ(RegString(HKEY_CLASSES_ROOT, ".xml\\ShellNew", "NullFile", &exists), "");
                  CHECK(exists);
              },
              nullptr});

// ".xml" of another class stays so; the document type's own entries are still written.
Register shellOther({"shell-other-xml",
                     [] {
                         RegDeleteTreeAll(HKEY_CLASSES_ROOT, ".xml");
                         RegDeleteTreeAll(HKEY_CLASSES_ROOT, "Brevix.Document");
                         RegSetString(HKEY_CLASSES_ROOT, ".xml", nullptr, "xmlfile");
                         return std::vector<std::string>();
                     },
                     [] {
                         CHECK_EQ(RegString(HKEY_CLASSES_ROOT, ".xml", nullptr), "xmlfile");
                         CHECK(!RegKeyExists(HKEY_CLASSES_ROOT, ".xml\\ShellNew"));
                         CHECK_EQ(RegString(HKEY_CLASSES_ROOT, "Brevix.Document", nullptr),
                                  "Brevix Document");
                     },
                     nullptr});

// /Unregister: the shell entries and the profile go, with the message; exit writes the keys.
Register unregister(
    {"unregister",
     [] {
         RegDeleteTreeAll(HKEY_CLASSES_ROOT, ".xml");
         RegSetString(HKEY_CURRENT_USER, kRecent, "File1", "C:\\x.xml");
         RegSetString(HKEY_CURRENT_USER, kSettings, "ext", "txt");
         RegSetString(HKEY_CURRENT_USER, kSettings, "tag", "para");
         return std::vector<std::string>{"/Unregister"};
     },
     [] {
         CHECK_EQ(AnswerMessageBox(8000),
                  "System registry entries have been removed and the INI file (if any) was deleted.");
     },
     [](int) {
         CHECK(!RegKeyExists(HKEY_CLASSES_ROOT, "Brevix.Document"));
         CHECK(!RegKeyExists(HKEY_CLASSES_ROOT, ".xml"));
         CHECK(!RegKeyExists(HKEY_CURRENT_USER, kRecent));
         bool exists = true;
         RegString(HKEY_CURRENT_USER, kSettings, "ext", &exists);
         CHECK(!exists);
         CHECK_EQ(RegString(HKEY_CURRENT_USER, kSettings, "tag"), "para");
         CHECK_EQ(RegString(HKEY_CURRENT_USER, kSettings, "attrs"), "title");
         CHECK(AfxGetApp()->m_pMainWnd == nullptr);
     },
     false});

// F1 and Ctrl+F1 reach Help, which binds the help library; a missing .chm is no failure.
Register help({"help", nullptr,
               [] {
                   CHECK_EQ(TheApp().GetHelpFilePath().substr(TheApp().GetHelpFilePath().size() - 20),
                            "brevix-gui-tests.chm");
                   CHECK(GetModuleHandleA("hhctrl.ocx") == nullptr);
                   PressKeys({VK_F1});
                   CHECK(WaitFor([] { return GetModuleHandleA("hhctrl.ocx") != nullptr; }));
                   PressKeys({VK_CONTROL, VK_F1});
                   PressKeys({VK_F1});
                   Settle();
                   CHECK(IsWindow(MainFrame()));
                   CHECK_EQ(Text(MainFrame()), "Untitled - Brevix");
               },
               nullptr});

// Printing lays the text out page by page; preview shows it and keeps its page count.
Register print(
    {"print", nullptr,
     [] {
         std::string text;
         for (int i = 1; i <= 150; ++i)
             text += "<p>line " + std::to_string(i) + "</p>\n";
         CHECK(OpenWithDialog(WriteFile("print.xml", text)));
         CHECK(TitleIs("print.xml - Brevix"));
         UINT pages = 0;
         std::string page1 = PrintPageToMetafile(1, &pages);
         CHECK(pages >= 2);
         CHECK_EQ(page1.substr(0, 32), "<p>line 1</p>\n<p>line 2</p>\n<p>l");
         std::string page2 = PrintPageToMetafile(2, &pages);
         // Page 2 goes on where page 1 stopped.
         size_t lines1 = static_cast<size_t>(std::count(page1.begin(), page1.end(), '\n'));
         CHECK_EQ(page2.substr(0, page2.find('\n')), "<p>line " + std::to_string(lines1 + 1) + "</p>");

         PostCommand(ID_FILE_PRINT_PREVIEW);
         HWND hPreview = nullptr;
         CHECK(WaitFor([&] {
             return (hPreview = FindChildByClass(MainFrame(), "BrevixPreview")) != nullptr &&
                    IsWindowVisible(hPreview);
         }));
         // The preview takes the whole client area: the frame's bars are hidden, and its
         // buttons answer the real mouse, not whatever frame window lay under them.
         CHECK(!IsWindowVisible(ViewEdit()) && !IsWindowVisible(ToolBar()) && !IsWindowVisible(StatusBar()));
         HWND hPages = GetDlgItem(hPreview, AFX_ID_PREVIEW_NUMPAGE);
         HWND hPrev = GetDlgItem(hPreview, AFX_ID_PREVIEW_PREV);
         CHECK_EQ(Text(hPages), "&Two Page");
         CHECK(!IsWindowEnabled(hPrev) && IsWindowEnabled(GetDlgItem(hPreview, AFX_ID_PREVIEW_NEXT)));
         CHECK_EQ(Text(GetDlgItem(hPreview, AFX_ID_PREVIEW_PRINT)), "&Print...");
         Click(GetDlgItem(hPreview, AFX_ID_PREVIEW_NEXT));
         CHECK(WaitFor([&] { return IsWindowEnabled(hPrev) != 0; }));
         Click(hPages);
         CHECK(WaitFor([&] { return Text(hPages) == "&One Page"; }));
         Click(GetDlgItem(hPreview, AFX_ID_PREVIEW_CLOSE));
         CHECK(WaitFor([&] { return !IsWindow(hPreview) || !IsWindowVisible(hPreview); }));
         CHECK(WaitFor([] { return IsWindowVisible(ViewEdit()) && IsWindowVisible(ToolBar()); }) &&
               IsWindowVisible(StatusBar()));
         // Nothing under the buttons fired: no dialog, the same document, the view focused.
         GUITHREADINFO info = {};
         info.cbSize = sizeof info;
         GetGUIThreadInfo(GetWindowThreadProcessId(MainFrame(), nullptr), &info);
         CHECK(GetForegroundWindow() == MainFrame() && info.hwndFocus == ViewEdit());
         CHECK_EQ(Text(MainFrame()), "print.xml - Brevix");
     },
     [](int) {
         HKEY hKey = nullptr;
         DWORD value = 0, size = sizeof value, type = 0;
         if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettings.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
             RegQueryValueExA(hKey, "PreviewPages", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
             RegCloseKey(hKey);
         }
         CHECK(type == REG_DWORD && value == 2);
     }});

// The About box: template 100 with its texts, in MS Sans Serif; OK and Escape close it.
Register about(
    {"about", nullptr,
     [] {
         PostCommand(ID_APP_ABOUT);
         HWND hDlg = WaitForDialog("About Brevix");
         if (!CHECK(hDlg != nullptr)) return;
         std::string texts;
         for (HWND h = GetWindow(hDlg, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT))
             texts += ((GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON ? "(icon)" : Text(h)) + "|";
         CHECK_EQ(texts, "OK|(icon)|Brevix - Version 1.4|Copyright (C) 2026 Vellacor|vellacor.example|");
         CHECK(GetWindow(hDlg, GW_OWNER) == MainFrame());
         HDC hdc = GetDC(hDlg);
         HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageA(hDlg, WM_GETFONT, 0, 0)));
         char face[64] = "";
         GetTextFaceA(hdc, sizeof face, face);
         SelectObject(hdc, old);
         ReleaseDC(hDlg, hdc);
         CHECK_EQ(face, "MS Sans Serif");
         RECT size = {0, 0, 235, 110};
         MapDialogRect(hDlg, &size);
         RECT client = {};
         GetClientRect(hDlg, &client);
         CHECK_EQ(std::to_string(client.right) + "x" + std::to_string(client.bottom),
                  std::to_string(size.right) + "x" + std::to_string(size.bottom));
         PostMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
         CHECK(WaitFor([&] { return !IsWindow(hDlg); }));
         PostMessageA(ToolBar(), WM_NULL, 0, 0);
         PostMessageA(MainFrame(), WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, BN_CLICKED),
                      reinterpret_cast<LPARAM>(ToolBar()));
         hDlg = WaitForDialog("About Brevix");
         CHECK(hDlg != nullptr);
         PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
         CHECK(WaitFor([&] { return !IsWindow(hDlg); }));
     },
     nullptr});

// The shell opens a file in the running program by DDE.
HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

Register dde({"dde", nullptr,
              [] {
                  std::string path = WriteFile("dde.xml", "<dde/>\n");
                  DWORD instance = 0;
                  if (!CHECK(DdeInitializeA(&instance, DdeCallback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR))
                      return;
                  HSZ service = DdeCreateStringHandleA(instance, "brevix-gui-tests", CP_WINANSI);
                  HSZ topic = DdeCreateStringHandleA(instance, "system", CP_WINANSI);
                  HCONV conv = DdeConnect(instance, service, topic, nullptr);
                  if (CHECK(conv != nullptr)) {
                      std::string command = "[open(\"" + path + "\")]";
                      DWORD result = 0;
                      HDDEDATA done = DdeClientTransaction(reinterpret_cast<BYTE*>(&command[0]),
                                                           static_cast<DWORD>(command.size() + 1), conv,
                                                           nullptr, 0, XTYP_EXECUTE, 5000, &result);
                      CHECK(done != nullptr);
                      CHECK(TitleIs("dde.xml - Brevix"));
                      DdeDisconnect(conv);
                  }
                  DdeFreeStringHandle(instance, service);
                  DdeFreeStringHandle(instance, topic);
                  DdeUninitialize(instance);
              },
              nullptr});
} // namespace

namespace {
// Not a test: poses the program for scripts/screenshots.sh. The frame is placed at the
// screen's top left; for each pose it writes C:\shots\<pose>.ready with the frame's
// rectangle, and waits for <pose>.done before the next.
void Pose(const char* name) {
    RECT rc = {};
    GetWindowRect(MainFrame(), &rc);
    CreateDirectoryA("C:\\shots", nullptr);
    std::string base = std::string("C:\\shots\\") + name;
    std::string rect = std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top) + "+" +
                       std::to_string(rc.left) + "+" + std::to_string(rc.top);
    Sleep(700);
    FILE* file = std::fopen((base + ".ready").c_str(), "wb");
    if (file != nullptr) {
        std::fputs(rect.c_str(), file);
        std::fclose(file);
    }
    WaitFor([&] { return GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

Register shots({"shots", [] { return std::vector<std::string>(); },
                [] {
                    char sample[MAX_PATH] = "";
                    GetEnvironmentVariableA("BREVIX_SAMPLE", sample, sizeof sample);
                    SetWindowPos(MainFrame(), nullptr, 0, 0, 1000, 620, SWP_NOZORDER);
                    CHECK(OpenWithDialog(sample));
                    CHECK(TitleIs("user-guide.xml - Brevix"));
                    SendMessageA(ViewEdit(), EM_SETSEL, 0, 0);
                    Settle();
                    Pose("main-window");
                    PostMessageA(MainFrame(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
                    Pose("file-menu");
                    PostMessageA(MainFrame(), WM_CANCELMODE, 0, 0);
                    PressKeys({VK_ESCAPE});
                    PressKeys({VK_ESCAPE});
                    PostCommand(ID_FILE_PRINT_PREVIEW);
                    WaitFor([] { return FindChildByClass(MainFrame(), "BrevixPreview") != nullptr; });
                    Pose("print-preview");
                    Click(GetDlgItem(FindChildByClass(MainFrame(), "BrevixPreview"), AFX_ID_PREVIEW_CLOSE));
                    WaitFor([] { return IsWindowVisible(ViewEdit()) != 0; });
                    PostCommand(ID_APP_ABOUT);
                    HWND hAbout = WaitForDialog("About Brevix");
                    Pose("about-box");
                    PostMessageA(hAbout, WM_COMMAND, IDOK, 0);
                    WaitFor([&] { return !IsWindow(hAbout); });
                },
                nullptr});
} // namespace
