// The settings record: defaults, the reading of stored values, and the key texts' two forms.
#include "TestSupport.h"

#include "framework/ProfileStore.h"
#include "settings/ChunkSettings.h"

namespace {

// A profile that answers from a fixed table and records the order of the reads.
class RecordingProfile : public ProfileStore {
public:
    CString GetProfileString(const CString& section, const CString& entry,
                             const CString& def) const override {
        reads.push_back(section + "\\" + entry);
        for (const auto& stored : values)
            if (stored.first == entry) return stored.second;
        return def;
    }
    bool WriteProfileString(const CString& section, const CString& entry, const CString& value) override {
        writes.push_back(section + "\\" + entry + "=" + value);
        return true;
    }
    std::vector<std::pair<CString, CString>> values;
    mutable CStringList reads;
    CStringList writes;
};

// Every value of the record, in the order of loading, booleans as 0 or 1.
CStringList Values(const ChunkSettings& s) {
    auto flag = [](int value) { return std::to_string(value); };
    return {s.m_strLevelTags,
            s.m_strNameKeys,
            flag(s.GetOverwrite()),
            flag(s.GetSubfolders()),
            flag(s.GetEmitPrefix()),
            flag(s.GetUseSource()),
            s.GetPrefix(),
            flag(s.GetAppendTagname()),
            s.GetExt(),
            flag(s.GetEmitPreamble()),
            flag(s.GetUseLine1()),
            s.GetPreamble(),
            flag(s.GetEmitPostamble()),
            s.GetPostamble()};
}

// Each value with its default, a stored text and what that text reads as: strings as they are
// (an empty stored tag stays empty), booleans true only for exactly "yes".
TEST(Settings, MissingValuesTakeTheirDefaultsAndStoredOnesAreTakenAsTheyAre) {
    const struct {
        const char* entry;
        CString fresh;
        const char* stored;
        CString read;
    } kValues[] = {
        {"tag", "topic", "", ""},
        {"attrs", "title", "id, title", "id, title"},
        {"overwrite", "1", "Yes", "0"},
        {"subfolders", "0", "yes", "1"},
        {"emit_prefix", "0", "1", "0"},
        {"use_source", "0", "true", "0"},
        {"prefix", "", " a.b ", " a.b "},
        {"append_tagname", "0", "yes ", "0"},
        {"ext", "xml", "", ""},
        {"emit_preamble", "1", "YES", "0"},
        {"use_line1", "0", "yes", "1"},
        {"preamble", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", "line 1\r\nline 2", "line 1\r\nline 2"},
        {"emit_postamble", "0", "", "0"},
        {"postamble", "", "yes", "yes"}};
    CStringList reads, fresh, read;
    RecordingProfile profile, stored;
    for (const auto& value : kValues) {
        reads.push_back(CString("Settings\\") + value.entry);
        fresh.push_back(value.fresh);
        read.push_back(value.read);
        stored.values.emplace_back(value.entry, value.stored);
    }
    ChunkSettings settings;
    settings.LoadSettings(profile);
    EXPECT_EQ(Values(settings), fresh);
    EXPECT_EQ(profile.reads, reads);
    settings.LoadSettings(stored);
    EXPECT_EQ(Values(settings), read);
    EXPECT_TRUE(profile.writes.empty() && stored.writes.empty());
    EXPECT_EQ(EncodeBool(1) + EncodeBool(0), "yesno");
}

TEST(Settings, LiveKeyTextsAreTheEditFieldsAndTheStoredOnesAreSavedAtExit) {
    ChunkSettings settings;
    RecordingProfile profile;
    settings.LoadSettings(profile);
    EXPECT_EQ(settings.GetLevelTagText(), ""); // no field filled yet
    settings.m_levelEdit.SetWindowText("section");
    settings.m_nameEdit.SetWindowText("id");
    EXPECT_EQ(settings.GetLevelTagText(), "section");
    EXPECT_EQ(settings.GetNameKeyText(), "id");
    EXPECT_EQ(settings.m_strLevelTags, "topic");
    settings.SaveKeyTexts(profile);
    EXPECT_EQ(profile.writes, (CStringList{"Settings\\tag=topic", "Settings\\attrs=title"}));
}

} // namespace
