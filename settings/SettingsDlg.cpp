#include "SettingsDlg.h"

#include "resources/resource.h"

#include <iterator>

CSettingsDlg::CSettingsDlg(CWinWnd* pParent) : CDialog(IDD_SETTINGS, pParent) {
    m_pszHelpTopic = "settings.htm";
}

CSettingsDlg::~CSettingsDlg() = default;

BOOL CSettingsDlg::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    static const CmdMapEntry<CSettingsDlg> map[] = {
        OnCommandEntry<CSettingsDlg>(IDC_EMIT_PREFIX, &CSettingsDlg::OnEmitPrefix),
        OnCommandEntry<CSettingsDlg>(IDC_USE_SOURCE, &CSettingsDlg::OnUseSource),
        OnCommandEntry<CSettingsDlg>(IDC_EMIT_PREAMBLE, &CSettingsDlg::OnEmitPreamble),
        OnCommandEntry<CSettingsDlg>(IDC_USE_LINE1, &CSettingsDlg::OnUseLine1),
        OnCommandEntry<CSettingsDlg>(IDC_EMIT_POSTAMBLE, &CSettingsDlg::OnEmitPostamble),
        OnCommandEntry<CSettingsDlg>(IDC_CLEAR_PREFIX, &CSettingsDlg::OnClearPrefix),
        OnCommandEntry<CSettingsDlg>(IDC_CLEAR_PREAMBLE, &CSettingsDlg::OnClearPreamble),
        OnCommandEntry<CSettingsDlg>(IDC_CLEAR_POSTAMBLE, &CSettingsDlg::OnClearPostamble),
    };
    return DispatchCmdMap(this, map, nID, code, pCmdUI) || CDialog::OnCmdMsg(nID, code, pCmdUI);
}

namespace {

// The control of each option of the table, by its member, in the table's order: an option
// without its control, one too many or one out of order does not compile.
struct OptionControl {
    const char* member;
    int id;
};
constexpr OptionControl kOptionControls[] = {
    {"m_bOverwrite", IDC_OVERWRITE},
    {"m_bSubfolders", IDC_SUBFOLDERS},
    {"m_bEmitPrefix", IDC_EMIT_PREFIX},
    {"m_bUseSource", IDC_USE_SOURCE},
    {"m_strPrefix", IDC_PREFIX},
    {"m_bAppendTagname", IDC_APPEND_TAGNAME},
    {"m_strExt", IDC_EXT},
    {"m_bEmitPreamble", IDC_EMIT_PREAMBLE},
    {"m_bUseLine1", IDC_USE_LINE1},
    {"m_strPreamble", IDC_PREAMBLE},
    {"m_bEmitPostamble", IDC_EMIT_POSTAMBLE},
    {"m_strPostamble", IDC_POSTAMBLE},
};

#define BREVIX_OPTION_MEMBER_NAME(kind, member, ...) #member,
constexpr const char* kOptionMembers[] = {BREVIX_CHUNK_OPTIONS(BREVIX_OPTION_MEMBER_NAME)};
#undef BREVIX_OPTION_MEMBER_NAME

constexpr bool SameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b)
        ++a, ++b;
    return *a == *b;
}

constexpr bool ControlsFollowTheTable() {
    for (size_t i = 0; i < std::size(kOptionMembers); ++i)
        if (!SameName(kOptionControls[i].member, kOptionMembers[i])) return false;
    return true;
}
static_assert(std::size(kOptionControls) == std::size(kOptionMembers), "one control per option of the table");
static_assert(ControlsFollowTheTable(), "the controls in the order of the option table");

// The control of an option, by its member's name.
constexpr int ControlOf(const char* member) {
    for (const OptionControl& each : kOptionControls)
        if (SameName(each.member, member)) return each.id;
    return 0;
}

// A flag is a check box, a text an edit control.
void DDX_Flag(CDataExchange* pDX, int nIDC, BOOL& value) {
    DDX_Check(pDX, nIDC, value);
}

} // namespace

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
#define BREVIX_EXCHANGE_OPTION(kind, member, ...) DDX_##kind(pDX, ControlOf(#member), member);
    BREVIX_CHUNK_OPTIONS(BREVIX_EXCHANGE_OPTION)
#undef BREVIX_EXCHANGE_OPTION
}

// The controls are filled first, then each group's rule is applied to their states.
BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    OnEmitPrefix();
    OnEmitPreamble();
    OnEmitPostamble();
    return TRUE;
}

// Prefix group rule: without a prefix nothing of it is editable. With one, the Clear button
// stays enabled even while the source-name rule greys out the prefix text.
void CSettingsDlg::OnEmitPrefix() {
    if (!IsDlgButtonChecked(IDC_EMIT_PREFIX)) {
        EnableControl(IDC_PREFIX_LABEL, FALSE);
        EnableControl(IDC_USE_SOURCE, FALSE);
        EnableControl(IDC_PREFIX, FALSE);
        EnableControl(IDC_CLEAR_PREFIX, FALSE);
        EnableControl(IDC_APPEND_TAGNAME, FALSE);
        return;
    }
    EnableControl(IDC_USE_SOURCE, TRUE);
    OnUseSource();
    EnableControl(IDC_CLEAR_PREFIX, TRUE);
    EnableControl(IDC_APPEND_TAGNAME, TRUE);
}

// Source-name rule: the literal prefix is editable only while the source's name is not used.
void CSettingsDlg::OnUseSource() {
    BOOL bLiteral = !IsDlgButtonChecked(IDC_USE_SOURCE);
    EnableControl(IDC_PREFIX_LABEL, bLiteral);
    EnableControl(IDC_PREFIX, bLiteral);
    EnableControl(IDC_CLEAR_PREFIX, bLiteral);
}

// Preamble group rule.
void CSettingsDlg::OnEmitPreamble() {
    if (!IsDlgButtonChecked(IDC_EMIT_PREAMBLE)) {
        EnableControl(IDC_USE_LINE1, FALSE);
        EnableControl(IDC_PREAMBLE, FALSE);
        EnableControl(IDC_CLEAR_PREAMBLE, FALSE);
        return;
    }
    EnableControl(IDC_USE_LINE1, TRUE);
    OnUseLine1();
}

// Line-1 rule: the literal preamble is editable only while line 1 is not used.
void CSettingsDlg::OnUseLine1() {
    BOOL bLiteral = !IsDlgButtonChecked(IDC_USE_LINE1);
    EnableControl(IDC_PREAMBLE, bLiteral);
    EnableControl(IDC_CLEAR_PREAMBLE, bLiteral);
}

// Postamble group rule.
void CSettingsDlg::OnEmitPostamble() {
    BOOL bEmit = IsDlgButtonChecked(IDC_EMIT_POSTAMBLE) ? TRUE : FALSE;
    EnableControl(IDC_POSTAMBLE, bEmit);
    EnableControl(IDC_CLEAR_POSTAMBLE, bEmit);
}

void CSettingsDlg::OnClearPrefix() {
    SetDlgItemText(IDC_PREFIX, CString());
}

void CSettingsDlg::OnClearPreamble() {
    SetDlgItemText(IDC_PREAMBLE, CString());
}

void CSettingsDlg::OnClearPostamble() {
    SetDlgItemText(IDC_POSTAMBLE, CString());
}

void CSettingsDlg::EnableControl(int nID, BOOL bEnable) {
    if (CWinWnd* pControl = GetDlgItem(nID)) pControl->EnableWindow(bEnable);
}
