// The tag reader: key values and the removal of markup by table, the engine's and the reference's
// (the fuzz target compares the two on its corpus).
#include "TestSupport.h"

#include "engine/TagReader.h"
#include "reference/Reference.h"

namespace {

TEST(TagReader, ReadsElementAndAttributeValues) {
    const struct {
        CString region;
        const char* key;
        const char* value;
    } cases[] = {
        {"\n<title>Hello World</title>\n", "title", "Hello_World"},
        {" id=\"7\" title=\"Part 2: Setup\">", "title", "Part_2__Setup"},
        {"><title lang=\"en\">Intro</title>", "title", "Intro"},
        {" id=\"7\" title=\"Part 2: Setup\">", "id", "7"},
        {"<title></title>", "title", "_title"},                            // the end tag is the next token
        {"><subtitle>Sub</subtitle>", "title", "Sub"},                     // the key matches inside a name
        {" class=\"title-page\">Cover<title>T</title>", "title", "Cover"}, // ... and inside a value
        {"<Title>Upper</Title>", "title", ""},                             // case-sensitive
        {" title='Hi'>", "title", "_Hi_"},                                 // single quotes stay
        {" title = \"x\">", "title", "x"},                                 // blank tokens are skipped
        {"<title>A &amp; B</title>", "title", "A__amp__B"},                // no entity decoding
        {"<title>Caf\xc3\xa9</title>", "title", "Caf\xc3\xa9"}, // letters beyond ASCII stay
        {Bytes("<title>a\0b</title>"), "title", "a_b"},   // nor is NUL, an ordinary character
        {"<p>x</p><title>", "title", ""},                 // the match is the last token
        {"<?title x?><p>t</p>", "title", ""},             // processing instructions are cut
        {"<!-- a > title --><x>Y</x>", "title", "Y"},     // a comment is cut at its first ">"
        {"<title lang=\"en\">", "title", ""},             // the rest of the tag, then nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Chunker::ReadKeyValue(c.region, c.key), c.value) << "region: " << c.region;
        EXPECT_EQ(reference::ReadKeyValue(c.region, c.key), c.value) << "reference, region: " << c.region;
    }
}

TEST(TagReader, StripMarkupRemovesProcessingInstructionsFirst) {
    const struct {
        const char* text;
        const char* stripped;
        int removed;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE x>\n<a/>", "\n\n<a/>", 2},
        {"<!a<?b>c>", "", 2}, // the "<?" inside goes first, so the "<!" reaches the second ">"
        {"<<?x>?y>", "", 2},  // a removal joins "<" and "?" into a new marker
        {"<<!x>!y>z", "z", 2},
        {"<!a<?b", "<!a<?b", 0},
        {"x<![CDATA[y]]>z", "xz", 1},
        {"<<!>?<?>", "<?", 2}, // the "<?>" goes before the "<!>", so the joined "<?" finds no ">"
        {"<<<!a>?b><?<?c>d>e", "<d>e", 3}, // a "<?" joined after a "<?" removal ends at the first ">"
    };
    for (const auto& c : cases) {
        CString text = c.text, literal = c.text, repeated = c.text;
        int removals = 0;
        while (RemoveConstruct(repeated, "<?") || RemoveConstruct(repeated, "<!"))
            ++removals;
        EXPECT_EQ(repeated, c.stripped) << c.text;
        EXPECT_EQ(removals, c.removed) << c.text;
        EXPECT_EQ(StripMarkup(text), c.removed) << c.text;
        EXPECT_EQ(text, c.stripped) << c.text;
        EXPECT_EQ(reference::StripMarkup(literal), c.removed) << c.text;
        EXPECT_EQ(literal, c.stripped) << c.text;
    }
}

} // namespace
