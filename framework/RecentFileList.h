// CRecentFileList: the most recently opened files, most recent first, kept in the profile as
// "<section>\File1".."FileN" and shown in the File menu shortened to a display length.
#pragma once

#include "platform/StringTypes.h"

class CWinApp;

class CRecentFileList {
public:
    CRecentFileList(const CString& section, const CString& entryFormat, int nSize, int nMaxDispLen);

    int GetSize() const { return static_cast<int>(m_arrNames.size()); }
    const CString& operator[](int nIndex) const { return m_arrNames[nIndex]; }
    // The number of entries in use.
    int GetCount() const;

    // Puts path first, dropping an equal entry (paths compare without regard to case) and the oldest.
    void Add(const CString& path);
    void Remove(int nIndex);
    // The menu form of entry nIndex: the path shortened to the display length.
    CString GetDisplayName(int nIndex) const;

    void ReadList(const CWinApp& app);
    void WriteList(CWinApp& app) const;

    CString m_strSectionName;
    CString m_strEntryFormat; // with one "%d", numbered from 1
    int m_nMaxDisplayLength;

private:
    CStringList m_arrNames;
};

// path shortened to at most nMax characters: the volume, "\...", and as many trailing folders
// as fit, or the file name alone when even "<volume>\...\<name>" is too long.
CString AbbreviatePath(const CString& path, int nMax);
