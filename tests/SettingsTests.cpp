// The settings record: the reading of stored values, defaults, and what is written back.
#include "TestSupport.h"

#include "settings/SettingsRecord.h"

namespace {

// Every member, in record order, as one line to compare (a flag as it is stored).
CString Dump(const SettingsRecord& r) {
    CString line = r.m_strLevelTags + "|" + r.m_strNameKeys;
#define BREVIX_DUMP_OPTION(kind, member, ...) line += "|" + Encode##kind(r.member);
    BREVIX_CHUNK_OPTIONS(BREVIX_DUMP_OPTION)
#undef BREVIX_DUMP_OPTION
    return line;
}

// {stored values -> the record}: texts as they are, flags true only for exactly "yes", defaults
// only for missing values; loading writes nothing.
TEST(Settings, LoadTakesStoredTextsAsTheyAreAndDefaultsOnlyForMissingValues) {
    const struct {
        std::vector<std::pair<CString, CString>> stored;
        CString expected;
    } cases[] = {
        {{}, "topic|title|yes|no|no|no||no|xml|yes|no|<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n|no|"},
        {{{"tag", ""}, {"attrs", "id, title"}, {"overwrite", "Yes"}, {"subfolders", "yes"}, {"emit_prefix", "1"},
          {"use_source", "true"}, {"prefix", " a.b "}, {"append_tagname", "yes "}, {"ext", ""},
          {"emit_preamble", "YES"}, {"use_line1", "yes"}, {"preamble", "line 1\r\nline 2"}, {"emit_postamble", "yes"},
          {"postamble", "\n"}},
         "|id, title|no|yes|no|no| a.b |no||no|yes|line 1\r\nline 2|yes|\n"},
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
