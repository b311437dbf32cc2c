// The settings record: the reading of stored values, defaults, and what is written back.
#include "TestSupport.h"

#include "settings/SettingsRecord.h"

namespace {

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

// {stored values -> the record}: texts as they are, flags true only for exactly "yes", defaults
// only for missing values; loading writes nothing.
TEST(Settings, LoadTakesStoredTextsAsTheyAreAndDefaultsOnlyForMissingValues) {
    const struct {
        std::vector<std::pair<CString, CString>> stored;
        CString expected;
    } cases[] = {
        {{}, "topic|title|1|0|0|0||0|xml|1|0|<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n|0|"},
        {{{"tag", ""}, {"attrs", "id, title"}, {"overwrite", "Yes"}, {"subfolders", "yes"}, {"emit_prefix", "1"},
          {"use_source", "true"}, {"prefix", " a.b "}, {"append_tagname", "yes "}, {"ext", ""},
          {"emit_preamble", "YES"}, {"use_line1", "yes"}, {"preamble", "line 1\r\nline 2"}, {"emit_postamble", "yes"},
          {"postamble", "\n"}},
         "|id, title|0|1|0|0| a.b |0||0|1|line 1\r\nline 2|1|\n"},
    };
    for (const auto& c : cases) {
        MemoryProfile profile;
        for (const auto& [name, value] : c.stored)
            profile.WriteProfileString("Settings", name, value);
        SettingsRecord settings;
        settings.LoadSettings(profile);
        EXPECT_EQ(Dump(settings), c.expected);
        EXPECT_EQ(profile.Writes().size(), c.stored.size());
    }
}

TEST(Settings, OnlyChangedOptionsAreWrittenInOrderAndTheKeyTextsAtExit) {
    SettingsRecord settings;
    MemoryProfile profile;
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
    EXPECT_EQ(profile.Writes(), (CStringList{"Settings\\overwrite=no", "Settings\\ext=txt",
                                             "Settings\\postamble=<!--end-->", "Settings\\tag=section",
                                             "Settings\\attrs=title"}));
    EXPECT_EQ(settings.m_strExt, "txt");
}

} // namespace
