// The application as a user sees it: windows, texts, enabled states, the registry and the
// shell entries it writes, under Wine. Each run prepares the profile it needs.
#include "GuiHarness.h"

#include <ddeml.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

using namespace gui;

namespace {
const std::string kRecent = kProfile + "\\Recent File List";

// The state of menu item nID after the menu holding it was opened (all bits set when there is none).
UINT MenuState(UINT nID) {
    HMENU bar = GetMenu(MainFrame());
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        SendMessageA(MainFrame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, i)), i);
        if (GetMenuState(GetSubMenu(bar, i), nID, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return GetMenuState(GetSubMenu(bar, i), nID, MF_BYCOMMAND);
    }
    return static_cast<UINT>(-1);
}
bool MenuItemEnabled(UINT nID) {
    return !(MenuState(nID) & (MF_GRAYED | MF_DISABLED));
}
bool Enabled(UINT nID) { // the toolbar button and the menu item
    return ButtonEnabled(nID) && MenuItemEnabled(nID);
}
// The text of the item at position index of the File menu, after it was opened.
std::string FileMenuText(int index) {
    HMENU file = GetSubMenu(GetMenu(MainFrame()), 0);
    SendMessageA(MainFrame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    char text[256] = "";
    GetMenuStringA(file, static_cast<UINT>(index), text, sizeof text, MF_BYPOSITION);
    return text;
}
// Opens path with File > Open, typing it into the Open dialog.
bool OpenWithDialog(const std::string& path) {
    PostCommand(ID_FILE_OPEN);
    HWND hDlg = WaitForDialog("Open");
    SendMessageA(NameBox(hDlg), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    return CHECK(hDlg != nullptr) && WaitFor([&] { return !IsWindow(hDlg); });
}
// A string value's data, "(none)" when there is none.
std::string RegString(HKEY root, const std::string& key, const char* value) {
    char data[2048] = "(none)";
    DWORD size = sizeof data;
    RegGetValueA(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size);
    return data;
}
void RegSetString(HKEY root, const std::string& key, const char* value, const std::string& data) {
    RegSetKeyValueA(root, key.c_str(), value, REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1));
}
HWND StatusBar() {
    return GetDlgItem(MainFrame(), AFX_IDW_STATUS_BAR);
}
HWND ViewEdit() {
    return GetDlgItem(MainFrame(), AFX_IDW_PANE_FIRST);
}
bool TitleIs(const std::string& title) {
    return WaitFor([&] { return Text(MainFrame()) == title; });
}
std::string StatusPane(int index) {
    char text[256] = "";
    SendMessageA(StatusBar(), SB_GETTEXTA, index, reinterpret_cast<LPARAM>(text));
    return text;
}
std::string ClipboardText() {
    HANDLE h = OpenClipboard(nullptr) ? GetClipboardData(CF_TEXT) : nullptr;
    std::string text = h != nullptr ? static_cast<const char*>(GlobalLock(h)) : "";
    CloseClipboard();
    return text;
}
// The profile after a run that opened names (in the test folder, the last first) and ended with
// the key texts attrs and tag.
std::string ProfileAfter(const std::vector<std::string>& names, const std::string& attrs = "title",
                         const std::string& tag = "topic") {
    std::string values;
    for (size_t i = 0; i < names.size(); ++i)
        values += "Recent File List\\File" + std::to_string(i + 1) + "=" + TempDir() + "\\" + names[i] + "\n";
    return values + "Settings\\attrs=" + attrs + "\nSettings\\tag=" + tag + "\n";
}
std::vector<std::string> Fresh() {
    ForgetProfile();
    return {};
}

// Start-up shows the stored key texts, exit stores the typed ones; the bars, the status texts
// and Help.
std::vector<std::string> StoredKeys() {
    ForgetProfile();
    RegSetString(HKEY_CURRENT_USER, kSettings, "tag", "chapter, section");
    RegSetString(HKEY_CURRENT_USER, kSettings, "attrs", "heading @id");
    return {};
}
void StartProfile() {
    CHECK_EQ(Text(MainFrame()), "Untitled - Brevix");
    CHECK_EQ(Text(ToolbarChild(IDC_LEVEL_EDIT)) + "|" + Text(ToolbarChild(IDC_NAME_EDIT)),
             "chapter, section|heading @id");
    // The status bar: "Ready", and a menu item's prompt while it is highlighted.
    CHECK_EQ(StatusPane(0), "Ready");
    SendMessageA(MainFrame(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_PROCESS, MF_HILITE),
                 reinterpret_cast<LPARAM>(GetSubMenu(GetMenu(MainFrame()), 0)));
    CHECK_EQ(StatusPane(0), "Process the active document");
    SendMessageA(MainFrame(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    CHECK_EQ(StatusPane(0), "Ready");
    // Hiding and showing the bars; the toolbar keeps the texts typed into it.
    SetField(IDC_LEVEL_EDIT, "part");
    for (UINT nID : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        auto bar = nID == ID_VIEW_TOOLBAR ? ToolBar : StatusBar;
        PostCommand(nID);
        CHECK(WaitFor([&] { return !IsWindowVisible(bar()); }) && !(MenuState(nID) & MF_CHECKED));
        PostCommand(nID);
        CHECK(WaitFor([&] { return IsWindowVisible(bar()) != 0; }) && (MenuState(nID) & MF_CHECKED));
    }
    CHECK_EQ(Text(ToolbarChild(IDC_LEVEL_EDIT)), "part");
    // The lock-key indicator follows the key at idle time.
    bool capsOn = (GetKeyState(VK_CAPITAL) & 1) != 0;
    CHECK_EQ(StatusPane(1), capsOn ? "CAP" : "");
    PressKeys({VK_CAPITAL});
    CHECK(WaitFor([&] { return StatusPane(1) == (capsOn ? "" : "CAP"); }));
    PressKeys({VK_CAPITAL});
    // F1 and Ctrl+F1 reach Help, which binds the help library; a missing help file is no failure.
    CHECK(GetModuleHandleA("hhctrl.ocx") == nullptr);
    PressKeys({VK_F1});
    CHECK(WaitFor([] { return GetModuleHandleA("hhctrl.ocx") != nullptr; }));
    PressKeys({VK_CONTROL, VK_F1});
    SetField(IDC_NAME_EDIT, "heading @id, @n");
}
Register startProfile({"start.profile", StoredKeys, StartProfile, [](int) {
                           CHECK_EQ(ProfileValues(), "Settings\\attrs=heading @id, @n\nSettings\\tag=part\n");
                       }});

// A start-up file that is missing: the message, no window; the key texts are stored all the same.
Register startMissing({"start.missing-file",
                       [] {
                           ForgetProfile();
                           return std::vector<std::string>{TempDir() + "\\nope.xml"};
                       },
                       [] { CHECK_EQ(AnswerMessageBox(8000), TempDir() + "\\nope.xml was not found."); },
                       [](int) {
                           CHECK(AfxGetApp()->m_pMainWnd == nullptr);
                           CHECK_EQ(ProfileValues(), "Settings\\attrs=title\nSettings\\tag=topic\n");
                       },
                       false});

// Open, view, copy, the Process and Close enabling, reopen, Close, About.
void OpenView() {
    std::string lf = WriteFile("lf.xml", "<a>\n<topic>x</topic>\n</a>\n");
    std::string crlf = WriteFile("crlf.xml", "a\r\nb\r\n");
    CHECK_EQ(Text(ToolbarChild(IDC_LEVEL_EDIT)) + "|" + Text(ToolbarChild(IDC_NAME_EDIT)), "topic|title");
    CHECK_EQ(Text(ViewEdit()), "");
    CHECK(!Enabled(ID_FILE_PROCESS) && !Enabled(ID_FILE_NEW) && !ButtonEnabled(ID_EDIT_COPY));
    CHECK(ButtonEnabled(ID_FILE_OPEN) && ButtonEnabled(ID_SETTINGS) && ButtonEnabled(ID_APP_ABOUT));
    CHECK(MenuItemEnabled(ID_FILE_PRINT) && !MenuItemEnabled(ID_FILE_MRU_FILE1));
    // A path too long for the Open dialog is refused with a message; it stays open.
    PostCommand(ID_FILE_OPEN);
    HWND hOpen = WaitForDialog("Open");
    std::string tooLong = TempDir() + "\\" + std::string(267, 'c');
    SendMessageA(NameBox(hOpen), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
    PostMessageA(hOpen, WM_COMMAND, IDOK, 0);
    CHECK_EQ(AnswerMessageBox(),
             "This path is too long. Choose a shorter file name or a folder with a shorter path.");
    CHECK(IsWindow(hOpen) && PressButton(hOpen, IDCANCEL));
    CHECK(OpenWithDialog(lf) && TitleIs("lf.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "<a>\r\n<topic>x</topic>\r\n</a>\r\n");
    LONG style = GetWindowLongA(ViewEdit(), GWL_STYLE);
    CHECK(!(style & WS_HSCROLL) && (style & WS_VSCROLL)); // long lines wrap
    Settle();
    CHECK(Enabled(ID_FILE_PROCESS) && Enabled(ID_FILE_NEW));
    CHECK_EQ(FileMenuText(9), "&1 " + lf);
    // Copy runs only with a selection; typing changes nothing.
    SendMessageA(ViewEdit(), EM_SETSEL, 0, 0);
    Settle();
    CHECK(!ButtonEnabled(ID_EDIT_COPY));
    SendMessageA(ViewEdit(), EM_SETSEL, 0, 3);
    Settle();
    CHECK(ButtonEnabled(ID_EDIT_COPY));
    PressKeys({VK_CONTROL, 'C'});
    CHECK(WaitFor([] { return ClipboardText() == "<a>"; }));
    SendMessageA(ViewEdit(), WM_CHAR, 'z', 0);
    CHECK_EQ(Text(ViewEdit()), "<a>\r\n<topic>x</topic>\r\n</a>\r\n");
    // An empty chunk level field disables Process (Ctrl+S does nothing).
    SetField(IDC_LEVEL_EDIT, "");
    SetField(IDC_NAME_EDIT, "");
    CHECK(!Enabled(ID_FILE_PROCESS) && Enabled(ID_FILE_NEW));
    PressKeys({VK_CONTROL, 'S'});
    CHECK(WaitForDialog("Select Brevix Output Folder", 500) == nullptr);

    // CR LF shows as CR CR LF; opening the open file again does not reread it.
    CHECK(OpenWithDialog(crlf) && TitleIs("crlf.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "a\r\r\nb\r\r\n");
    WriteFile("crlf.xml", "changed\r\n");
    CHECK(OpenWithDialog(crlf));
    Settle();
    CHECK_EQ(Text(ViewEdit()), "a\r\r\nb\r\r\n");
    // Close from the toolbar leaves the empty document.
    ClickButton(ID_FILE_NEW);
    CHECK(TitleIs("Untitled - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "");
    CHECK(!Enabled(ID_FILE_PROCESS) && !Enabled(ID_FILE_NEW));
    // Open after Close rereads; Ctrl+N closes.
    CHECK(OpenWithDialog(crlf) && TitleIs("crlf.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "changed\r\r\n");
    PressKeys({VK_CONTROL, 'N'});
    CHECK(TitleIs("Untitled - Brevix"));

    // About from the toolbar, owned by the frame; Escape closes it.
    ClickButton(ID_APP_ABOUT);
    HWND hAbout = WaitForDialog("About Brevix");
    CHECK(hAbout != nullptr && GetWindow(hAbout, GW_OWNER) == MainFrame());
    PostMessageA(hAbout, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitFor([&] { return !IsWindow(hAbout); }));
}
Register openView({"open.view", Fresh, OpenView, [](int) {
                       CHECK_EQ(ProfileValues(), ProfileAfter({"crlf.xml", "lf.xml"}, "", ""));
                   }});

// The view's limit, files it cannot show whole, and an empty file.
void Limits() {
    std::string line = std::string(79, 'x') + "\n", text;
    while (text.size() + line.size() <= 1048575)
        text += line;
    text += std::string(1048575 - text.size(), 'y');
    CHECK(OpenWithDialog(WriteFile("fits.xml", text)) && TitleIs("fits.xml - Brevix"));
    CHECK(GetWindowTextLengthA(ViewEdit()) == static_cast<int>(1048575 + 1048575 / 80));
    CHECK(OpenWithDialog(WriteFile("large.xml", text + "z")));
    CHECK_EQ(AnswerMessageBox(), "The file is too large to open.");
    CHECK(TitleIs("Untitled - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "");
    // A zero byte: the edit control does not take the whole text.
    CHECK(OpenWithDialog(WriteFile("zero.xml", std::string("ab\0cd", 5))));
    CHECK_EQ(AnswerMessageBox(), "Failed to open document.");
    CHECK(TitleIs("Untitled - Brevix"));
    // An empty file opens with its name and can be processed.
    CHECK(OpenWithDialog(WriteFile("empty.xml", "")) && TitleIs("empty.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "");
    Settle();
    CHECK(Enabled(ID_FILE_PROCESS) && Enabled(ID_FILE_NEW));
}
Register limits({"limits.sizes", Fresh, Limits, [](int) {
                     CHECK_EQ(ProfileValues(), ProfileAfter({"empty.xml", "fits.xml"}));
                 }});

// Drops files on the frame as the shell does.
void DropFiles(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths)
        names += path + '\0';
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() + 1);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
    drop->pFiles = sizeof(DROPFILES);
    std::copy(names.begin(), names.end(), reinterpret_cast<char*>(drop + 1));
    GlobalUnlock(h);
    PostMessageA(MainFrame(), WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
}

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// The shell's DDE "open" command.
void OpenByDde(const std::string& path) {
    DWORD instance = 0;
    DdeInitializeA(&instance, DdeCallback, APPCMD_CLIENTONLY, 0);
    HCONV conv = DdeConnect(instance, DdeCreateStringHandleA(instance, "brevix-gui-tests", CP_WINANSI),
                            DdeCreateStringHandleA(instance, "system", CP_WINANSI), nullptr);
    std::string command = "[open(\"" + path + "\")]";
    CHECK(DdeClientTransaction(reinterpret_cast<BYTE*>(&command[0]), static_cast<DWORD>(command.size() + 1),
                               conv, nullptr, 0, XTYP_EXECUTE, 5000, nullptr) != nullptr);
    DdeUninitialize(instance); // frees the conversation and the strings
}

// Recent files: a missing one is reported and leaves the list, at most four are kept, an entry
// reopens its file. Files dropped together open in turn (a name too long to open is reported,
// not cut short to another file's name); the shell opens one by DDE.
void RecentDropDde() {
    std::string gone = WriteFile("gone.xml", "<gone/>\n");
    std::string kept = WriteFile("kept.xml", "<kept/>\n");
    CHECK(OpenWithDialog(gone) && OpenWithDialog(kept) && TitleIs("kept.xml - Brevix"));
    DeleteFileA(gone.c_str());
    CHECK_EQ(FileMenuText(10), "&2 " + gone);
    PostCommand(ID_FILE_MRU_FILE1 + 1);
    CHECK_EQ(AnswerMessageBox(), gone + " was not found.");
    Settle();
    CHECK_EQ(Text(MainFrame()) + Text(ViewEdit()), "kept.xml - Brevix<kept/>\r\n");
    CHECK_EQ(FileMenuText(9) + "|" + FileMenuText(10), "&1 " + kept + "|");
    for (int i = 1; i <= 5; ++i)
        CHECK(OpenWithDialog(WriteFile("r" + std::to_string(i) + ".xml", "r\n")));
    CHECK(TitleIs("r5.xml - Brevix"));
    PostCommand(ID_FILE_MRU_FILE1 + 3);
    CHECK(TitleIs("r2.xml - Brevix"));
    std::string first = WriteFile("first.xml", "<first/>\n");
    std::string second = WriteFile("second.xml", "<second/>\n");
    std::string other = WriteFile(std::string(259 - TempDir().size() - 1, 'o'), "<other/>\n");
    DropFiles({first, second, other + "x"});
    CHECK_EQ(AnswerMessageBox(), other + "x was not found.");
    CHECK(TitleIs("second.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "<second/>\r\n");
    OpenByDde(WriteFile("dde.xml", "<dde/>\n"));
    CHECK(TitleIs("dde.xml - Brevix"));
    CHECK_EQ(FileMenuText(11), "&3 " + first);
}
Register
    recent({"recent.drop-dde", Fresh, RecentDropDde, [](int) {
                CHECK_EQ(ProfileValues(), ProfileAfter({"dde.xml", "second.xml", "first.xml", "r2.xml"}));
            }});

// No entries of the document type and no ".xml"; or ".xml" of another class.
std::vector<std::string> WithoutXml() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".xml");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "Brevix.Document");
    return {};
}
std::vector<std::string> XmlOfOthers() {
    WithoutXml();
    RegSetString(HKEY_CLASSES_ROOT, ".xml", nullptr, "xmlfile");
    return {};
}

// The shell's entries: a free ".xml" is claimed with its ShellNew entry, one of another class
// (xmlClass) stays so; the document type's own entries are written either way.
void ShellEntries(const std::string& xmlClass) {
    char path[MAX_PATH] = "", shortPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    GetShortPathNameA(path, shortPath, sizeof shortPath);
    std::string program = shortPath, key = "Brevix.Document\\";
    const std::string entries[][2] = {
        {key, "Brevix Document"},
        {key + "DefaultIcon", program + ",1"},
        {key + "shell\\open\\command", program + " \"%1\""},
        {key + "shell\\print\\command", program + " /p \"%1\""},
        {key + "shell\\printto\\command", program + " /pt \"%1\" \"%2\" \"%3\" \"%4\""},
        {".xml", xmlClass},
    };
    for (auto& entry : entries)
        CHECK_EQ(entry[0] + "=" + RegString(HKEY_CLASSES_ROOT, entry[0], nullptr), entry[0] + "=" + entry[1]);
    CHECK_EQ(RegString(HKEY_CLASSES_ROOT, ".xml\\ShellNew", "NullFile"),
             xmlClass == "Brevix.Document" ? "" : "(none)");
}
Register shellOwn({"shell.own-xml", WithoutXml, [] { ShellEntries("Brevix.Document"); }, nullptr});
Register shellOther({"shell.other-xml", XmlOfOthers, [] { ShellEntries("xmlfile"); }, nullptr});

// /Unregister: the shell entries and the profile go, with the message; exit writes the keys.
Register unregister({"shell.unregister",
                     [] {
                         ForgetProfile();
                         WithoutXml();
                         RegSetString(HKEY_CLASSES_ROOT, "Brevix.Document", nullptr, "Brevix Document");
                         RegSetString(HKEY_CURRENT_USER, kRecent, "File1", "C:\\x.xml");
                         RegSetString(HKEY_CURRENT_USER, kSettings, "ext", "txt");
                         RegSetString(HKEY_CURRENT_USER, kSettings, "tag", "para");
                         return std::vector<std::string>{"/Unregister"};
                     },
                     [] {
                         CHECK_EQ(AnswerMessageBox(8000), "System registry entries have been removed and the "
                                                          "INI file (if any) was deleted.");
                     },
                     [](int) {
                         CHECK_EQ(RegString(HKEY_CLASSES_ROOT, "Brevix.Document", nullptr) +
                                      RegString(HKEY_CLASSES_ROOT, ".xml", nullptr),
                                  "(none)(none)");
                         CHECK_EQ(ProfileValues(), "Settings\\attrs=title\nSettings\\tag=para\n");
                         CHECK(AfxGetApp()->m_pMainWnd == nullptr);
                     },
                     false});

HWND Preview() {
    return FindWindowExA(MainFrame(), nullptr, "BrevixPreview", nullptr);
}

// Preview shows the text over two pages or more, takes the real mouse and keeps its page count.
void Print() {
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += "<p>line " + std::to_string(i) + "</p>\n";
    CHECK(OpenWithDialog(WriteFile("print.xml", text)) && TitleIs("print.xml - Brevix"));
    PostCommand(ID_FILE_PRINT_PREVIEW);
    HWND hPreview = nullptr;
    CHECK(WaitFor([&] { return (hPreview = Preview()) != nullptr && IsWindowVisible(hPreview); }));
    // The preview takes the whole client area: the frame's bars are hidden, and its
    // buttons answer the real mouse, not whatever frame window lay under them.
    CHECK(!IsWindowVisible(ViewEdit()) && !IsWindowVisible(ToolBar()) && !IsWindowVisible(StatusBar()));
    HWND hPages = GetDlgItem(hPreview, AFX_ID_PREVIEW_NUMPAGE);
    HWND hPrev = GetDlgItem(hPreview, AFX_ID_PREVIEW_PREV);
    CHECK_EQ(Text(hPages), "&Two Page");
    CHECK(!IsWindowEnabled(hPrev) && IsWindowEnabled(GetDlgItem(hPreview, AFX_ID_PREVIEW_NEXT)));
    Click(GetDlgItem(hPreview, AFX_ID_PREVIEW_NEXT));
    CHECK(WaitFor([&] { return IsWindowEnabled(hPrev) != 0; }));
    Click(hPages);
    CHECK(WaitFor([&] { return Text(hPages) == "&One Page"; }));
    Click(GetDlgItem(hPreview, AFX_ID_PREVIEW_CLOSE));
    CHECK(WaitFor([&] { return !IsWindow(hPreview) || !IsWindowVisible(hPreview); }));
    CHECK(WaitFor([] { return IsWindowVisible(ViewEdit()) && IsWindowVisible(ToolBar()); }) &&
          IsWindowVisible(StatusBar()));
    // Nothing under the buttons fired: no dialog, the same document, the view focused.
    CHECK(GetForegroundWindow() == MainFrame() && FocusWindow() == ViewEdit());
    CHECK_EQ(Text(MainFrame()), "print.xml - Brevix");
}
Register print({"print.preview", Fresh, Print, [](int) {
                    CHECK(ProfileValues().find("\nSettings\\PreviewPages=(number) 2\n") != std::string::npos);
                }});

// Not a test: poses the program for scripts/screenshots.sh.
Register shots({"shots", [] { return std::vector<std::string>(); },
                [] {
                    char sample[MAX_PATH] = "";
                    GetEnvironmentVariableA("BREVIX_SAMPLE", sample, sizeof sample);
                    SetWindowPos(MainFrame(), nullptr, 0, 0, 1000, 620, SWP_NOZORDER);
                    CHECK(OpenWithDialog(sample) && TitleIs("user-guide.xml - Brevix"));
                    SendMessageA(ViewEdit(), EM_SETSEL, 0, 0);
                    Settle();
                    Pose(MainFrame(), "main-window");
                    PostMessageA(MainFrame(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
                    Pose(MainFrame(), "file-menu");
                    PostMessageA(MainFrame(), WM_CANCELMODE, 0, 0);
                    PressKeys({VK_ESCAPE});
                    PressKeys({VK_ESCAPE});
                    PostCommand(ID_FILE_PRINT_PREVIEW);
                    WaitFor([] { return Preview() != nullptr; });
                    Pose(MainFrame(), "print-preview");
                    Click(GetDlgItem(Preview(), AFX_ID_PREVIEW_CLOSE));
                    WaitFor([] { return IsWindowVisible(ViewEdit()) != 0; });
                    PostCommand(ID_APP_ABOUT);
                    HWND hAbout = WaitForDialog("About Brevix");
                    Pose(MainFrame(), "about-box");
                    PostMessageA(hAbout, WM_COMMAND, IDOK, 0);
                    WaitFor([&] { return !IsWindow(hAbout); });
                },
                nullptr});
} // namespace
