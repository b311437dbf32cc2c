// The Settings dialog as a user works it: the enabling rules for every state of their check
// boxes, the Clear buttons, and what OK, Cancel and no change leave in the profile and in the
// next Process.
#include "GuiHarness.h"

#include "resources/resource.h"
#include "settings/ChunkSettings.h"

using namespace gui;

namespace {
HWND OpenSettings() {
    PostCommand(ID_SETTINGS);
    HWND hDlg = WaitForDialog("Settings");
    CHECK(hDlg != nullptr);
    return hDlg;
}

// Presses OK; true once the application has written what changed. It writes after the dialog
// has closed and before it takes its next message, so a message sent to it returns after that.
bool Confirm(HWND hDlg, int nID = IDOK) {
    bool closed = PressButton(hDlg, nID);
    SendMessageA(MainFrame(), WM_NULL, 0, 0);
    return closed;
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
    CHECK(FocusWindow() == GetDlgItem(hDlg, IDC_OVERWRITE) && !IsWindowEnabled(MainFrame()));
    CHECK(Confirm(hDlg));
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

// Boxes 1005 and 1007 both on: the greyed prefix is emptied by its Clear button and saved.
// Greyed texts are kept; the boxes are unchanged.
void Clear() {
    ChunkSettings& settings = *GetChunkSettings();
    settings.m_bEmitPrefix = settings.m_bUseSource = settings.m_bUseLine1 = 1;
    settings.m_bEmitPreamble = 0;
    settings.m_bEmitPostamble = 1;
    settings.m_strPrefix = "pre-";
    settings.m_strPreamble = "PRE";
    settings.m_strPostamble = "POST";
    HWND hDlg = OpenSettings();
    CHECK_EQ(Observed(hDlg), Expected(27, true));
    CHECK_EQ(Text(GetDlgItem(hDlg, IDC_PREFIX)) + "|" + Text(GetDlgItem(hDlg, IDC_PREAMBLE)), "pre-|PRE");
    Click(hDlg, IDC_CLEAR_PREFIX);
    CHECK_EQ(Text(GetDlgItem(hDlg, IDC_PREFIX)), "");
    SendMessageA(GetDlgItem(hDlg, IDC_PREAMBLE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("PRE2"));
    Click(hDlg, IDC_CLEAR_POSTAMBLE);
    CHECK(Confirm(hDlg));
    CHECK_EQ(ProfileValues(), "Settings\\postamble=\nSettings\\preamble=PRE2\nSettings\\prefix=\n");
}
Register clear({"settings.clear", SampleWithoutProfile, Clear, nullptr});

// Every option changed and confirmed: each in the profile at once as "yes"/"no" or its text (a
// typed preamble with the edit's line breaks), unchanged ones absent; on and off again, and
// Cancel, write nothing; the next Process uses the new options.
void Write() {
    HWND hDlg = OpenSettings();
    for (int id : {IDC_OVERWRITE, IDC_SUBFOLDERS, IDC_EMIT_PREFIX, IDC_APPEND_TAGNAME, IDC_EMIT_POSTAMBLE})
        Click(hDlg, id);
    Type(hDlg, IDC_PREFIX, "p-");
    Type(hDlg, IDC_EXT, "");
    Type(hDlg, IDC_PREAMBLE, "<!-- one -->\r<!-- two -->");
    Type(hDlg, IDC_POSTAMBLE, "<!-- end -->");
    CHECK(Confirm(hDlg));
    std::string values = ProfileValues();
    CHECK_EQ(values, "Settings\\append_tagname=yes\nSettings\\emit_postamble=yes\n"
                     "Settings\\emit_prefix=yes\nSettings\\ext=\nSettings\\overwrite=no\n"
                     "Settings\\postamble=<!-- end -->\n"
                     "Settings\\preamble=<!-- one -->\r\n<!-- two -->\n"
                     "Settings\\prefix=p-\nSettings\\subfolders=yes\n");
    hDlg = OpenSettings();
    Click(hDlg, IDC_SUBFOLDERS);
    Click(hDlg, IDC_SUBFOLDERS);
    Type(hDlg, IDC_EXT, "tmp");
    Type(hDlg, IDC_EXT, "");
    CHECK(Confirm(hDlg));
    hDlg = OpenSettings();
    Click(hDlg, IDC_OVERWRITE);
    Type(hDlg, IDC_EXT, "zzz");
    CHECK(Confirm(hDlg, IDCANCEL));
    CHECK_EQ(ProfileValues(), values);
    CHECK(GetChunkSettings()->m_bOverwrite == 0 && GetChunkSettings()->m_strExt.empty());

    std::string folder = FreshFolder("after-settings", true);
    PostCommand(ID_FILE_PROCESS);
    CHECK(PressButton(WaitForDialog("Select Brevix Output Folder"), IDOK));
    CHECK(PressButton(WaitForDialog("Process Log", 10000), IDOK));
    std::map<std::string, std::string> files = FolderFiles(folder);
    CHECK_EQ(std::to_string(files.size()), "10");
    for (const auto& file : files)
        CHECK(file.first.compare(0, 8, "topic\\p-") == 0 &&
              file.second.find("<!-- two -->") != std::string::npos &&
              file.second.find("<!-- end -->") != std::string::npos);
}
Register write({"settings.write", SampleWithoutProfile, Write, nullptr});
} // namespace
