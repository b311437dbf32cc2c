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
// The File menu, as its update handlers leave it when it is opened.
HMENU OpenFileMenu() {
    HMENU file = GetSubMenu(GetMenu(g_frame), 0);
    SendMessageA(g_frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    return file;
}
bool MenuItemEnabled(UINT nID) { // a missing item has all bits set
    return !(GetMenuState(OpenFileMenu(), nID, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}
bool Enabled(UINT nID) { // the toolbar button and the menu item
    return ButtonEnabled(nID) && MenuItemEnabled(nID);
}
std::string FileMenuText(int index) {
    char text[256] = "";
    GetMenuStringA(OpenFileMenu(), static_cast<UINT>(index), text, sizeof text, MF_BYPOSITION);
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
HWND ViewEdit() {
    return GetDlgItem(g_frame, AFX_IDW_PANE_FIRST);
}
bool TitleIs(const std::string& title) {
    return WaitFor([&] { return Text(g_frame) == title; });
}
// The profile after a run that opened names (in the test folder, the last first) and ended with
// the key texts attrs and tag.
std::string ProfileAfter(const std::vector<std::string>& names, const std::string& attrs = "title",
                         const std::string& tag = "topic") {
    std::string values;
    for (size_t i = 0; i < names.size(); ++i)
        values += "Recent File List\\File" + std::to_string(i + 1) + "=" + kTempDir + "\\" + names[i] + "\n";
    return values + "Settings\\attrs=" + attrs + "\nSettings\\tag=" + tag + "\n";
}

// Start-up shows the stored key texts, exit stores the typed ones.
std::vector<std::string> StoredKeys() {
    ForgetProfile();
    RegSetString(HKEY_CURRENT_USER, kSettings, "tag", "chapter, section");
    RegSetString(HKEY_CURRENT_USER, kSettings, "attrs", "heading @id");
    return {};
}
void StartProfile() {
    CHECK_EQ(Text(g_frame) + "|" + Text(ToolbarChild(IDC_LEVEL_EDIT)) + "|" +
                 Text(ToolbarChild(IDC_NAME_EDIT)),
             "Untitled - Brevix|chapter, section|heading @id");
    SetField(IDC_LEVEL_EDIT, "part");
    SetField(IDC_NAME_EDIT, "heading @id, @n");
}
Register startProfile({"start.profile", StoredKeys, StartProfile, [](int) {
                           CHECK_EQ(ProfileValues(), "Settings\\attrs=heading @id, @n\nSettings\\tag=part\n");
                       }});

// A start-up file that is missing: the message, no window; the key texts are stored all the same.
Register startMissing({"start.missing-file",
                       [] {
                           ForgetProfile();
                           return std::vector<std::string>{kTempDir + "\\nope.xml"};
                       },
                       [] { CHECK_EQ(AnswerMessageBox(8000), kTempDir + "\\nope.xml was not found."); },
                       [](int) {
                           CHECK(AfxGetApp()->m_pMainWnd == nullptr);
                           CHECK_EQ(ProfileValues(), "Settings\\attrs=title\nSettings\\tag=topic\n");
                       },
                       false});

// Open, view, copy, the Process and Close enabling, reopen, Close.
void OpenView() {
    std::string lf = WriteFile("lf.xml", "<a>\n<topic>x</topic>\n</a>\n");
    std::string crlf = WriteFile("crlf.xml", "a\r\nb\r\n");
    CHECK(!Enabled(ID_FILE_PROCESS) && !Enabled(ID_FILE_NEW) && !ButtonEnabled(ID_EDIT_COPY));
    CHECK(MenuItemEnabled(ID_FILE_PRINT) && !MenuItemEnabled(ID_FILE_MRU_FILE1));
    CHECK(OpenWithDialog(lf) && TitleIs("lf.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "<a>\r\n<topic>x</topic>\r\n</a>\r\n");
    CHECK((GetWindowLongA(ViewEdit(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) == WS_VSCROLL); // lines wrap
    LOGFONTA font = {}; // in a fixed-pitch font of 10 points at 96 dpi (Wine has no Consolas)
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(ViewEdit(), WM_GETFONT, 0, 0)), sizeof font, &font);
    CHECK_EQ(font.lfFaceName + std::to_string(font.lfHeight) + "/" + std::to_string(font.lfPitchAndFamily & 3),
             "Courier New-13/1");
    Settle();
    CHECK(Enabled(ID_FILE_PROCESS) && Enabled(ID_FILE_NEW));
    // Copy runs only with a selection (none in the empty window above); typing changes nothing.
    SendMessageA(ViewEdit(), EM_SETSEL, 0, 3);
    Settle();
    CHECK(ButtonEnabled(ID_EDIT_COPY));
    PressKeys({VK_CONTROL, 'C'});
    CHECK(WaitFor([] {
        HANDLE h = OpenClipboard(nullptr) ? GetClipboardData(CF_TEXT) : nullptr;
        bool copied = h != nullptr && std::string(static_cast<const char*>(GlobalLock(h))) == "<a>";
        CloseClipboard();
        return copied;
    }));
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
}
Register openView({"open.view", ForgetProfile, OpenView, [](int) {
                       CHECK_EQ(ProfileValues(), ProfileAfter({"crlf.xml", "lf.xml"}, "", ""));
                   }});

// The view's limit, a file over it, and an empty file.
void Limits() {
    std::string line = std::string(79, 'x') + "\n", text;
    while (text.size() + line.size() <= 1048575)
        text += line;
    text += std::string(1048575 - text.size(), 'y');
    CHECK(OpenWithDialog(WriteFile("fits.xml", text)) && TitleIs("fits.xml - Brevix"));
    CHECK(GetWindowTextLengthA(ViewEdit()) == static_cast<int>(1048575 + 1048575 / 80));
    CHECK(OpenWithDialog(WriteFile("large.xml", text + "z")));
    // Its box's Help button opens the help (the program's .chm) and leaves the box.
    HWND hBox = WaitForDialog("Brevix"), hHelp = nullptr;
    PostMessageA(FindWindowExA(hBox, nullptr, "Button", "Help"), BM_CLICK, 0, 0);
    CHECK(WaitFor([&] { return IsWindowVisible(hHelp = FindWindowA(nullptr, "Brevix Help")) != 0; }, 10000));
    PostMessageA(hHelp, WM_CLOSE, 0, 0);
    CHECK_EQ(AnswerMessageBox(), "The file is too large to open.");
    CHECK(TitleIs("Untitled - Brevix"));
    // An empty file opens with its name and can be processed.
    CHECK(OpenWithDialog(WriteFile("empty.xml", "")) && TitleIs("empty.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "");
    Settle();
    CHECK(Enabled(ID_FILE_PROCESS) && Enabled(ID_FILE_NEW));
}
Register limits({"limits.sizes", ForgetProfile, Limits, [](int) {
                     CHECK_EQ(ProfileValues(), ProfileAfter({"empty.xml", "fits.xml"}));
                 }});

// The keyboard reaches the fields: F6 and Shift+F6 cycle view, chunk level field, chunk name
// field; Tab and Shift+Tab go between the fields; Escape returns to the view; typing after a
// move replaces the field's text. A frame half a small screen wide shrinks the fields alike,
// leaving both whole.
void Keyboard() {
    HWND view = ViewEdit(), level = ToolbarChild(IDC_LEVEL_EDIT), name = ToolbarChild(IDC_NAME_EDIT);
    std::string seen;
    for (std::vector<WORD> keys : std::vector<std::vector<WORD>>{
             {VK_F6}, {VK_F6}, {VK_F6}, {VK_SHIFT, VK_F6}, {VK_SHIFT, VK_F6}, {VK_TAB}, {VK_SHIFT, VK_TAB}, {VK_TAB},
             {VK_ESCAPE}, {VK_SHIFT, VK_TAB}}) {
        PressKeys(keys);
        seen += FocusWindow() == view ? "view " : FocusWindow() == level ? "level " : "name ";
    }
    CHECK_EQ(seen, "level name view name level name level name view name ");
    PressKeys({'K'});
    CHECK_EQ(Text(name), "k");
    RECT frame = {}, bar = {}, levelRect = {}, nameRect = {};
    GetWindowRect(g_frame, &frame);
    MoveWindow(g_frame, frame.left, frame.top, 683, frame.bottom - frame.top, TRUE);
    GetClientRect(ToolBar(), &bar);
    GetWindowRect(level, &levelRect);
    GetWindowRect(name, &nameRect);
    MapWindowPoints(nullptr, ToolBar(), reinterpret_cast<POINT*>(&nameRect), 2);
    int width = levelRect.right - levelRect.left;
    CHECK(IsWindowVisible(name) && nameRect.right <= bar.right && width >= 8 * 6 && width < 32 * 6 &&
          nameRect.right - nameRect.left == width);
}
Register keyboard({"keys.fields", ForgetProfile, Keyboard, nullptr});

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
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
    CHECK_EQ(Text(g_frame) + Text(ViewEdit()), "kept.xml - Brevix<kept/>\r\n");
    CHECK_EQ(FileMenuText(9) + "|" + FileMenuText(10), "&1 " + kept + "|");
    for (int i = 1; i <= 5; ++i)
        CHECK(OpenWithDialog(WriteFile("r" + std::to_string(i) + ".xml", "r\n")));
    CHECK(TitleIs("r5.xml - Brevix"));
    PostCommand(ID_FILE_MRU_FILE1 + 3);
    CHECK(TitleIs("r2.xml - Brevix"));
    std::string first = WriteFile("first.xml", "<first/>\n");
    std::string second = WriteFile("second.xml", "<second/>\n");
    std::string other = WriteFile(std::string(259 - kTempDir.size() - 1, 'o'), "<other/>\n");
    // Dropped as the shell drops files.
    std::string names = first + '\0' + second + '\0' + other + "x" + '\0';
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() + 1);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
    drop->pFiles = sizeof(DROPFILES);
    std::copy(names.begin(), names.end(), reinterpret_cast<char*>(drop + 1));
    GlobalUnlock(h);
    PostMessageA(g_frame, WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
    CHECK_EQ(AnswerMessageBox(), other + "x was not found.");
    CHECK(TitleIs("second.xml - Brevix"));
    CHECK_EQ(Text(ViewEdit()), "<second/>\r\n");
    // The shell's DDE "open" command.
    DWORD instance = 0;
    DdeInitializeA(&instance, DdeCallback, APPCMD_CLIENTONLY, 0);
    HCONV conv = DdeConnect(instance, DdeCreateStringHandleA(instance, "brevix-gui-tests", CP_WINANSI),
                            DdeCreateStringHandleA(instance, "system", CP_WINANSI), nullptr);
    std::string command = "[open(\"" + WriteFile("dde.xml", "<dde/>\n") + "\")]";
    CHECK(DdeClientTransaction(reinterpret_cast<BYTE*>(&command[0]), static_cast<DWORD>(command.size() + 1),
                               conv, nullptr, 0, XTYP_EXECUTE, 5000, nullptr) != nullptr);
    DdeUninitialize(instance); // frees the conversation and the strings
    CHECK(TitleIs("dde.xml - Brevix"));
    CHECK_EQ(FileMenuText(11), "&3 " + first);
}
Register
    recent({"recent.drop-dde", ForgetProfile, RecentDropDde, [](int) {
                CHECK_EQ(ProfileValues(), ProfileAfter({"dde.xml", "second.xml", "first.xml", "r2.xml"}));
            }});

const std::string kClasses = "Software\\Classes\\"; // below HKCU or HKLM
// No profile, no entries of the document type and no ".xml" anywhere; or a machine-wide ".xml"
// of another class.
std::vector<std::string> WithoutXml() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const char* key : {".xml", "Brevix.Document"}) RegDeleteTreeA(root, (kClasses + key).c_str());
    return ForgetProfile();
}
std::vector<std::string> XmlOfOthers() {
    WithoutXml();
    RegSetString(HKEY_LOCAL_MACHINE, kClasses + ".xml", nullptr, "xmlfile");
    return {};
}
// A value's data as text; "(none)" when there is none, "(empty)" for an empty REG_NONE.
std::string RegAny(HKEY root, const std::string& key, const char* value) {
    char data[512] = "";
    DWORD size = sizeof data - 1, type = 0;
    if (RegGetValueA(root, key.c_str(), value, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS) return "(none)";
    return type == REG_NONE && size == 0 ? "(empty)" : data;
}

// The shell's entries, for this user only: a free ".xml" is claimed with its ShellNew entry, one
// of another class (xmlClass) stays so; either way the document type's own entries are written
// and the program is offered in ".xml"'s "Open with" list.
void ShellEntries(const std::string& xmlClass) {
    char path[MAX_PATH] = "", shortPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    GetShortPathNameA(path, shortPath, sizeof shortPath);
    std::string program = shortPath, key = "Brevix.Document\\";
    const bool claimed = xmlClass == "Brevix.Document";
    const std::string entries[][2] = {
        {key, "Brevix Document"},
        {key + "DefaultIcon", program + ",1"},
        {key + "shell\\open\\command", program + " \"%1\""},
        {key + "shell\\print\\command", program + " /p \"%1\""},
        {key + "shell\\printto\\command", program + " /pt \"%1\" \"%2\" \"%3\" \"%4\""},
        {".xml", claimed ? xmlClass : "(none)"},
    };
    for (auto& entry : entries)
        CHECK_EQ(entry[0] + "=" + RegString(HKEY_CURRENT_USER, kClasses + entry[0], nullptr),
                 entry[0] + "=" + entry[1]);
    CHECK_EQ(RegAny(HKEY_CURRENT_USER, kClasses + ".xml\\ShellNew", "NullFile"), claimed ? "" : "(none)");
    CHECK_EQ(RegAny(HKEY_CURRENT_USER, kClasses + ".xml\\OpenWithProgids", "Brevix.Document"), "(empty)");
    // Nothing machine-wide: the other class keeps ".xml" there.
    CHECK_EQ(RegString(HKEY_LOCAL_MACHINE, kClasses + "Brevix.Document", nullptr) + "|" +
                 RegString(HKEY_LOCAL_MACHINE, kClasses + ".xml", nullptr),
             "(none)|" + std::string(claimed ? "(none)" : xmlClass));
}
Register shellOwn({"shell.own-xml", WithoutXml, [] { ShellEntries("Brevix.Document"); }, nullptr});
Register shellOther({"shell.other-xml", XmlOfOthers, [] { ShellEntries("xmlfile"); }, nullptr});

// /Unregister: the shell entries and the profile go, with the message, and stay gone; another
// program's "Open with" entry of ".xml" stays.
Register unregister({"shell.unregister",
                     [] {
                         WithoutXml();
                         RegSetString(HKEY_CURRENT_USER, kClasses + "Brevix.Document", nullptr, "Brevix Document");
                         RegSetString(HKEY_CURRENT_USER, kClasses + ".xml", nullptr, "Brevix.Document");
                         RegSetString(HKEY_CURRENT_USER, kClasses + ".xml\\ShellNew", "NullFile", "");
                         RegSetKeyValueA(HKEY_CURRENT_USER, (kClasses + ".xml\\OpenWithProgids").c_str(),
                                         "Brevix.Document", REG_NONE, nullptr, 0);
                         RegSetKeyValueA(HKEY_CURRENT_USER, (kClasses + ".xml\\OpenWithProgids").c_str(),
                                         "Other.Xml", REG_NONE, nullptr, 0);
                         RegSetString(HKEY_CURRENT_USER, kProfile + "\\Recent File List", "File1",
                                      "C:\\x.xml");
                         RegSetString(HKEY_CURRENT_USER, kSettings, "ext", "txt");
                         RegSetString(HKEY_CURRENT_USER, kSettings, "tag", "para");
                         return std::vector<std::string>{"/Unregister"};
                     },
                     [] {
                         CHECK_EQ(AnswerMessageBox(8000), "System registry entries have been removed and the "
                                                          "INI file (if any) was deleted.");
                     },
                     [](int) {
                         std::string xml = kClasses + ".xml";
                         CHECK_EQ(RegString(HKEY_CURRENT_USER, kClasses + "Brevix.Document", nullptr) + "|" +
                                      RegString(HKEY_CURRENT_USER, xml, nullptr) + "|" +
                                      RegAny(HKEY_CURRENT_USER, xml + "\\ShellNew", "NullFile") + "|" +
                                      RegAny(HKEY_CURRENT_USER, xml + "\\OpenWithProgids", "Brevix.Document") +
                                      "|" + RegAny(HKEY_CURRENT_USER, xml + "\\OpenWithProgids", "Other.Xml"),
                                  "(none)|(none)|(none)|(none)|(empty)");
                         CHECK_EQ(ProfileValues(), "");
                         HKEY hKey = nullptr;
                         CHECK(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Vellacor", 0, KEY_READ, &hKey) ==
                               ERROR_FILE_NOT_FOUND);
                         CHECK(AfxGetApp()->m_pMainWnd == nullptr);
                     },
                     false});

// Preview takes the real mouse and keeps its page count.
void Print() {
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += "<p>line " + std::to_string(i) + "</p>\n";
    CHECK(OpenWithDialog(WriteFile("print.xml", text)) && TitleIs("print.xml - Brevix"));
    PostCommand(ID_FILE_PRINT_PREVIEW);
    HWND hPreview = nullptr, hStatus = GetDlgItem(g_frame, AFX_IDW_STATUS_BAR);
    CHECK(WaitFor([&] {
        return (hPreview = FindWindowExA(g_frame, nullptr, "BrevixPreview", nullptr)) != nullptr &&
               IsWindowVisible(hPreview);
    }));
    // The preview takes the whole client area: the frame's bars are hidden, and its
    // buttons answer the real mouse, not whatever frame window lay under them.
    CHECK(!IsWindowVisible(ViewEdit()) && !IsWindowVisible(ToolBar()) && !IsWindowVisible(hStatus));
    HWND hPages = GetDlgItem(hPreview, AFX_ID_PREVIEW_NUMPAGE);
    CHECK_EQ(Text(hPages), "&Two Page");
    Click(hPages);
    CHECK(WaitFor([&] { return Text(hPages) == "&One Page"; }));
    Click(GetDlgItem(hPreview, AFX_ID_PREVIEW_CLOSE));
    CHECK(WaitFor([&] { return !IsWindow(hPreview) || !IsWindowVisible(hPreview); }));
    CHECK(WaitFor([] { return IsWindowVisible(ViewEdit()) && IsWindowVisible(ToolBar()); }) &&
          IsWindowVisible(hStatus));
    // Nothing under the buttons fired: no dialog, the same document, the view focused.
    CHECK(GetForegroundWindow() == g_frame && FocusWindow() == ViewEdit());
    CHECK_EQ(Text(g_frame), "print.xml - Brevix");
}
Register print({"print.preview", ForgetProfile, Print, [](int) {
                    CHECK(ProfileValues().find("\nSettings\\PreviewPages=(number) 2\n") != std::string::npos);
                }});
} // namespace
