// The user profile on Windows: string values in the registry under
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
#include "ProfileStore.h"

#include "Win32.h"

#include <algorithm>

UserProfile::UserProfile(const CString& company, const CString& application)
    : m_strLocation("Software\\" + company + "\\" + application) {}

// Registry values have no lines that a read could pass over.
CStringList UserProfile::GetUnusableLines() const {
    return {};
}

CStringList UserProfile::GetValueNames(const CString& section) const {
    CStringList names;
    HKEY key;
    CString path = m_strLocation + "\\" + section;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return names;
    char name[16384]; // the longest value name the registry allows, and its NUL
    DWORD length = sizeof name;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name)
        names.emplace_back(name, length);
    RegCloseKey(key);
    return names;
}

CString UserProfile::GetOtherType(const CString& section, const CString& entry) const {
    HKEY key;
    CString path = m_strLocation + "\\" + section, type;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return type;
    DWORD kind = 0;
    if (RegQueryValueExA(key, entry.c_str(), nullptr, &kind, nullptr, nullptr) == ERROR_SUCCESS && kind != REG_SZ &&
        kind != REG_EXPAND_SZ) {
        const char* names[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                               "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ", "REG_RESOURCE_LIST",
                               "REG_FULL_RESOURCE_DESCRIPTOR", "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD"};
        type = kind < sizeof names / sizeof names[0] ? names[kind] : "type " + std::to_string(kind);
    }
    RegCloseKey(key);
    return type;
}

CString UserProfile::GetProfileString(const CString& section, const CString& entry,
                                      const CString& def) const {
    HKEY key;
    CString path = m_strLocation + "\\" + section;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return def;
    DWORD type = 0;
    DWORD size = 0;
    CString value = def;
    if (RegQueryValueExA(key, entry.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        CString data(size, '\0');
        if (RegQueryValueExA(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) ==
            ERROR_SUCCESS) {
            // The value ends at its first NUL: a string stored with a NUL inside, or without
            // its terminating NUL, reads as far as a C string of it would.
            data.resize(std::min<size_t>(size, data.size()));
            value = data.c_str();
        }
    }
    RegCloseKey(key);
    return value;
}

bool UserProfile::WriteProfileString(const CString& section, const CString& entry, const CString& value) {
    HKEY key;
    CString path = m_strLocation + "\\" + section;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}
