// The per-user profile: string values by section and value name.
//   Windows: HKEY_CURRENT_USER\Software\<company>\<application>\<section>, REG_SZ values.
//   Elsewhere: ${XDG_CONFIG_HOME:-~/.config}/<company>/<application>.ini, one [section] per
//   section, value=text lines with "\n", "\r", "\t" and "\\" escaped (and a leading or trailing
//   space as "\s"); every write replaces the file through a temporary file and a rename, so a crash never
//   leaves a torn profile. The file is read as people write INI files: section and value names in
//   any letter case, blanks around them and around a value ignored (as the Windows profile
//   functions trim them), a file that is not a regular file ignored (never waited on), ";" and "#" comment lines, a UTF-8
//   byte-order mark skipped; the first of two values of one name counts.
// On both, a value ends at its first NUL byte.
#pragma once

#include "StringTypes.h"

// What the settings need of a profile: read a string with a default, write a string.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The stored text, or def when the value (or its section) is missing.
    virtual CString GetProfileString(const CString& section, const CString& entry,
                                     const CString& def) const = 0;
    // Stores value; false when it could not be written.
    virtual bool WriteProfileString(const CString& section, const CString& entry, const CString& value) = 0;
    // Each stored line that a read passes over because it cannot be used, as "where: why: text",
    // and a stored profile that cannot be read at all; empty when everything can be used.
    virtual CStringList GetUnusableLines() const { return {}; }
    // The names of the values stored in section, each once, as stored.
    virtual CStringList GetValueNames(const CString& /*section*/) const { return {}; }
    // The type of a stored value that is not a string (a registry REG_DWORD, say), which a read
    // passes over for its default; empty when the value is a string or missing.
    virtual CString GetOtherType(const CString& /*section*/, const CString& /*entry*/) const { return CString(); }
    // Where the profile lives, for messages: the registry key path or the INI file's path (empty
    // for a profile held in memory).
    virtual CString GetLocation() const { return CString(); }
};

// The platform's user profile of one application.
class UserProfile : public ProfileStore {
public:
    UserProfile(const CString& company, const CString& application);

    CString GetProfileString(const CString& section, const CString& entry, const CString& def) const override;
    bool WriteProfileString(const CString& section, const CString& entry, const CString& value) override;
    CStringList GetUnusableLines() const override;
    CStringList GetValueNames(const CString& section) const override;
    CString GetLocation() const override { return m_strLocation; }
#if defined(_WIN32)
    CString GetOtherType(const CString& section, const CString& entry) const override;
#endif

private:
    CString m_strLocation;
};

// A profile held in memory only: the defaults of a fresh start, and a stand-in for tests.
class MemoryProfile : public ProfileStore {
public:
    CString GetProfileString(const CString& section, const CString& entry, const CString& def) const override;
    bool WriteProfileString(const CString& section, const CString& entry, const CString& value) override;
    CStringList GetValueNames(const CString& section) const override;

    // Every write so far as "section\entry=value", in order.
    const CStringList& Writes() const { return m_writes; }

private:
    CStringList m_writes;
};

// Escaping of the INI form: LF, CR, tab and backslash as "\n", "\r", "\t" and "\\", and a
// leading or trailing space as "\s" (blanks around a value are not read as part of it).
CString EscapeProfileValue(const CString& value);
CString UnescapeProfileValue(const CString& text);
