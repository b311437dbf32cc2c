// The Process command as a user runs it: from the File menu, Ctrl+S and the toolbar, through
// the output folder picker and its quirks to the Process Log; the chunk files once compared
// with the engine's own run; Cancel, a place without a path, a read error and a source too
// large. Then the Settings dialog.
#include "GuiHarness.h"

#include "engine/Brevix.h"
#include "platform/IoFaults.h"
#include "resources/resource.h"
#include "settings/ChunkSettings.h"

using namespace gui;

namespace {
const char* const kPicker = "Select Brevix Output Folder";

// Selects item index of the picker's combo box nID as the user does.
void SelectComboItem(HWND hPicker, int nID, int index) {
    SendMessageA(GetDlgItem(hPicker, nID), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(hPicker, WM_COMMAND, MAKEWPARAM(nID, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(GetDlgItem(hPicker, nID)));
}

// The picker's list of folders and files, once it shows exactly one item.
HWND ListOfOne(HWND hPicker) {
    HWND hList = FindWindowExA(FindWindowExA(hPicker, nullptr, "SHELLDLL_DefView", nullptr), nullptr,
                               "SysListView32", nullptr);
    CHECK(WaitFor([&] { return SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) == 1; }));
    return hList;
}

// Double-clicks the one folder the picker lists; true once the picker shows it.
bool EnterOnlyFolder(HWND hPicker, const std::string& name) {
    HWND hList = ListOfOne(hPicker);
    RECT item = {};
    WaitFor([&] {
        item.left = LVIR_LABEL;
        SendMessageA(hList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        return item.right > item.left;
    });
    LPARAM at = MAKELPARAM(item.left + 8, (item.top + item.bottom) / 2); // a long label runs past the list
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageA(hList, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    return WaitFor([&] { return Text(GetDlgItem(hPicker, 1137)) == name; });
}

// The picker's hidden name box holds the dummy name once it has settled.
bool HoldsPlacebo(HWND hPicker) {
    Sleep(300);
    return CHECK_EQ(Text(NameBox(hPicker)), "_placebo_");
}
// The picker once it shows, its name box holding the dummy name.
HWND Picker() {
    HWND hPicker = WaitForDialog(kPicker);
    HoldsPlacebo(hPicker);
    return hPicker;
}

// Presses Select and waits for the Process Log.
HWND SelectForLog(HWND hPicker) {
    CHECK(PressButton(hPicker, IDOK));
    HWND hLog = WaitForDialog("Process Log", 10000);
    CHECK(hLog != nullptr);
    return hLog;
}

// From the File menu with the keyboard: the picker as the user sees it; Select at once yields
// the folder it opened in, and the files and the log are those of the engine's own run.
void FromMenu() {
    std::string folder = FreshFolder("menu", true);
    PressKeys({VK_MENU, 'F'});
    PressKeys({'S'});
    HWND hPicker = Picker();
    CHECK(FocusWindow() == GetDlgItem(hPicker, IDOK) && !IsWindowEnabled(g_frame));
    HWND hLog = SelectForLog(hPicker);
    std::string log = Text(GetDlgItem(hLog, 1005));
    CHECK(FocusWindow() == GetDlgItem(hLog, IDOK) && !IsWindowEnabled(g_frame));
    CHECK(PressButton(hLog, IDOK) && IsWindowEnabled(g_frame));

    // The engine's own run with the same settings: the same log but for its time stamp line and
    // the folder's name, the same files.
    std::string refFolder = FreshFolder("menu-ref");
    const ChunkSettings& settings = *GetChunkSettings();
    brevix::Options options = ToPublicOptions(settings);
    options.levelTagText = settings.GetLevelTagText();
    options.nameKeyText = settings.GetNameKeyText();
    std::string refLog = brevix::Run(SamplePath(), refFolder, options).log;
    auto comparable = [&](std::string text, const std::string& from) {
        CHECK_EQ(text.substr(0, 14), "Process Log - ");
        text.erase(0, text.find("\r\n"));
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
            text.replace(at, from.size(), "<out>");
        return text;
    };
    CHECK_EQ(comparable(log, folder), comparable(refLog, refFolder));
    std::map<std::string, std::string> files = FolderFiles(folder);
    CHECK(files.size() == 10 && files == FolderFiles(refFolder));
}
Register fromMenu({"process.menu", SampleWithoutProfile, FromMenu, nullptr});

// The toolbar button with the mouse. In the picker the user types a sub-folder's name into the
// name box to enter it (the dialog puts the dummy name back); with "All Files (*.*)" clicks a
// file in the list: Select still yields the folder, not the file, which is kept.
void FromToolbar() {
    std::string folder = FreshFolder("toolbar", true);
    CreateDirectoryA((folder + "\\inner").c_str(), nullptr);
    WriteFile("toolbar\\inner\\existing.txt", "keep me\n");
    ClickButton(ID_FILE_PROCESS);
    HWND hPicker = Picker();
    SendMessageA(NameBox(hPicker), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("inner"));
    PostMessageA(hPicker, WM_COMMAND, IDOK, 0);
    CHECK(WaitFor([&] { return Text(GetDlgItem(hPicker, 1137)) == "inner"; }));
    CHECK(WaitFor([&] { return Text(NameBox(hPicker)) == "_placebo_"; }));
    SelectComboItem(hPicker, 1136, 1);
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(ListOfOne(hPicker), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    HoldsPlacebo(hPicker);
    CHECK(PressButton(SelectForLog(hPicker), IDOK));
    std::map<std::string, std::string> files = FolderFiles(folder);
    CHECK(files["inner\\existing.txt"] == "keep me\n" && files.size() == 11);
    for (const auto& file : files)
        CHECK_EQ(file.first.substr(0, 6), "inner\\");
}
Register fromToolbar({"process.toolbar", SampleWithoutProfile, FromToolbar, nullptr});

// From Ctrl+S, a folder with a long name entered by double-clicking it. The next picker opens
// there; its sub-folder's path is too long for the platform's dialog: Select is refused with a
// message and the picker stays; Cancel ends the command without a log, and so does Select on
// My Computer, a place with no file-system path.
void PickFolders() {
    std::string parent = FreshFolder("double", true);
    std::string name = "a-folder-with-a-long-name-" + std::string(110, 'x'), folder = parent + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string deep = std::string(130, 'd'), deepPath = "\\\\?\\" + folder + "\\" + deep;
    CHECK(CreateDirectoryW(std::wstring(deepPath.begin(), deepPath.end()).c_str(), nullptr));
    PressKeys({VK_CONTROL, 'S'});
    HWND hPicker = WaitForDialog(kPicker);
    CHECK(EnterOnlyFolder(hPicker, name) && HoldsPlacebo(hPicker));
    HWND hLog = SelectForLog(hPicker);
    CHECK(Text(GetDlgItem(hLog, 1005)).find("\r\noutput folder: " + folder + "\r\n") != std::string::npos);
    CHECK(PressButton(hLog, IDOK) && FolderFiles(folder).size() == 10);

    PostCommand(ID_FILE_PROCESS);
    hPicker = WaitForDialog(kPicker);
    CHECK(EnterOnlyFolder(hPicker, deep));
    PostMessageA(GetDlgItem(hPicker, IDOK), BM_CLICK, 0, 0);
    CHECK_EQ(AnswerMessageBox(),
             "This path is too long. Choose a shorter file name or a folder with a shorter path.");
    CHECK(IsWindow(hPicker) && PressButton(hPicker, IDCANCEL) && !WaitForDialog("Process Log", 1500) &&
          IsWindowEnabled(g_frame));

    PostCommand(ID_FILE_PROCESS);
    hPicker = Picker();
    HWND hLookIn = GetDlgItem(hPicker, 1137);
    SelectComboItem(hPicker, 1137,
                    static_cast<int>(SendMessageA(hLookIn, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>("My Computer"))));
    CHECK(WaitFor([&] { return Text(hLookIn) == "My Computer"; }) && HoldsPlacebo(hPicker));
    CHECK(PressButton(hPicker, IDOK) && !WaitForDialog("Process Log", 1500) && IsWindowEnabled(g_frame));
    CHECK(FolderFiles(folder).size() == 10);
}
Register pickFolders({"process.picker-folders", SampleWithoutProfile, PickFolders, nullptr});

// The file that grows; the command run through the picker at once, for a message and no log.
std::string g_growing;
std::string SelectForMessage(int timeoutMs = 5000) {
    PostCommand(ID_FILE_PROCESS);
    CHECK(PressButton(WaitForDialog(kPicker), IDOK));
    std::string text = AnswerMessageBox(timeoutMs);
    CHECK(WaitForDialog("Process Log", 500) == nullptr);
    return text;
}

// A read error of the source, and memory running out, are reported as the command dispatch
// reports an exception, with their messages and no log; a source that grew on disk past 4 GiB
// since it was opened is cut like any other; one now in UTF-32 is refused in a message box.
std::vector<std::string> Growing() {
    ForgetProfile();
    return {g_growing = WriteFile("growing.xml", "<topic><title>small</title></topic>\n")};
}
void Errors() {
    std::string folder = FreshFolder("errors", true);
    IoFaults::FailAt(IoOp::Read, 1);
    CHECK_EQ(SelectForMessage(), "An error occurred while reading " + g_growing + ".");
    IoFaults::Reset();
    IoFaults::FailAt(IoOp::Grow, 1);
    CHECK_EQ(SelectForMessage(), "Out of memory.");
    IoFaults::Reset();
    HANDLE h = CreateFileA(g_growing.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = 4600000000LL;
    CHECK(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    PostCommand(ID_FILE_PROCESS);
    CHECK(PressButton(WaitForDialog(kPicker), IDOK));
    HWND hLog = WaitForDialog("Process Log", 120000);
    CHECK(hLog != nullptr && PressButton(hLog, IDOK));
    std::string small = std::string(kDefaultPreamble).insert(38, "\r") + "<topic><title>small</title></topic>";
    CHECK(FolderFiles(folder) == (std::map<std::string, std::string>{{"small.xml", small}}));
    WriteFile("growing.xml", std::string("\xFF\xFE\0\0<\0\0\0t\0\0\0/\0\0\0>\0\0\0", 20));
    CHECK_EQ(SelectForMessage(), "Unsupported source encoding: UTF-32 (little-endian). Save the source as "
                                 "UTF-8 and process it again.");
}
Register errors({"process.errors", Growing, Errors, nullptr});

// The Settings dialog as a user works it: the enabling rules for every state of their check
// boxes, and what OK, Cancel and no change leave in the profile and in the next Process.
HWND OpenSettings() {
    PostCommand(ID_SETTINGS);
    HWND hDlg = WaitForDialog("Settings");
    CHECK(hDlg != nullptr);
    return hDlg;
}

bool Checked(HWND hDlg, int nID) {
    return SendMessageA(GetDlgItem(hDlg, nID), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void Click(HWND hDlg, int nID) {
    SendMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}

// Replaces the text of an edit by typing: every character a WM_CHAR, "\r" being Enter.
void Type(HWND hDlg, int nID, const std::string& text) {
    HWND hEdit = GetDlgItem(hDlg, nID);
    SendMessageA(hEdit, EM_SETSEL, 0, -1);
    SendMessageA(hEdit, WM_CHAR, VK_BACK, 0);
    for (char ch : text)
        SendMessageA(hEdit, WM_CHAR, static_cast<unsigned char>(ch), 0);
}

// The rules' check boxes, in the order of the bits of a state.
const int kBoxes[] = {IDC_EMIT_PREFIX, IDC_USE_SOURCE, IDC_EMIT_PREAMBLE, IDC_USE_LINE1, IDC_EMIT_POSTAMBLE};

// The boxes' check marks ("x" or "-") and every dependent control's enabled state ("E" or "d").
std::string Observed(HWND hDlg) {
    std::string out;
    for (int id : kBoxes)
        out += Checked(hDlg, id) ? "x" : "-";
    for (int id : {IDC_USE_SOURCE, IDC_PREFIX_LABEL, IDC_PREFIX, IDC_CLEAR_PREFIX, IDC_APPEND_TAGNAME,
                   IDC_USE_LINE1, IDC_PREAMBLE, IDC_CLEAR_PREAMBLE, IDC_POSTAMBLE, IDC_CLEAR_POSTAMBLE,
                   IDC_OVERWRITE, IDC_SUBFOLDERS, IDC_EXT})
        out += IsWindowEnabled(GetDlgItem(hDlg, id)) ? "E" : "d";
    return out;
}

// What the rules make of the boxes in bits; after the prefix group rule ran last (rather than
// the source-name rule) the prefix's Clear button is on whenever its group is.
std::string Expected(int bits, bool prefixRuleLast) {
    bool box[5];
    std::string out;
    for (int i = 0; i < 5; ++i)
        out += (box[i] = (bits >> i) & 1) ? "x" : "-";
    bool prefix = box[0] && !box[1], preamble = box[2] && !box[3];
    for (bool on : {box[0], prefix, prefix, box[0] && (!box[1] || prefixRuleLast), box[0], box[2], preamble,
                    preamble, box[4], box[4], true, true, true})
        out += on ? "E" : "d";
    return out;
}

// A fresh profile: the defaults, the focus; OK without a change writes nothing. Every
// combination of the boxes as the dialog opens with it, then clicking through them.
void Enabling() {
    HWND hDlg = OpenSettings();
    CHECK(Checked(hDlg, IDC_OVERWRITE) && !Checked(hDlg, IDC_SUBFOLDERS) &&
          !Checked(hDlg, IDC_APPEND_TAGNAME));
    CHECK_EQ(Text(GetDlgItem(hDlg, IDC_EXT)) + "|" + Text(GetDlgItem(hDlg, IDC_PREAMBLE)),
             std::string("xml|") + kDefaultPreamble);
    CHECK_EQ(Observed(hDlg), Expected(4, true));
    CHECK(FocusWindow() == GetDlgItem(hDlg, IDC_OVERWRITE) && !IsWindowEnabled(g_frame));
    PressKeys({VK_F1}, hDlg); // F1 opens the help, the dialog stays
    CHECK(WaitFor([] { return IsWindowVisible(FindWindowA(nullptr, "Brevix Help")) != 0; }, 10000) && IsWindow(hDlg));
    CHECK(PressButton(hDlg, IDOK));
    CHECK_EQ(ProfileValues(), "");
    ChunkSettings& settings = *GetChunkSettings();
    for (int bits = 0; bits < 32; ++bits) {
        BOOL* members[] = {&settings.m_bEmitPrefix, &settings.m_bUseSource, &settings.m_bEmitPreamble,
                           &settings.m_bUseLine1, &settings.m_bEmitPostamble};
        for (int i = 0; i < 5; ++i)
            *members[i] = (bits >> i) & 1;
        hDlg = OpenSettings();
        CHECK_EQ(Observed(hDlg), Expected(bits, true));
        CHECK(PressButton(hDlg, IDCANCEL));
    }
    // From every box on, as the last combination left them, clicking only boxes that are enabled.
    hDlg = OpenSettings();
    int bits = 31;
    bool prefixRuleLast = true;
    for (int box : {1, 1, 0, 0, 1, 0, 3, 2, 2, 3, 2, 2, 4, 4}) {
        Click(hDlg, kBoxes[box]);
        bits ^= 1 << box;
        prefixRuleLast = box > 1 ? prefixRuleLast : box == 0;
        CHECK_EQ(Observed(hDlg), Expected(bits, prefixRuleLast));
    }
    CHECK(PressButton(hDlg, IDCANCEL));
}
Register enabling({"settings.enabling", SampleWithoutProfile, Enabling, nullptr});

// Every option changed and confirmed: each in the profile at once as "yes"/"no" or its text (a
// typed preamble with the edit's line breaks), unchanged ones absent; Cancel writes nothing;
// the next Process uses the new options.
void Write() {
    HWND hDlg = OpenSettings();
    for (WORD key : {'O', 'S', 'E'}) // the mnemonics: two boxes, and a field through its label
        PressKeys({VK_MENU, key}, hDlg);
    CHECK(FocusWindow() == GetDlgItem(hDlg, IDC_EXT));
    for (int id : {IDC_EMIT_PREFIX, IDC_APPEND_TAGNAME, IDC_EMIT_POSTAMBLE})
        Click(hDlg, id);
    Type(hDlg, IDC_PREFIX, "p-");
    Type(hDlg, IDC_EXT, "");
    Type(hDlg, IDC_PREAMBLE, "<!-- one -->\r<!-- two -->");
    Type(hDlg, IDC_POSTAMBLE, "<!-- end -->");
    CHECK(PressButton(hDlg, IDOK));
    std::string values = ProfileValues();
    CHECK_EQ(values, "Settings\\append_tagname=yes\nSettings\\emit_postamble=yes\n"
                     "Settings\\emit_prefix=yes\nSettings\\ext=\nSettings\\overwrite=no\n"
                     "Settings\\postamble=<!-- end -->\n"
                     "Settings\\preamble=<!-- one -->\r\n<!-- two -->\n"
                     "Settings\\prefix=p-\nSettings\\subfolders=yes\n");
    hDlg = OpenSettings();
    Click(hDlg, IDC_OVERWRITE);
    Type(hDlg, IDC_EXT, "zzz");
    CHECK(PressButton(hDlg, IDCANCEL));
    CHECK_EQ(ProfileValues(), values);
    CHECK(GetChunkSettings()->m_bOverwrite == 0 && GetChunkSettings()->m_strExt.empty());

    std::string folder = FreshFolder("after-settings", true);
    PostCommand(ID_FILE_PROCESS);
    CHECK(PressButton(SelectForLog(WaitForDialog(kPicker)), IDOK));
    std::map<std::string, std::string> files = FolderFiles(folder);
    CHECK_EQ(std::to_string(files.size()), "10");
    for (const auto& file : files)
        CHECK(file.first.compare(0, 8, "topic\\p-") == 0 &&
              file.second.find("<!-- two -->") != std::string::npos &&
              file.second.find("<!-- end -->") != std::string::npos);
}
Register write({"settings.write", SampleWithoutProfile, Write, nullptr});
} // namespace
