// The Process command as a user runs it: from the File menu, Ctrl+S and the toolbar, through
// the output folder picker to the Process Log, with the chunk files and the log compared with
// the engine's own run; Cancel, a blank chunk level, a read error and a source too large.
#include "ProcessSupport.h"

#include <cstdio>

#include "platform/IoFaults.h"
#include "resources/resource.h"
#include "settings/ChunkSettings.h"

using namespace gui;

namespace {
std::string ComboItem(HWND hCombo, int index) {
    char text[256] = "";
    SendMessageA(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// The file-name box the dialog has (1148 on current dialogs, 1152 on old ones).
HWND NameBox(HWND hPicker) {
    HWND h = GetDlgItem(hPicker, 1148);
    return h != nullptr ? h : GetDlgItem(hPicker, 1152);
}

// The picker's list of folders and files, once it shows exactly one item.
HWND ListOfOne(HWND hPicker) {
    HWND hView = FindWindowExA(hPicker, nullptr, "SHELLDLL_DefView", nullptr);
    HWND hList = FindWindowExA(hView, nullptr, "SysListView32", nullptr);
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
    PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(hList, WM_LBUTTONUP, 0, at);
    PostMessageA(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(hList, WM_LBUTTONUP, 0, at);
    return WaitFor([&] { return Text(GetDlgItem(hPicker, 1137)) == name; });
}

std::vector<std::string> Args() {
    ForgetProfileAndPickerFolder();
    return {SamplePath()};
}

// Opened from the File menu with the keyboard: the picker as the user sees it, then Select at
// once yields the folder it opened in, and the run matches the engine's.
Register fromMenu({"process-menu", Args,
                   [] {
                       std::string folder = EnterFreshFolder("menu");
                       PressKeys({VK_MENU, 'F'});
                       PressKeys({'S'});
                       HWND hPicker = WaitForPicker();
                       if (!CHECK(hPicker != nullptr)) return;
                       CHECK_EQ(Text(GetDlgItem(hPicker, 1091)), "Output:");
                       CHECK_EQ(Text(GetDlgItem(hPicker, IDOK)), "Select");
                       CHECK(!IsWindowVisible(GetDlgItem(hPicker, 1090)));
                       CHECK(!IsWindowVisible(NameBox(hPicker)));
                       CHECK(GetDlgItem(hPicker, 1152) == nullptr ||
                             !IsWindowVisible(GetDlgItem(hPicker, 1152)));
                       CHECK_EQ(Text(NameBox(hPicker)), "_placebo_");
                       CHECK(FocusWindow() == GetDlgItem(hPicker, IDOK));
                       CHECK(!IsWindowEnabled(MainFrame()));
                       HWND hFilter = GetDlgItem(hPicker, 1136);
                       CHECK_EQ(std::to_string(SendMessageA(hFilter, CB_GETCOUNT, 0, 0)), "2");
                       CHECK_EQ(ComboItem(hFilter, 0), "Show Folders Only");
                       CHECK_EQ(ComboItem(hFilter, 1), "All Files (*.*)");
                       CHECK_EQ(std::to_string(SendMessageA(hFilter, CB_GETCURSEL, 0, 0)), "0");
                       ExpectRunLikeEngine("menu");
                       CHECK(IsWindowEnabled(MainFrame()));
                   },
                   nullptr});

// Ctrl+S, the Process Log dialog's template, its read-only text and Escape from the text and
// from the button; a second run asks for the folder again.
Register fromAccelerator(
    {"process-ctrl-s", Args,
     [] {
         std::string folder = EnterFreshFolder("accel");
         PressKeys({VK_CONTROL, 'S'});
         HWND hLog = nullptr;
         std::string log = SelectAndWaitForLog(&hLog);
         if (hLog == nullptr) return;
         CHECK(log.find("\r\noutput folder: " + folder + "\r\n") != std::string::npos);
         DWORD style = static_cast<DWORD>(GetWindowLongA(hLog, GWL_STYLE));
         CHECK((style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME)) == (WS_POPUP | WS_CAPTION | DS_MODALFRAME));
         CHECK(!(style & (WS_SYSMENU | WS_THICKFRAME)));
         RECT client, expected = {0, 0, 367, 208};
         GetClientRect(hLog, &client);
         MapDialogRect(hLog, &expected);
         CHECK_EQ(std::to_string(client.right) + "x" + std::to_string(client.bottom),
                  std::to_string(expected.right) + "x" + std::to_string(expected.bottom));
         const DWORD editBits = ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL |
                                WS_VSCROLL | WS_TABSTOP | WS_VISIBLE;
         const ControlSpec controls[] = {
             {IDOK,
              "Button",
              "Close",
              {310, 7, 50, 14},
              0x0F | WS_TABSTOP | WS_VISIBLE,
              BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE},
             {1005, "Edit", log.c_str(), {7, 27, 353, 174}, editBits, editBits & ~WS_TABSTOP},
         };
         CheckTemplate(hLog, controls, 2);
         // A border: the dialog's edit controls draw it as a sunken client edge.
         HWND hEdit = GetDlgItem(hLog, 1005);
         CHECK((GetWindowLongA(hEdit, GWL_STYLE) & WS_BORDER) ||
               (GetWindowLongA(hEdit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
         CHECK(FocusWindow() == GetDlgItem(hLog, IDOK));
         CHECK(!IsWindowEnabled(MainFrame()));
         // The text cannot be changed by typing.
         SendMessageA(hEdit, WM_CHAR, 'x', 0);
         CHECK_EQ(Text(hEdit), log);
         PostMessageA(hEdit, WM_KEYDOWN, VK_ESCAPE, 0);
         CHECK(WaitFor([&] { return !IsWindow(hLog); }));

         std::string second = EnterFreshFolder("accel-2");
         ForgetProfileAndPickerFolder();
         PressKeys({VK_CONTROL, 'S'});
         log = SelectAndWaitForLog(&hLog);
         CHECK(log.find("\r\noutput folder: " + second + "\r\n") != std::string::npos);
         PostMessageA(FocusWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
         CHECK(WaitFor([&] { return !IsWindow(hLog); }));
         CHECK(FolderFiles(second) == FolderFiles(folder));
     },
     nullptr});

// The toolbar button with the mouse; in the picker the user types a sub-folder's name into the
// name box to enter it (the dialog empties the box after that), then presses Select.
Register fromToolbar(
    {"process-toolbar", Args,
     [] {
         std::string folder = FreshFolder("toolbar");
         CreateDirectoryA((folder + "\\inner").c_str(), nullptr);
         SetCurrentDirectoryA(folder.c_str());
         RECT button = {};
         SendMessageA(ToolBar(), TB_GETITEMRECT,
                      SendMessageA(ToolBar(), TB_COMMANDTOINDEX, ID_FILE_PROCESS, 0),
                      reinterpret_cast<LPARAM>(&button));
         Click(ToolBar(), &button);
         HWND hPicker = WaitForPicker();
         if (!CHECK(hPicker != nullptr)) return;
         SendMessageA(NameBox(hPicker), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("inner"));
         PostMessageA(hPicker, WM_COMMAND, IDOK, 0);
         CHECK(WaitFor([&] { return Text(NameBox(hPicker)) == "_placebo_" && IsWindow(hPicker); }));
         Sleep(300);
         CHECK_EQ(Text(NameBox(hPicker)), "_placebo_");
         CHECK(PressSelect(hPicker));
         HWND hLog = nullptr;
         std::string log = WaitForLogText(&hLog);
         CHECK(log.find("\r\noutput folder: " + folder + "\\inner\r\n") != std::string::npos);
         CHECK(PressButton(hLog, IDOK));
         std::map<std::string, std::string> files = FolderFiles(folder);
         CHECK(!files.empty());
         for (const auto& file : files)
             CHECK_EQ(file.first.substr(0, 6), "inner\\");
     },
     nullptr});

// With "All Files (*.*)" a file is clicked in the list: the name box goes back to the dummy
// name and Select still yields the folder, not the file.
Register pickAfterFile({"picker-all-files", Args,
                        [] {
                            std::string folder = FreshFolder("files");
                            WriteFile("files\\existing.txt", "keep me\n");
                            SetCurrentDirectoryA(folder.c_str());
                            PostCommand(ID_FILE_PROCESS);
                            HWND hPicker = WaitForPicker();
                            if (!CHECK(hPicker != nullptr)) return;
                            HWND hFilter = GetDlgItem(hPicker, 1136);
                            SendMessageA(hFilter, CB_SETCURSEL, 1, 0);
                            SendMessageA(hPicker, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK),
                                         reinterpret_cast<LPARAM>(hFilter));
                            HWND hList = ListOfOne(hPicker);
                            LVITEMA item = {};
                            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                            item.state = LVIS_SELECTED | LVIS_FOCUSED;
                            SendMessageA(hList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
                            Sleep(300);
                            CHECK_EQ(Text(NameBox(hPicker)), "_placebo_");
                            CHECK(PressSelect(hPicker));
                            HWND hLog = nullptr;
                            std::string log = WaitForLogText(&hLog);
                            CHECK(log.find("\r\noutput folder: " + folder + "\r\n") != std::string::npos);
                            CHECK(PressButton(hLog, IDOK));
                            std::map<std::string, std::string> files = FolderFiles(folder);
                            CHECK_EQ(files["existing.txt"], "keep me\n");
                            CHECK(files.size() > 1);
                        },
                        nullptr});

// A folder entered by double-clicking it in the list, then Select; in a folder with a long name
// the log's lines are wider than its box, which scrolls sideways instead of wrapping them. Its
// sub-folder's path is longer than the platform's dialog can take: Select there is refused with
// a message and the picker stays open.
Register doubleClick(
    {"picker-double-click", Args,
     [] {
         std::string parent = FreshFolder("double");
         std::string name = "a-folder-with-a-long-name-" + std::string(110, 'x');
         std::string folder = parent + "\\" + name;
         CreateDirectoryA(folder.c_str(), nullptr);
         std::string deep = std::string(130, 'd'), deepPath = "\\\\?\\" + folder + "\\" + deep;
         CHECK(CreateDirectoryW(std::wstring(deepPath.begin(), deepPath.end()).c_str(), nullptr));
         SetCurrentDirectoryA(parent.c_str());
         PostCommand(ID_FILE_PROCESS);
         HWND hPicker = WaitForPicker();
         if (!CHECK(hPicker != nullptr)) return;
         CHECK(EnterOnlyFolder(hPicker, name));
         Sleep(300);
         CHECK_EQ(Text(NameBox(hPicker)), "_placebo_");
         CHECK(PressSelect(hPicker));
         HWND hLog = nullptr;
         std::string log = WaitForLogText(&hLog);
         CHECK(log.find("\r\noutput folder: " + folder + "\r\n") != std::string::npos);
         HWND hEdit = GetDlgItem(hLog, 1005);
         size_t lines = 0;
         for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2))
             ++lines;
         CHECK_EQ(std::to_string(SendMessageA(hEdit, EM_GETLINECOUNT, 0, 0)), std::to_string(lines + 1));
         SCROLLINFO info = {};
         info.cbSize = sizeof info;
         info.fMask = SIF_RANGE | SIF_PAGE;
         CHECK(GetScrollInfo(hEdit, SB_HORZ, &info));
         CHECK(info.nMax - info.nMin + 1 > static_cast<int>(info.nPage));
         CHECK(PressButton(hLog, IDOK));
         CHECK(!FolderFiles(folder).empty());
         // Again: the picker opens where the last one ended and lists folders only.
         PostCommand(ID_FILE_PROCESS);
         hPicker = WaitForPicker();
         if (!CHECK(hPicker != nullptr) || !CHECK(EnterOnlyFolder(hPicker, deep))) return;
         PostMessageA(GetDlgItem(hPicker, IDOK), BM_CLICK, 0, 0);
         CHECK_EQ(AnswerMessageBox(), "This path is too long. Choose a shorter file name or a "
                                      "folder with a shorter path.");
         CHECK(IsWindow(hPicker) && PressButton(hPicker, IDCANCEL));
         CHECK(WaitForDialog("Process Log", 1000) == nullptr);
     },
     nullptr});

// Cancel in the picker: no log, no file, no profile change, the main window usable again.
Register cancel({"process-cancel", Args,
                 [] {
                     std::string folder = EnterFreshFolder("cancel");
                     std::map<std::string, std::string> before = ProfileValues();
                     PostCommand(ID_FILE_PROCESS);
                     HWND hPicker = WaitForPicker();
                     if (!CHECK(hPicker != nullptr)) return;
                     CHECK(PressButton(hPicker, IDCANCEL));
                     CHECK(WaitForDialog("Process Log", 1500) == nullptr);
                     CHECK(FolderFiles(folder).empty());
                     CHECK(ProfileValues() == before);
                     CHECK(IsWindowEnabled(MainFrame()));
                     // With no source open the command does not run from Ctrl+S either.
                     PostCommand(ID_FILE_NEW);
                     Settle();
                     PressKeys({VK_CONTROL, 'S'});
                     CHECK(WaitForPicker(1000) == nullptr);
                 },
                 nullptr});

// Select while the picker shows My Computer, a place with no file-system path: the command
// ends as on Cancel.
Register noPath({"picker-no-path", Args,
                 [] {
                     std::string folder = EnterFreshFolder("no-path");
                     PostCommand(ID_FILE_PROCESS);
                     HWND hPicker = WaitForPicker();
                     if (!CHECK(hPicker != nullptr)) return;
                     HWND hLookIn = GetDlgItem(hPicker, 1137);
                     int count = static_cast<int>(SendMessageA(hLookIn, CB_GETCOUNT, 0, 0));
                     int index = -1;
                     for (int i = 0; i < count; ++i)
                         if (ComboItem(hLookIn, i) == "My Computer") index = i;
                     if (!CHECK(index >= 0)) return;
                     SendMessageA(hLookIn, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
                     SendMessageA(hPicker, WM_COMMAND, MAKEWPARAM(1137, CBN_SELENDOK),
                                  reinterpret_cast<LPARAM>(hLookIn));
                     CHECK(WaitFor([&] { return Text(hLookIn) == "My Computer"; }));
                     Sleep(300);
                     CHECK_EQ(Text(NameBox(hPicker)), "_placebo_");
                     CHECK(PressSelect(hPicker));
                     CHECK(WaitForDialog("Process Log", 1500) == nullptr);
                     CHECK(FolderFiles(folder).empty());
                     CHECK(IsWindowEnabled(MainFrame()));
                 },
                 nullptr});

// A chunk level field of blanks and commas enables Process; the engine logs the empty list.
Register blankTags({"process-blank-tags", Args,
                    [] {
                        std::string folder = EnterFreshFolder("blank");
                        SendMessageA(ToolbarChild(IDC_LEVEL_EDIT), WM_SETTEXT, 0,
                                     reinterpret_cast<LPARAM>(" , ,"));
                        Settle();
                        CHECK(ButtonEnabled(ID_FILE_PROCESS));
                        PostCommand(ID_FILE_PROCESS);
                        HWND hLog = nullptr;
                        std::string log = SelectAndWaitForLog(&hLog);
                        CHECK(log.find("\r\n\r\nchunk level tag is empty\r\n") != std::string::npos);
                        CHECK(PressButton(hLog, IDOK));
                        CHECK(FolderFiles(folder).empty());
                    },
                    nullptr});

// A read error of the source is reported by the command dispatch with its own message; no
// log is shown and the next Process works.
Register readError({"process-read-error", Args,
                    [] {
                        std::string folder = EnterFreshFolder("read-error");
                        IoFaults::FailAt(IoOp::Read, 1);
                        PostCommand(ID_FILE_PROCESS);
                        HWND hPicker = WaitForPicker();
                        if (!CHECK(hPicker != nullptr)) return;
                        CHECK(PressSelect(hPicker));
                        CHECK_EQ(AnswerMessageBox(), "An error occurred while reading " + SamplePath() + ".");
                        CHECK(WaitForDialog("Process Log", 500) == nullptr);
                        IoFaults::Reset();
                        PostCommand(ID_FILE_PROCESS);
                        ExpectRunLikeEngine("read-error");
                    },
                    nullptr});

// A source that grew on disk past what memory holds: the command dispatch reports it with a
// clear message, no log is shown, and the program goes on to process the source once it is
// small again.
std::string g_growing;
Register tooLarge(
    {"process-too-large",
     [] {
         ForgetProfileAndPickerFolder();
         g_growing = WriteFile("growing.xml", "<topic><title>small</title></topic>\n");
         return std::vector<std::string>{g_growing};
     },
     [] {
         std::string folder = EnterFreshFolder("too-large");
         for (LONGLONG size : {1900000000LL, 3500000000LL}) {
             HANDLE h = CreateFileA(g_growing.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
             LARGE_INTEGER at;
             at.QuadPart = size;
             CHECK(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
             CloseHandle(h);
             PostCommand(ID_FILE_PROCESS);
             HWND hPicker = WaitForPicker();
             if (!CHECK(hPicker != nullptr)) return;
             CHECK(PressSelect(hPicker));
             CHECK_EQ(AnswerMessageBox(30000), "Out of memory.");
             CHECK(WaitForDialog("Process Log", 500) == nullptr);
         }
         HANDLE h = CreateFileA(g_growing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                                0, nullptr);
         DWORD written = 0;
         WriteFile(h, "<topic><title>again</title></topic>\n", 36, &written, nullptr);
         CloseHandle(h);
         PostCommand(ID_FILE_PROCESS);
         HWND hLog = nullptr;
         CHECK(SelectAndWaitForLog(&hLog).find("\r\n" + folder + "\\again.xml\r\n") != std::string::npos);
         CHECK(PressButton(hLog, IDOK));
         CHECK_EQ(ReadBytes(folder + "\\again.xml"),
                  std::string(kDefaultPreamble).insert(38, "\r") + "<topic><title>again</title></topic>");
     },
     nullptr});

// Not a test: poses the picker, the Process Log after a run on the bundled sample, and the
// Settings dialog for scripts/screenshots.sh.
Register shots({"shots", Args,
                [] {
                    std::string folder = EnterFreshFolder("shots-out");
                    PostCommand(ID_FILE_PROCESS);
                    HWND hPicker = WaitForPicker();
                    if (!CHECK(hPicker != nullptr)) return;
                    Pose(hPicker, "folder-picker");
                    CHECK(PressSelect(hPicker));
                    HWND hLog = nullptr;
                    WaitForLogText(&hLog);
                    Pose(hLog, "process-log");
                    CHECK(PressButton(hLog, IDOK));
                    PostCommand(ID_SETTINGS);
                    HWND hSettings = WaitForDialog("Settings");
                    Pose(hSettings, "settings");
                    CHECK(PressButton(hSettings, IDCANCEL));
                },
                nullptr});

} // namespace
