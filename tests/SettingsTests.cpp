// The settings record: defaults, the reading of stored values, and the key texts' two forms.
#include "TestSupport.h"

#include "platform/ProfileStore.h"
#include "settings/ChunkSettings.h"

#include <cstring>

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

TEST(Settings, FreshStartTakesTheDefaults) {
    ChunkSettings settings;
    RecordingProfile profile;
    settings.LoadSettings(profile);
    EXPECT_EQ(settings.m_strLevelTags, "topic");
    EXPECT_EQ(settings.m_strNameKeys, "title");
    EXPECT_EQ(settings.GetOverwrite(), 1);
    EXPECT_EQ(settings.GetSubfolders(), 0);
    EXPECT_EQ(settings.GetEmitPrefix(), 0);
    EXPECT_EQ(settings.GetUseSource(), 0);
    EXPECT_EQ(settings.GetPrefix(), "");
    EXPECT_EQ(settings.GetAppendTagname(), 0);
    EXPECT_EQ(settings.GetExt(), "xml");
    EXPECT_EQ(settings.GetEmitPreamble(), 1);
    EXPECT_EQ(settings.GetUseLine1(), 0);
    EXPECT_EQ(settings.GetPreamble(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    EXPECT_EQ(std::strlen(kDefaultPreamble), 39u);
    EXPECT_EQ(settings.GetEmitPostamble(), 0);
    EXPECT_EQ(settings.GetPostamble(), "");
    EXPECT_EQ(profile.reads,
              (CStringList{"Settings\\tag", "Settings\\attrs", "Settings\\overwrite", "Settings\\subfolders",
                           "Settings\\emit_prefix", "Settings\\use_source", "Settings\\prefix",
                           "Settings\\append_tagname", "Settings\\ext", "Settings\\emit_preamble",
                           "Settings\\use_line1", "Settings\\preamble", "Settings\\emit_postamble",
                           "Settings\\postamble"}));
    EXPECT_TRUE(profile.writes.empty());
}

TEST(Settings, StoredValuesAreTakenAsTheyAreAndOnlyYesIsTrue) {
    ChunkSettings settings;
    RecordingProfile profile;
    profile.values = {{"tag", ""},
                      {"attrs", "id, title"},
                      {"overwrite", "Yes"},
                      {"subfolders", "yes"},
                      {"emit_prefix", "1"},
                      {"use_source", "true"},
                      {"prefix", " a.b "},
                      {"ext", ""},
                      {"emit_preamble", "YES"},
                      {"preamble", "line 1\r\nline 2"},
                      {"emit_postamble", "yes"}};
    settings.LoadSettings(profile);
    EXPECT_EQ(settings.m_strLevelTags, ""); // an empty stored tag stays empty
    EXPECT_EQ(settings.m_strNameKeys, "id, title");
    EXPECT_EQ(settings.GetOverwrite(), 0);
    EXPECT_EQ(settings.GetSubfolders(), 1);
    EXPECT_EQ(settings.GetEmitPrefix(), 0);
    EXPECT_EQ(settings.GetUseSource(), 0);
    EXPECT_EQ(settings.GetPrefix(), " a.b ");
    EXPECT_EQ(settings.GetExt(), "");
    EXPECT_EQ(settings.GetEmitPreamble(), 0);
    EXPECT_EQ(settings.GetPreamble(), "line 1\r\nline 2");
    EXPECT_EQ(settings.GetEmitPostamble(), 1);
    EXPECT_TRUE(profile.writes.empty());
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

TEST(Settings, BooleansAreStoredAsYesAndNo) {
    EXPECT_EQ(EncodeBool(1), "yes");
    EXPECT_EQ(EncodeBool(0), "no");
    EXPECT_EQ(DecodeBool("yes"), 1);
    EXPECT_EQ(DecodeBool("yes "), 0);
    EXPECT_EQ(DecodeBool(""), 0);
}

} // namespace
