#include "RecentFileList.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "WinApp.h"

namespace {
bool SamePath(const CString& a, const CString& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

CString EntryName(const CString& format, int number) {
    char name[64];
    std::snprintf(name, sizeof name, format.c_str(), number);
    return name;
}
} // namespace

CString AbbreviatePath(const CString& path, int nMax) {
    size_t max = static_cast<size_t>(nMax);
    if (path.size() <= max) return path;
    size_t nameStart = path.find_last_of("\\/:");
    CString name = nameStart == CString::npos ? path : path.substr(nameStart + 1);
    // The volume: "C:" or "\\server\share".
    size_t volumeEnd = 0;
    if (path.size() >= 2 && path[1] == ':') {
        volumeEnd = 2;
    } else if (path.compare(0, 2, "\\\\") == 0) {
        size_t server = path.find('\\', 2);
        size_t share = server == CString::npos ? CString::npos : path.find('\\', server + 1);
        volumeEnd = share == CString::npos ? path.size() : share;
    }
    CString volume = path.substr(0, volumeEnd);
    // Drop folders from the left until "<volume>\...<rest>" fits.
    size_t cut = path.find('\\', volumeEnd + 1);
    while (cut != CString::npos && cut < path.size()) {
        CString candidate = volume + "\\..." + path.substr(cut);
        if (candidate.size() <= max) return candidate;
        cut = path.find('\\', cut + 1);
    }
    return name;
}

CRecentFileList::CRecentFileList(const CString& section, const CString& entryFormat, int nSize,
                                 int nMaxDispLen)
    : m_strSectionName(section), m_strEntryFormat(entryFormat), m_nMaxDisplayLength(nMaxDispLen),
      m_arrNames(static_cast<size_t>(nSize)) {}

int CRecentFileList::GetCount() const {
    return static_cast<int>(
        std::count_if(m_arrNames.begin(), m_arrNames.end(), [](const CString& s) { return !s.empty(); }));
}

void CRecentFileList::Add(const CString& path) {
    if (path.empty() || m_arrNames.empty()) return;
    auto same = std::find_if(m_arrNames.begin(), m_arrNames.end(),
                             [&](const CString& s) { return SamePath(s, path); });
    if (same == m_arrNames.end()) same = m_arrNames.end() - 1; // the oldest falls out
    std::rotate(m_arrNames.begin(), same, same + 1);
    m_arrNames.front() = path;
}

void CRecentFileList::Remove(int nIndex) {
    if (nIndex < 0 || nIndex >= GetSize()) return;
    m_arrNames.erase(m_arrNames.begin() + nIndex);
    m_arrNames.emplace_back();
}

CString CRecentFileList::GetDisplayName(int nIndex) const {
    return AbbreviatePath(m_arrNames[static_cast<size_t>(nIndex)], m_nMaxDisplayLength);
}

void CRecentFileList::ReadList(const CWinApp& app) {
    for (int i = 0; i < GetSize(); ++i)
        m_arrNames[static_cast<size_t>(i)] =
            app.GetProfileString(m_strSectionName, EntryName(m_strEntryFormat, i + 1), "");
}

void CRecentFileList::WriteList(CWinApp& app) const {
    for (int i = 0; i < GetSize(); ++i) {
        CString entry = EntryName(m_strEntryFormat, i + 1);
        const CString& name = m_arrNames[static_cast<size_t>(i)];
        if (name.empty())
            app.DeleteProfileValue(m_strSectionName, entry);
        else
            app.WriteProfileString(m_strSectionName, entry, name);
    }
}
