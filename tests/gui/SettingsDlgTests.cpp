// The Settings dialog as a user works it: the enabling rules for every state of their check
// boxes, the Clear buttons, and what OK, Cancel and no change leave in the profile and in the
// next Process.
#include "GuiHarness.h"

#include "resources/resource.h"
#include "settings/ChunkSettings.h"

using namespace gui;

namespace {
std::vector<std::string> FreshArgs() {
    ForgetProfile();
    return {SamplePath()};
}

HWND OpenSettings() {
    PostCommand(ID_SETTINGS);
    HWND hDlg = WaitForDialog("Settings");
    CHECK(hDlg != nullptr);
    return hDlg;
}
// Presses OK; true once the application has written what changed: it does so after the dialog
// has closed and before it takes the next message, so a message sent to it returns after that.
bool Confirm(HWND hDlg) {
    bool closed = PressButton(hDlg, IDOK);
    SendMessageA(MainFrame(), WM_NULL, 0, 0);
    return closed;
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

// A fresh profile: the defaults, the rules' first application and the focus; OK without a
// change writes nothing. Then every combination of the rules' boxes as the dialog opens with
// it, and clicking through them: the dependent controls follow, and the prefix's Clear button
// keeps its quirk.
Register enabling({"settings.enabling", FreshArgs,
                   [] {
                       HWND hDlg = OpenSettings();
                       if (hDlg == nullptr) return;
                       CHECK(Checked(hDlg, IDC_OVERWRITE) && !Checked(hDlg, IDC_SUBFOLDERS) &&
                             !Checked(hDlg, IDC_APPEND_TAGNAME));
                       CHECK_EQ(Text(GetDlgItem(hDlg, IDC_EXT)) + "|" + Text(GetDlgItem(hDlg, IDC_PREAMBLE)),
                                std::string("xml|") + kDefaultPreamble);
                       ExpectState(hDlg, {false, false, true, true, false, false});
                       CHECK(FocusWindow() == GetDlgItem(hDlg, IDC_OVERWRITE) &&
                             !IsWindowEnabled(MainFrame()));
                       CHECK(Confirm(hDlg));
                       CHECK_EQ(ProfileValues(), "");
                       ChunkSettings& settings = *GetChunkSettings();
                       for (int bits = 0; bits < 32; ++bits) {
                           BoxState s = {(bits & 1) != 0, (bits & 2) != 0, true,
                                         (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0};
                           settings.m_bEmitPrefix = s.emitPrefix;
                           settings.m_bUseSource = s.useSource;
                           settings.m_bEmitPreamble = s.emitPreamble;
                           settings.m_bUseLine1 = s.useLine1;
                           settings.m_bEmitPostamble = s.emitPostamble;
                           hDlg = OpenSettings();
                           if (hDlg == nullptr) return;
                           ExpectState(hDlg, s);
                           CHECK(PressButton(hDlg, IDCANCEL));
                       }
                       settings.m_bEmitPrefix = settings.m_bUseSource = settings.m_bUseLine1 =
                           settings.m_bEmitPostamble = 0;
                       settings.m_bEmitPreamble = 1;
                       hDlg = OpenSettings();
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
Register clear({"settings.clear", FreshArgs,
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
                    CHECK(Confirm(hDlg));
                    CHECK_EQ(ProfileValues(),
                             "Settings\\postamble=\nSettings\\preamble=PRE2\nSettings\\prefix=\n");
                    CHECK_EQ(settings.m_strPrefix, "");
                    CHECK_EQ(settings.m_strPreamble, "PRE2");
                    CHECK(settings.m_bUseSource == 1 && settings.m_bUseLine1 == 1);
                },
                nullptr});

// Every option changed and confirmed: each in the profile at once as "yes"/"no" or its text (a
// typed preamble with the edit's line breaks), unchanged ones absent; on and off again, and
// Cancel, write nothing; the next Process uses the new options.
Register write({"settings.write", FreshArgs,
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
                    CHECK(Confirm(hDlg));
                    // Booleans as "yes" or "no"; the typed preamble with the edit's line breaks.
                    std::string values = ProfileValues();
                    CHECK_EQ(values, "Settings\\append_tagname=yes\n"
                                     "Settings\\emit_postamble=yes\n"
                                     "Settings\\emit_prefix=yes\n"
                                     "Settings\\ext=\n"
                                     "Settings\\overwrite=no\n"
                                     "Settings\\postamble=<!-- end -->\n"
                                     "Settings\\preamble=<!-- one -->\r\n<!-- two -->\n"
                                     "Settings\\prefix=p-\n"
                                     "Settings\\subfolders=yes\n");

                    // On and off again, then Cancel after changes: nothing more is written or kept.
                    hDlg = OpenSettings();
                    if (hDlg == nullptr) return;
                    Click(hDlg, IDC_SUBFOLDERS);
                    Click(hDlg, IDC_SUBFOLDERS);
                    Type(hDlg, IDC_EXT, "tmp");
                    Type(hDlg, IDC_EXT, "");
                    CHECK(Confirm(hDlg));
                    hDlg = OpenSettings();
                    if (hDlg == nullptr) return;
                    Click(hDlg, IDC_OVERWRITE);
                    Type(hDlg, IDC_EXT, "zzz");
                    CHECK(PressButton(hDlg, IDCANCEL));
                    SendMessageA(MainFrame(), WM_NULL, 0, 0);
                    CHECK_EQ(ProfileValues(), values);
                    CHECK(GetChunkSettings()->m_bOverwrite == 0);
                    CHECK_EQ(GetChunkSettings()->m_strExt, "");

                    // The next Process: sub-folders, the prefix, the preamble and postamble.
                    std::string folder = FreshFolder("after-settings", true);
                    PostCommand(ID_FILE_PROCESS);
                    HWND hPicker = WaitForDialog("Select Brevix Output Folder");
                    CHECK(hPicker != nullptr && PressButton(hPicker, IDOK));
                    HWND hLog = WaitForDialog("Process Log", 10000);
                    CHECK(hLog != nullptr && PressButton(hLog, IDOK));
                    std::map<std::string, std::string> files = FolderFiles(folder);
                    CHECK_EQ(std::to_string(files.size()), "10");
                    for (const auto& file : files) {
                        CHECK_EQ(file.first.substr(0, 8), "topic\\p-");
                        CHECK(file.second.find("<!-- two -->") != std::string::npos);
                        CHECK(file.second.find("<!-- end -->") != std::string::npos);
                    }
                },
                nullptr});

} // namespace
