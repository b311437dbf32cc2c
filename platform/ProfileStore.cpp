#include "ProfileStore.h"

#include <algorithm>

namespace {
// MemoryProfile keeps every write in order; a read takes the latest write of its value.
CString MemoryKey(const CString& section, const CString& entry) {
    return section + "\\" + entry + "=";
}
} // namespace

CString MemoryProfile::GetProfileString(const CString& section, const CString& entry,
                                        const CString& def) const {
    CString key = MemoryKey(section, entry);
    for (auto it = m_writes.rbegin(); it != m_writes.rend(); ++it)
        if (it->compare(0, key.size(), key) == 0) return it->substr(key.size());
    return def;
}

bool MemoryProfile::WriteProfileString(const CString& section, const CString& entry, const CString& value) {
    m_writes.push_back(MemoryKey(section, entry) + value);
    return true;
}

CStringList MemoryProfile::GetValueNames(const CString& section) const {
    CStringList names;
    const CString prefix = section + "\\";
    for (const CString& write : m_writes) {
        if (write.compare(0, prefix.size(), prefix) != 0) continue;
        CString name = write.substr(prefix.size(), write.find('=', prefix.size()) - prefix.size());
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

CString EscapeProfileValue(const CString& value) {
    CString text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        switch (c) {
        case ' ': text += i == 0 || i + 1 == value.size() || value[i + 1] == '\0' ? "\\s" : " "; break;
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\t': text += "\\t"; break;
        case '\\': text += "\\\\"; break;
        default: text += c;
        }
    }
    return text;
}

CString UnescapeProfileValue(const CString& text) {
    CString value;
    value.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            switch (text[++i]) {
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            case 's': c = ' '; break;
            case '\\': c = '\\'; break;
            default: value += '\\'; c = text[i];
            }
        }
        value += c;
    }
    return value;
}
