// Command routing: CCmdTarget with its per-class command map, and CCmdUI, the enabling state of
// one menu item or toolbar button while the enabling handlers run.
#pragma once

#include "platform/StringTypes.h"
#include "platform/Win32.h"

class CCmdUI;

// What a command map is asked.
enum class CmdCode {
    Run,    // run the command handler
    Update, // run the enabling handler with a CCmdUI
    Probe,  // only say whether a command handler exists
};

// One line of a class's command map: an id range and the handlers the class has for it.
template <class T> struct CmdMapEntry {
    UINT nFirst;
    UINT nLast;
    void (T::*pfnCommand)();              // the command
    void (T::*pfnCommandRange)(UINT nID); // the command, told its id
    void (T::*pfnUpdate)(CCmdUI* pCmdUI); // the enabling handler
};

template <class T> constexpr CmdMapEntry<T> OnCommandEntry(UINT nID, void (T::*pfn)()) {
    return {nID, nID, pfn, nullptr, nullptr};
}
template <class T>
constexpr CmdMapEntry<T> OnCommandRangeEntry(UINT nFirst, UINT nLast, void (T::*pfn)(UINT)) {
    return {nFirst, nLast, nullptr, pfn, nullptr};
}
template <class T> constexpr CmdMapEntry<T> OnUpdateEntry(UINT nID, void (T::*pfn)(CCmdUI*)) {
    return {nID, nID, nullptr, nullptr, pfn};
}
template <class T>
constexpr CmdMapEntry<T> OnUpdateRangeEntry(UINT nFirst, UINT nLast, void (T::*pfn)(CCmdUI*)) {
    return {nFirst, nLast, nullptr, nullptr, pfn};
}

// Looks nID up in a class's map and does what code asks; TRUE when the map had a handler.
template <class T, size_t N>
BOOL DispatchCmdMap(T* pTarget, const CmdMapEntry<T> (&map)[N], UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    for (const CmdMapEntry<T>& entry : map) {
        if (nID < entry.nFirst || nID > entry.nLast) continue;
        bool isCommand = entry.pfnCommand != nullptr || entry.pfnCommandRange != nullptr;
        if (code == CmdCode::Probe && isCommand) return TRUE;
        if (code == CmdCode::Run && entry.pfnCommand != nullptr) {
            (pTarget->*entry.pfnCommand)();
            return TRUE;
        }
        if (code == CmdCode::Run && entry.pfnCommandRange != nullptr) {
            (pTarget->*entry.pfnCommandRange)(nID);
            return TRUE;
        }
        if (code == CmdCode::Update && entry.pfnUpdate != nullptr) {
            (pTarget->*entry.pfnUpdate)(pCmdUI);
            return TRUE;
        }
    }
    return FALSE;
}

// Anything that takes part in command routing: application, document, frame, view.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Offers command nID to this object; TRUE when it handled it (or, for Probe, could).
    virtual BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI);
};

// The enabling state of one command's menu item or toolbar button. Enabling handlers call
// Enable/SetCheck; the owner then applies what they asked.
class CCmdUI {
public:
    explicit CCmdUI(UINT nID) : m_nID(nID) {}

    void Enable(BOOL bOn = TRUE);
    void SetCheck(int nCheck = 1);

    // Runs the enabling handlers along the route of pTarget. Without one, the command is
    // enabled exactly when some command handler exists (a placeholder with none stays off).
    void DoUpdate(CCmdTarget* pTarget);

    UINT m_nID;
    BOOL m_bEnabled = TRUE; // the state after DoUpdate
    BOOL m_bEnableChanged = FALSE;
    int m_nCheck = 0;
    BOOL m_bCheckChanged = FALSE;
    HMENU m_pMenu = nullptr; // the menu holding the item, when it is a menu item
    UINT m_nIndex = 0;       // its position there
    HWND m_pOther = nullptr; // the toolbar, when it is a button
};
