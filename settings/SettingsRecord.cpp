#include "SettingsRecord.h"

#include <cstring>

void SettingsRecord::LoadSettings(const ProfileStore& profile) {
    m_strLevelTags = profile.GetProfileString(kSettingsSection, "tag", "topic");
    m_strNameKeys = profile.GetProfileString(kSettingsSection, "attrs", "title");
#define BREVIX_LOAD_OPTION(kind, member, accessor, name, stored, control, help)                              \
    member = Decode##kind(profile.GetProfileString(kSettingsSection, name, stored));
    BREVIX_CHUNK_OPTIONS(BREVIX_LOAD_OPTION)
#undef BREVIX_LOAD_OPTION
}

void SettingsRecord::SaveKeyTexts(ProfileStore& profile) const {
    profile.WriteProfileString(kSettingsSection, "tag", m_strLevelTags);
    profile.WriteProfileString(kSettingsSection, "attrs", m_strNameKeys);
}

void SettingsRecord::StoreChangedOptions(const ChunkOptions& edited, ProfileStore& profile) {
#define BREVIX_STORE_OPTION(kind, member, accessor, name, stored, control, help)                             \
    if (member != edited.member) {                                                                           \
        member = edited.member;                                                                              \
        profile.WriteProfileString(kSettingsSection, name, Encode##kind(member));                            \
    }
    BREVIX_CHUNK_OPTIONS(BREVIX_STORE_OPTION)
#undef BREVIX_STORE_OPTION
}

bool SetOptionByName(ChunkOptions& options, const CString& name, const CString& value) {
#define BREVIX_SET_OPTION(kind, member, accessor, optionName, stored, control, help)                         \
    if (name == optionName) return options.member = Decode##kind(value), true;
    BREVIX_CHUNK_OPTIONS(BREVIX_SET_OPTION)
#undef BREVIX_SET_OPTION
    return false;
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

CString DescribeOptions(size_t indent, size_t width) {
    CString text;
#define BREVIX_DESCRIBE_OPTION(kind, member, accessor, name, stored, control, help)                          \
    text += CString(indent, ' ') + name;                                                                     \
    text += CString(width > indent + std::strlen(name) ? width - indent - std::strlen(name) : 1, ' ');       \
    text += CString(help) + " (" + ShowDefault(#kind, stored) + ")\n";
    BREVIX_CHUNK_OPTIONS(BREVIX_DESCRIBE_OPTION)
#undef BREVIX_DESCRIBE_OPTION
    return text;
}
