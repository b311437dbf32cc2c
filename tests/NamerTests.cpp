// The namer alone, as a table: a chunk's key values, tag and options in, its path out, and whether
// a number is needed whatever the folder holds. It asks the file system nothing.
#include "TestSupport.h"

#include "engine/ChunkNamer.h"

namespace {

TEST(Namer, PathsFromValuesTagAndOptions) {
    const CString sep(1, kPathSeparator), source = "out" + sep + "src.v1.xml";
    const struct {
        const char* what;
        void (*setup)(ChunkOptions&);
        std::vector<CStringList> values; // one run's chunks in turn, all of tag "topic"
        std::vector<CString> paths;      // below "out"; "#": a number is needed
    } cases[] = {
        {"values joined, an empty one left out", nullptr, {{"A", "", "B"}}, {"A_B.xml"}},
        {"no value: numbers in turn", nullptr, {{}, {""}, {"A"}, {}}, {"0001.xml", "0002.xml", "A.xml", "0003.xml"}},
        {"a name given before", nullptr, {{"A"}, {"A"}}, {"A.xml", "#A.xml"}},
        {"no overwrite", [](ChunkOptions& o) { o.m_bOverwrite = 0; }, {{"A"}}, {"#A.xml"}},
        {"the source's own path", [](ChunkOptions& o) { o.m_strExt = "xml"; }, {{"src.v1"}}, {"#src.v1.xml"}},
        {"prefix from the source, with the tag",
         [](ChunkOptions& o) { o.m_bEmitPrefix = o.m_bUseSource = o.m_bAppendTagname = 1; },
         {{"A"}},
         {"src_v1_xml_topic_A.xml"}},
        {"a typed prefix, another extension",
         [](ChunkOptions& o) { o.m_bEmitPrefix = 1, o.m_strPrefix = "p", o.m_strExt = "txt"; },
         {{"A"}},
         {"p_A.txt"}},
        {"sub-folders", [](ChunkOptions& o) { o.m_bSubfolders = 1; }, {{"A"}}, {"topic" + sep + "A.xml"}},
        {"a device name", nullptr, {{"aux"}}, {"#aux.xml"}},
        {"a name too long", nullptr, {{CString(300, 'n')}}, {CString(255 - 12, 'n') + ".xml"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChunkOptions options = ChunkOptions::Defaults();
        if (c.setup != nullptr) c.setup(options);
        ChunkNamer namer(options, source, "src.v1.xml");
        std::vector<CString> paths;
        for (const CStringList& values : c.values) {
            const ChunkPath path = namer.MakeChunkPath("out", "topic", values);
            EXPECT_EQ(path.path.compare(0, 4, "out" + sep), 0) << path.path;
            paths.push_back((path.numbered ? "#" : "") + path.path.substr(4));
        }
        EXPECT_EQ(paths, c.paths);
    }
}

// A number goes at the end of the name, or right after a device name before the first "."
TEST(Namer, NumberedVariants) {
    ChunkNamer namer(ChunkOptions::Defaults(), CString(), CString());
    const ChunkPath plain = namer.MakeChunkPath("o", "t", {"A.b"});
    const ChunkPath device = namer.MakeChunkPath("o", "t", {"nul.v2"});
    const CString sep(1, kPathSeparator);
    EXPECT_EQ(plain.NumberedVariant(0), "o" + sep + "A.b.xml");
    EXPECT_EQ(plain.NumberedVariant(12), "o" + sep + "A.b(12).xml");
    EXPECT_EQ(device.NumberedVariant(1), "o" + sep + "nul(1).v2.xml");
}

} // namespace
