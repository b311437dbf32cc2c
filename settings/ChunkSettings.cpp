#include "ChunkSettings.h"

const char* const kDefaultPreamble = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

namespace {
ChunkSettings g_settings;
} // namespace

ChunkSettings* GetChunkSettings() {
    return &g_settings;
}

CString EncodeBool(BOOL value) {
    return value ? "yes" : "no";
}
BOOL DecodeBool(const CString& text) {
    return text == "yes" ? 1 : 0;
}

void ChunkSettings::LoadSettings(const ProfileStore& profile) {
    auto text = [&](const char* entry, const char* def) {
        return profile.GetProfileString(kSettingsSection, entry, def);
    };
    auto flag = [&](const char* entry, const char* def) { return DecodeBool(text(entry, def)); };
    m_strLevelTags = text("tag", "topic");
    m_strNameKeys = text("attrs", "title");
    m_bOverwrite = flag("overwrite", "yes");
    m_bSubfolders = flag("subfolders", "no");
    m_bEmitPrefix = flag("emit_prefix", "no");
    m_bUseSource = flag("use_source", "no");
    m_strPrefix = text("prefix", "");
    m_bAppendTagname = flag("append_tagname", "no");
    m_strExt = text("ext", "xml");
    m_bEmitPreamble = flag("emit_preamble", "yes");
    m_bUseLine1 = flag("use_line1", "no");
    m_strPreamble = text("preamble", kDefaultPreamble);
    m_bEmitPostamble = flag("emit_postamble", "no");
    m_strPostamble = text("postamble", "");
}

void ChunkSettings::SaveKeyTexts(ProfileStore& profile) const {
    profile.WriteProfileString(kSettingsSection, "tag", m_strLevelTags);
    profile.WriteProfileString(kSettingsSection, "attrs", m_strNameKeys);
}
