#include "ReferenceTagReader.h"

#include "engine/TagReader.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace reference {

int StripMarkup(CString& text) {
    int removed = 0;
    for (;;) {
        if (RemoveConstruct(text, "<?") || RemoveConstruct(text, "<!"))
            ++removed;
        else
            return removed;
    }
}

CString ReadKeyValue(const CString& text, const CString& key) {
    CString copy = text;
    StripMarkup(copy);
    std::vector<char> buffer(copy.begin(), copy.end());
    buffer.push_back('\0');
    const char* delimiters = "<=\">";
    char* token = std::strtok(buffer.data(), delimiters);
    bool found = false;
    while (token != nullptr) {
        CString trimmed = token;
        const char* white = " \t\n\v\f\r";
        size_t first = trimmed.find_first_not_of(white);
        trimmed = first == CString::npos ? CString()
                                         : trimmed.substr(first, trimmed.find_last_not_of(white) + 1 - first);
        if (!trimmed.empty()) {
            if (found) {
                for (char& c : trimmed)
                    if (!(std::isalnum(static_cast<unsigned char>(c)) &&
                          static_cast<unsigned char>(c) < 0x80) &&
                        c != '_')
                        c = '_';
                return trimmed;
            }
            if (trimmed.compare(0, key.size() + 1, key + " ") == 0) {
                std::strtok(nullptr, ">");
                found = true;
            } else if (trimmed.find(key) != CString::npos) {
                found = true;
            }
        }
        token = std::strtok(nullptr, delimiters);
    }
    return CString();
}

} // namespace reference
