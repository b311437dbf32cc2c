#include "SettingsRecord.h"

#include <algorithm>
#include <cstring>
#include <vector>

void SettingsRecord::LoadSettings(const ProfileStore& profile) {
    m_strLevelTags = profile.GetProfileString(kSettingsSection, "tag", "topic");
    m_strNameKeys = profile.GetProfileString(kSettingsSection, "attrs", "title");
#define BREVIX_LOAD_OPTION(kind, member, accessor, name, stored, help)                                       \
    member = Decode##kind(profile.GetProfileString(kSettingsSection, name, stored));
    BREVIX_CHUNK_OPTIONS(BREVIX_LOAD_OPTION)
#undef BREVIX_LOAD_OPTION
}

void SettingsRecord::SaveKeyTexts(ProfileStore& profile) const {
    profile.WriteProfileString(kSettingsSection, "tag", m_strLevelTags);
    profile.WriteProfileString(kSettingsSection, "attrs", m_strNameKeys);
}

void SettingsRecord::StoreChangedOptions(const ChunkOptions& edited, ProfileStore& profile) {
#define BREVIX_STORE_OPTION(kind, member, accessor, name, stored, help)                                      \
    if (member != edited.member) {                                                                           \
        member = edited.member;                                                                              \
        profile.WriteProfileString(kSettingsSection, name, Encode##kind(member));                            \
    }
    BREVIX_CHUNK_OPTIONS(BREVIX_STORE_OPTION)
#undef BREVIX_STORE_OPTION
}

bool SetOptionByName(ChunkOptions& options, const CString& name, const CString& value) {
#define BREVIX_SET_OPTION(kind, member, accessor, optionName, stored, help)                                  \
    if (name == optionName) return options.member = Decode##kind(value), true;
    BREVIX_CHUNK_OPTIONS(BREVIX_SET_OPTION)
#undef BREVIX_SET_OPTION
    return false;
}

bool IsFlagOption(const CString& name) {
#define BREVIX_IS_FLAG(kind, member, accessor, optionName, stored, help)                                     \
    if (name == optionName) return CString(#kind) == "Flag";
    BREVIX_CHUNK_OPTIONS(BREVIX_IS_FLAG)
#undef BREVIX_IS_FLAG
    return false;
}

namespace {

// The profile value names of the settings, the key texts first.
CStringList SettingNames(bool withKeyTexts) {
    CStringList names;
    if (withKeyTexts) names = {"tag", "attrs"};
#define BREVIX_OPTION_NAME(kind, member, accessor, name, stored, help) names.push_back(name);
    BREVIX_CHUNK_OPTIONS(BREVIX_OPTION_NAME)
#undef BREVIX_OPTION_NAME
    return names;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// How many single-character insertions, deletions and replacements turn a into b, letter case
// aside.
size_t EditDistance(const CString& a, const CString& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (Lower(a[i - 1]) != Lower(b[j - 1]))});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

CString ClosestOptionName(const CString& name, bool withKeyTexts) {
    CString closest;
    size_t best = std::max<size_t>(2, name.size() / 3) + 1; // nearer than this to be suggested
    for (const CString& candidate : SettingNames(withKeyTexts)) {
        size_t distance = EditDistance(name, candidate);
        if (distance < best) best = distance, closest = candidate;
    }
    return closest;
}

CStringList CheckStoredSettings(const ProfileStore& profile) {
    CStringList messages;
    for (const CString& name : SettingNames(true)) {
        const CString type = profile.GetOtherType(kSettingsSection, name);
        if (!type.empty())
            messages.push_back("setting '" + name + "' is stored as " + type +
                               ", not as a string, so it takes its default");
    }
    for (const CString& name : profile.GetValueNames(kSettingsSection)) {
        const CString closest = ClosestOptionName(name, true);
        if (!closest.empty() && EditDistance(name, closest) == 0) continue; // a setting's name in any case
        messages.push_back("unknown setting '" + name + "' ignored" +
                           (closest.empty() ? CString() : " (did you mean '" + closest + "'?)"));
    }
#define BREVIX_CHECK_FLAG(kind, member, accessor, name, stored, help)                                        \
    if (CString(#kind) == "Flag") {                                                                          \
        CString value = profile.GetProfileString(kSettingsSection, name, stored);                            \
        if (value != "yes" && value != "no")                                                                 \
            messages.push_back(CString("setting '") + name + "' is '" + value +                              \
                               "', which reads as no (a flag is 'yes' or 'no')");                            \
    }
    BREVIX_CHUNK_OPTIONS(BREVIX_CHECK_FLAG)
#undef BREVIX_CHECK_FLAG
    return messages;
}

namespace {
// How a default reads in a help text: flags as stored, texts quoted with line feeds as "\n".
CString ShowDefault(const char* kind, const CString& stored) {
    if (CString(kind) == "Flag") return stored;
    if (stored.empty()) return "empty";
    CString shown = "\"";
    for (char c : stored)
        shown += c == '\n' ? CString("\\n") : CString(1, c);
    return shown + "\"";
}
} // namespace

namespace {
// help and then shown after it, or on a line of its own from column width when the two do not
// fit in 80 columns together.
CString Fitted(const CString& help, const CString& shown, size_t width) {
    if (width + help.size() + 1 + shown.size() <= 80) return help + " " + shown + "\n";
    return help + "\n" + CString(width, ' ') + shown + "\n";
}
} // namespace

CString DescribeOptions(size_t indent, size_t width) {
    CString text;
#define BREVIX_DESCRIBE_OPTION(kind, member, accessor, name, stored, help)                                   \
    text += CString(indent, ' ') + name;                                                                     \
    text += CString(width > indent + std::strlen(name) ? width - indent - std::strlen(name) : 1, ' ');       \
    text += Fitted(CString(help), "(" + ShowDefault(#kind, stored) + ")", width);
    BREVIX_CHUNK_OPTIONS(BREVIX_DESCRIBE_OPTION)
#undef BREVIX_DESCRIBE_OPTION
    return text;
}
