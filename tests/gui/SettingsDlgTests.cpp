// The Settings dialog as a user works it: its template, the enabling rules for every state of
// their check boxes, the Clear buttons, and what OK, Cancel and no change leave in the profile
// and in the next Process.
#include "ProcessSupport.h"

#include "resources/resource.h"
#include "settings/ChunkSettings.h"

using namespace gui;

namespace {
std::vector<std::string> FreshArgs() {
    ForgetProfileAndPickerFolder();
    return {SamplePath()};
}

HWND OpenSettings() {
    PostCommand(ID_SETTINGS);
    HWND hDlg = WaitForDialog("Settings");
    CHECK(hDlg != nullptr);
    return hDlg;
}

bool Enabled(HWND hDlg, int nID) {
    return IsWindowEnabled(GetDlgItem(hDlg, nID)) != FALSE;
}
bool Checked(HWND hDlg, int nID) {
    return SendMessageA(GetDlgItem(hDlg, nID), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void Click(HWND hDlg, int nID) {
    SendMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}
void SetText(HWND hDlg, int nID, const std::string& text) {
    SendMessageA(GetDlgItem(hDlg, nID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
// Replaces the text of an edit by typing: every character a WM_CHAR, "\r" being Enter.
void Type(HWND hDlg, int nID, const std::string& text) {
    HWND hEdit = GetDlgItem(hDlg, nID);
    SendMessageA(hEdit, EM_SETSEL, 0, -1);
    SendMessageA(hEdit, WM_CHAR, VK_BACK, 0);
    for (char ch : text)
        SendMessageA(hEdit, WM_CHAR, static_cast<unsigned char>(ch), 0);
}

// The check boxes of the three rules, and whether the prefix group rule (rather than the
// source-name rule) ran last: after it the prefix's Clear button is on whenever 1005 is.
struct BoxState {
    bool emitPrefix, useSource, prefixRuleLast, emitPreamble, useLine1, emitPostamble;
};

std::string StateName(const BoxState& s) {
    return std::string("prefix ") + (s.emitPrefix ? "1" : "0") + (s.useSource ? "1" : "0") +
           (s.prefixRuleLast ? "g" : "s") + " preamble " + (s.emitPreamble ? "1" : "0") +
           (s.useLine1 ? "1" : "0") + " postamble " + (s.emitPostamble ? "1" : "0");
}

// Every dependent control's enabled state and every box's check state, as one text.
std::string Observed(HWND hDlg) {
    std::string out;
    for (int id : {IDC_EMIT_PREFIX, IDC_USE_SOURCE, IDC_EMIT_PREAMBLE, IDC_USE_LINE1, IDC_EMIT_POSTAMBLE})
        out += Checked(hDlg, id) ? "x" : "-";
    out += " ";
    for (int id : {IDC_USE_SOURCE, IDC_PREFIX_LABEL, IDC_PREFIX, IDC_CLEAR_PREFIX, IDC_APPEND_TAGNAME,
                   IDC_USE_LINE1, IDC_PREAMBLE, IDC_CLEAR_PREAMBLE, IDC_POSTAMBLE, IDC_CLEAR_POSTAMBLE,
                   IDC_OVERWRITE, IDC_SUBFOLDERS, IDC_EXT})
        out += Enabled(hDlg, id) ? "E" : "d";
    return out;
}

std::string Expected(const BoxState& s) {
    std::string out;
    for (bool box : {s.emitPrefix, s.useSource, s.emitPreamble, s.useLine1, s.emitPostamble})
        out += box ? "x" : "-";
    out += " ";
    bool literalPrefix = s.emitPrefix && !s.useSource;
    bool literalPreamble = s.emitPreamble && !s.useLine1;
    for (bool on : {s.emitPrefix, literalPrefix, literalPrefix,
                    s.emitPrefix && (!s.useSource || s.prefixRuleLast), s.emitPrefix, s.emitPreamble,
                    literalPreamble, literalPreamble, s.emitPostamble, s.emitPostamble, true, true, true})
        out += on ? "E" : "d";
    return out;
}

void ExpectState(HWND hDlg, const BoxState& s) {
    CHECK_EQ(StateName(s) + ": " + Observed(hDlg), StateName(s) + ": " + Expected(s));
}

// A fresh profile: the template control by control, the defaults in it, the rules' first
// application and the focus; OK without a change writes nothing.
Register layout(
    {"settings-template", FreshArgs,
     [] {
         std::map<std::string, std::string> before = ProfileValues();
         HWND hDlg = OpenSettings();
         if (hDlg == nullptr) return;
         RECT client, size = {0, 0, 266, 314};
         GetClientRect(hDlg, &client);
         MapDialogRect(hDlg, &size);
         CHECK_EQ(std::to_string(client.right) + "x" + std::to_string(client.bottom),
                  std::to_string(size.right) + "x" + std::to_string(size.bottom));
         const DWORD kind = 0x1F | WS_TABSTOP | WS_VISIBLE;
         const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE;
         const DWORD button = BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE;
         const DWORD group = BS_GROUPBOX | WS_VISIBLE;
         const DWORD label = SS_RIGHT | WS_VISIBLE;
         const DWORD editKind = ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL |
                                WS_VSCROLL | WS_TABSTOP | WS_VISIBLE;
         const DWORD line = ES_AUTOHSCROLL | WS_TABSTOP | WS_VISIBLE;
         const DWORD multi =
             ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_TABSTOP | WS_VISIBLE;
         const ControlSpec controls[] = {
             {1011, "Button", "Overwrite files", {17, 11, 60, 10}, kind, check},
             {1014, "Button", "Output to chunk level tag-named sub-folders", {17, 26, 155, 10}, kind, check},
             {-1, "Button", "File Naming", {7, 42, 252, 103}, kind, group},
             {1005, "Button", "Add a prefix to each chunk filename", {17, 57, 129, 10}, kind, check},
             {1007,
              "Button",
              "Use the filename of the source file as the prefix",
              {17, 72, 163, 10},
              kind,
              check},
             {1009, "Static", "Prefix:", {17, 90, 34, 8}, kind, label},
             {1008, "Edit", "", {56, 87, 139, 14}, editKind, line},
             {1016, "Button", "Clear", {199, 86, 50, 14}, kind, button},
             {1015, "Button", "Append chunk level tag name to prefix", {17, 107, 137, 10}, kind, check},
             {-1, "Static", "Extension:", {17, 126, 34, 8}, kind, label},
             {1003, "Edit", "xml", {56, 123, 40, 14}, editKind, line},
             {1004, "Button", "Preamble", {7, 148, 252, 85}, kind, group},
             {1002, "Button", "Add a preamble to each chunk file", {17, 163, 124, 10}, kind, check},
             {1006,
              "Button",
              "Use line 1 of the source file as the preamble",
              {17, 178, 153, 10},
              kind,
              check},
             {1017, "Button", "Clear", {199, 174, 50, 14}, kind, button},
             {1001, "Edit", kDefaultPreamble, {17, 193, 232, 30}, editKind, multi},
             {1013, "Button", "Postamble", {7, 236, 252, 71}, kind, group},
             {1010, "Button", "Add a postamble to each chunk file", {17, 252, 127, 10}, kind, check},
             {1018, "Button", "Clear", {199, 248, 50, 14}, kind, button},
             {1012, "Edit", "", {17, 267, 232, 30}, editKind, multi},
             {IDOK, "Button", "OK", {209, 7, 50, 14}, kind, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE},
             {IDCANCEL, "Button", "Cancel", {209, 24, 50, 14}, kind, button},
         };
         CheckTemplate(hDlg, controls, sizeof controls / sizeof controls[0]);
         // Defaults: overwrite and preamble on, everything else off.
         CHECK(Checked(hDlg, IDC_OVERWRITE));
         CHECK(!Checked(hDlg, IDC_SUBFOLDERS));
         CHECK(!Checked(hDlg, IDC_APPEND_TAGNAME));
         ExpectState(hDlg, {false, false, true, true, false, false});
         CHECK(FocusWindow() == GetDlgItem(hDlg, IDC_OVERWRITE));
         CHECK(!IsWindowEnabled(MainFrame()));
         CHECK(PressButton(hDlg, IDOK));
         CHECK(ProfileValues() == before);
     },
     nullptr});

// Every combination of the rules' boxes as the dialog opens with it, then clicking through
// them: the dependent controls follow, and the prefix's Clear button keeps its quirk.
Register enabling({"settings-enabling", FreshArgs,
                   [] {
                       ChunkSettings& settings = *GetChunkSettings();
                       for (int bits = 0; bits < 32; ++bits) {
                           BoxState s = {(bits & 1) != 0, (bits & 2) != 0, true,
                                         (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0};
                           settings.m_bEmitPrefix = s.emitPrefix;
                           settings.m_bUseSource = s.useSource;
                           settings.m_bEmitPreamble = s.emitPreamble;
                           settings.m_bUseLine1 = s.useLine1;
                           settings.m_bEmitPostamble = s.emitPostamble;
                           HWND hDlg = OpenSettings();
                           if (hDlg == nullptr) return;
                           ExpectState(hDlg, s);
                           CHECK(PressButton(hDlg, IDCANCEL));
                       }
                       settings.m_bEmitPrefix = settings.m_bUseSource = settings.m_bUseLine1 =
                           settings.m_bEmitPostamble = 0;
                       settings.m_bEmitPreamble = 1;
                       HWND hDlg = OpenSettings();
                       if (hDlg == nullptr) return;
                       BoxState s = {false, false, true, true, false, false};
                       struct Step {
                           int id;
                           bool BoxState::*box;
                           bool prefixRule; // the click runs the prefix group rule
                       } steps[] = {
                           {IDC_EMIT_PREFIX, &BoxState::emitPrefix, true},
                           {IDC_USE_SOURCE, &BoxState::useSource, false},
                           {IDC_EMIT_PREFIX, &BoxState::emitPrefix, true},
                           {IDC_EMIT_PREFIX, &BoxState::emitPrefix, true},
                           {IDC_USE_SOURCE, &BoxState::useSource, false},
                           {IDC_USE_SOURCE, &BoxState::useSource, false},
                           {IDC_USE_LINE1, &BoxState::useLine1, false},
                           {IDC_EMIT_PREAMBLE, &BoxState::emitPreamble, false},
                           {IDC_EMIT_PREAMBLE, &BoxState::emitPreamble, false},
                           {IDC_USE_LINE1, &BoxState::useLine1, false},
                           {IDC_EMIT_PREAMBLE, &BoxState::emitPreamble, false},
                           {IDC_EMIT_PREAMBLE, &BoxState::emitPreamble, false},
                           {IDC_EMIT_POSTAMBLE, &BoxState::emitPostamble, false},
                           {IDC_EMIT_POSTAMBLE, &BoxState::emitPostamble, false},
                       };
                       for (const Step& step : steps) {
                           Click(hDlg, step.id);
                           s.*step.box = !(s.*step.box);
                           if (step.id == IDC_EMIT_PREFIX || step.id == IDC_USE_SOURCE)
                               s.prefixRuleLast = step.prefixRule;
                           ExpectState(hDlg, s);
                       }
                       CHECK(PressButton(hDlg, IDCANCEL));
                   },
                   nullptr});

// Boxes 1005 and 1007 both on: the greyed prefix is emptied by its Clear button and saved;
// the Clear button follows the edit again after 1007 is clicked. Greyed texts are kept.
Register clear({"settings-clear", FreshArgs,
                [] {
                    ChunkSettings& settings = *GetChunkSettings();
                    settings.m_bEmitPrefix = settings.m_bUseSource = 1;
                    settings.m_strPrefix = "pre-";
                    settings.m_bEmitPreamble = 0;
                    settings.m_bUseLine1 = 1;
                    settings.m_strPreamble = "PRE";
                    settings.m_bEmitPostamble = 1;
                    settings.m_strPostamble = "POST";
                    HWND hDlg = OpenSettings();
                    if (hDlg == nullptr) return;
                    CHECK(!Enabled(hDlg, IDC_PREFIX) && !Enabled(hDlg, IDC_PREFIX_LABEL) &&
                          Enabled(hDlg, IDC_CLEAR_PREFIX));
                    CHECK_EQ(Text(GetDlgItem(hDlg, IDC_PREFIX)), "pre-");
                    Click(hDlg, IDC_CLEAR_PREFIX);
                    CHECK_EQ(Text(GetDlgItem(hDlg, IDC_PREFIX)), "");
                    Click(hDlg, IDC_USE_SOURCE);
                    CHECK(Enabled(hDlg, IDC_PREFIX) && Enabled(hDlg, IDC_PREFIX_LABEL) &&
                          Enabled(hDlg, IDC_CLEAR_PREFIX));
                    Click(hDlg, IDC_USE_SOURCE);
                    CHECK(!Enabled(hDlg, IDC_PREFIX) && !Enabled(hDlg, IDC_PREFIX_LABEL) &&
                          !Enabled(hDlg, IDC_CLEAR_PREFIX));
                    // The preamble is greyed out but keeps its values, and a text set meanwhile is returned.
                    CHECK(!Enabled(hDlg, IDC_PREAMBLE) && !Enabled(hDlg, IDC_USE_LINE1) &&
                          !Enabled(hDlg, IDC_CLEAR_PREAMBLE));
                    CHECK(Checked(hDlg, IDC_USE_LINE1));
                    CHECK_EQ(Text(GetDlgItem(hDlg, IDC_PREAMBLE)), "PRE");
                    SetText(hDlg, IDC_PREAMBLE, "PRE2");
                    Click(hDlg, IDC_CLEAR_POSTAMBLE);
                    CHECK_EQ(Text(GetDlgItem(hDlg, IDC_POSTAMBLE)), "");
                    CHECK(PressButton(hDlg, IDOK));
                    std::map<std::string, std::string> values = ProfileValues();
                    std::map<std::string, std::string> expected = {{"Settings\\prefix", "1:"},
                                                                   {"Settings\\preamble", "1:PRE2"},
                                                                   {"Settings\\postamble", "1:"}};
                    for (auto& value : values)
                        value.second.erase(value.second.find_last_not_of('\0') + 1);
                    CHECK(values == expected);
                    for (const auto& value : values)
                        Log("    " + value.first + " = " + value.second);
                    CHECK_EQ(settings.m_strPrefix, "");
                    CHECK_EQ(settings.m_strPreamble, "PRE2");
                    CHECK(settings.m_bUseSource == 1 && settings.m_bUseLine1 == 1);
                },
                nullptr});

// Every option changed and confirmed: each in the profile at once as "yes"/"no" or its text (a
// typed preamble with the edit's line breaks), unchanged ones absent; on and off again, and
// Cancel, write nothing; the next Process uses the new options.
Register write({"settings-write", FreshArgs,
                [] {
                    HWND hDlg = OpenSettings();
                    if (hDlg == nullptr) return;
                    Click(hDlg, IDC_OVERWRITE);
                    Click(hDlg, IDC_SUBFOLDERS);
                    Click(hDlg, IDC_EMIT_PREFIX);
                    Type(hDlg, IDC_PREFIX, "p-");
                    Click(hDlg, IDC_APPEND_TAGNAME);
                    Type(hDlg, IDC_EXT, "");
                    Type(hDlg, IDC_PREAMBLE, "<!-- one -->\r<!-- two -->");
                    Click(hDlg, IDC_EMIT_POSTAMBLE);
                    Type(hDlg, IDC_POSTAMBLE, "<!-- end -->");
                    CHECK(PressButton(hDlg, IDOK));
                    std::map<std::string, std::string> values = ProfileValues();
                    std::map<std::string, std::string> expected = {
                        {"Settings\\overwrite", "no"},
                        {"Settings\\subfolders", "yes"},
                        {"Settings\\emit_prefix", "yes"},
                        {"Settings\\prefix", "p-"},
                        {"Settings\\append_tagname", "yes"},
                        {"Settings\\ext", ""},
                        {"Settings\\preamble", "<!-- one -->\r\n<!-- two -->"},
                        {"Settings\\emit_postamble", "yes"},
                        {"Settings\\postamble", "<!-- end -->"},
                    };
                    for (auto& value : expected)
                        value.second = "1:" + value.second + '\0';
                    CHECK(values == expected);
                    for (const auto& value : values)
                        Log("    " + value.first + " = " + value.second);

                    // On and off again, then Cancel after changes: nothing more is written or kept.
                    hDlg = OpenSettings();
                    if (hDlg == nullptr) return;
                    Click(hDlg, IDC_SUBFOLDERS);
                    Click(hDlg, IDC_SUBFOLDERS);
                    Type(hDlg, IDC_EXT, "tmp");
                    Type(hDlg, IDC_EXT, "");
                    CHECK(PressButton(hDlg, IDOK));
                    hDlg = OpenSettings();
                    if (hDlg == nullptr) return;
                    Click(hDlg, IDC_OVERWRITE);
                    Type(hDlg, IDC_EXT, "zzz");
                    CHECK(PressButton(hDlg, IDCANCEL));
                    CHECK(ProfileValues() == values);
                    CHECK(GetChunkSettings()->m_bOverwrite == 0);
                    CHECK_EQ(GetChunkSettings()->m_strExt, "");

                    std::string folder = EnterFreshFolder("after-settings");
                    PostCommand(ID_FILE_PROCESS);
                    ExpectRunLikeEngine("after-settings");
                    std::map<std::string, std::string> files = FolderFiles(folder);
                    CHECK(!files.empty());
                    for (const auto& file : files) {
                        CHECK_EQ(file.first.substr(0, 8), "topic\\p-");
                        CHECK(file.second.find("<!-- two -->") != std::string::npos);
                        CHECK(file.second.find("<!-- end -->") != std::string::npos);
                    }
                },
                nullptr});

} // namespace
