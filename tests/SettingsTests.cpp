// The settings record: defaults, the reading of stored values, and what is written back.
#include "TestSupport.h"

#include "platform/ProfileStore.h"
#include "settings/SettingsRecord.h"

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

// Every member, in record order, as one line to compare.
CString Dump(const SettingsRecord& r) {
    CString line = r.m_strLevelTags + "|" + r.m_strNameKeys;
    for (BOOL flag : {r.m_bOverwrite, r.m_bSubfolders, r.m_bEmitPrefix, r.m_bUseSource})
        line += "|" + std::to_string(flag);
    line += "|" + r.m_strPrefix + "|" + std::to_string(r.m_bAppendTagname) + "|" + r.m_strExt;
    for (BOOL flag : {r.m_bEmitPreamble, r.m_bUseLine1})
        line += "|" + std::to_string(flag);
    return line + "|" + r.m_strPreamble + "|" + std::to_string(r.m_bEmitPostamble) + "|" + r.m_strPostamble;
}

TEST(Settings, LoadTakesStoredTextsAsTheyAreAndDefaultsOnlyForMissingValues) {
    const std::vector<std::pair<CString, CString>> stored = {
        {"tag", ""}, {"attrs", "id, title"}, {"overwrite", "Yes"}, {"subfolders", "yes"}, {"emit_prefix", "1"},
        {"use_source", "true"}, {"prefix", " a.b "}, {"ext", ""}, {"emit_preamble", "YES"},
        {"preamble", "line 1\r\nline 2"}, {"emit_postamble", "yes"}};
    struct {
        std::vector<std::pair<CString, CString>> values;
        CString expected;
    } cases[] = {
        {{}, "topic|title|1|0|0|0||0|xml|1|0|<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n|0|"},
        {stored, "|id, title|0|1|0|0| a.b |0||0|0|line 1\r\nline 2|1|"},
    };
    for (const auto& c : cases) {
        SettingsRecord settings;
        RecordingProfile profile;
        profile.values = c.values;
        settings.LoadSettings(profile);
        EXPECT_EQ(Dump(settings), c.expected);
        EXPECT_EQ(profile.reads,
                  (CStringList{"Settings\\tag", "Settings\\attrs", "Settings\\overwrite", "Settings\\subfolders",
                               "Settings\\emit_prefix", "Settings\\use_source", "Settings\\prefix",
                               "Settings\\append_tagname", "Settings\\ext", "Settings\\emit_preamble",
                               "Settings\\use_line1", "Settings\\preamble", "Settings\\emit_postamble",
                               "Settings\\postamble"}));
        EXPECT_TRUE(profile.writes.empty());
    }
}

TEST(Settings, OnlyChangedOptionsAreWrittenInOrderAndTheKeyTextsAtExit) {
    SettingsRecord settings;
    RecordingProfile profile;
    settings.LoadSettings(profile);
    ChunkOptions edited = settings;
    edited.m_strPostamble = "<!--end-->";
    edited.m_bOverwrite = 0;
    edited.m_strExt = "txt";
    edited.m_bUseLine1 = 1;
    edited.m_bUseLine1 = 0; // on and off again: unchanged
    settings.StoreChangedOptions(edited, profile);
    settings.StoreChangedOptions(edited, profile); // nothing changed any more
    settings.m_strLevelTags = "section";
    settings.SaveKeyTexts(profile);
    EXPECT_EQ(profile.writes, (CStringList{"Settings\\overwrite=no", "Settings\\ext=txt",
                                           "Settings\\postamble=<!--end-->", "Settings\\tag=section",
                                           "Settings\\attrs=title"}));
    EXPECT_EQ(settings.m_strExt, "txt");
}

} // namespace
