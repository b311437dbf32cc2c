#include "TestSupport.h"

#include "engine/Chunker.h"
#include "engine/TagReader.h"
#include "reference/ReferenceTagReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

struct KeyCase {
    const char* region;
    const char* key;
    const char* value;
};

TEST(TagReader, ReadsElementAndAttributeValues) {
    const KeyCase cases[] = {
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
        {"<title>Hello\nWorld</title>", "title", "Hello_World"},
        {"<title>Caf\xc3\xa9</title>", "title", "Caf__"}, // bytes above 0x7F are not letters
        {"", "title", ""},
        {"<p>nothing here</p>", "title", ""},
        {"<p>x</p><title>", "title", ""},             // the match is the last token
        {"<?title x?><p>t</p>", "title", ""},         // processing instructions are cut
        {"<!-- a > title --><x>Y</x>", "title", "Y"}, // a comment is cut at its first ">"
        {"<title lang=\"en\">", "title", ""},         // the rest of the tag, then nothing
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(Chunker::ReadKeyValue(c.region, c.key), c.value) << "region: " << c.region;
        EXPECT_EQ(reference::ReadKeyValue(c.region, c.key), c.value) << "reference, region: " << c.region;
    }
}

TEST(TagReader, NulBytesAreOrdinaryCharacters) {
    EXPECT_EQ(Chunker::ReadKeyValue(Bytes("<title>a\0b</title>"), "title"), "a_b");
}

TEST(TagReader, RemoveConstructCutsUpToTheFirstGreaterThan) {
    CString text = "a<!-- x > y -->b";
    EXPECT_TRUE(RemoveConstruct(text, "<!"));
    EXPECT_EQ(text, "a y -->b");
    CString open = "a<?pi no end";
    EXPECT_FALSE(RemoveConstruct(open, "<?"));
    EXPECT_EQ(open, "a<?pi no end");
    EXPECT_FALSE(RemoveConstruct(open, "<!"));
}

TEST(TagReader, StripMarkupRemovesProcessingInstructionsFirst) {
    struct {
        const char* text;
        const char* stripped;
        int removed;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE x>\n<a/>", "\n\n<a/>", 2},
        {"<!a<?b>c>", "", 2}, // the "<?" inside goes first, so the "<!" reaches the second ">"
        {"<<?x>?y>", "", 2},  // a removal joins "<" and "?" into a new marker
        {"<<!x>!y>z", "z", 2},
        {"<!a<!b>", "", 1},
        {"<?a", "<?a", 0},
        {"<!a<?b", "<!a<?b", 0},
        {"x<![CDATA[y]]>z", "xz", 1},
        {"<<!>?<?>", "<?", 2}, // the "<?>" goes before the "<!>", so the joined "<?" finds no ">"
    };
    for (const auto& c : cases) {
        CString text = c.text;
        EXPECT_EQ(StripMarkup(text), c.removed) << c.text;
        EXPECT_EQ(text, c.stripped) << c.text;
    }
}

// Every string over a small alphabet up to a length, as the reference strips it.
TEST(TagReader, StripMarkupMatchesTheReferenceOnAllShortTexts) {
    const char alphabet[] = {'<', '?', '!', '>', 'a'};
    const char* longer = std::getenv("BREVIX_EXHAUSTIVE_LENGTH"); // deeper runs by hand
    const int kMaxLength = longer != nullptr ? std::atoi(longer) : 8;
    std::vector<int> digits;
    for (int length = 0; length <= kMaxLength; ++length) {
        digits.assign(length, 0);
        for (;;) {
            CString text;
            for (int d : digits)
                text += alphabet[d];
            CString fast = text, slow = text;
            int fastCount = StripMarkup(fast);
            int slowCount = reference::StripMarkup(slow);
            ASSERT_EQ(fast, slow) << "text: " << text;
            ASSERT_EQ(fastCount, slowCount) << "text: " << text;
            int i = 0;
            while (i < length && ++digits[i] == 5)
                digits[i++] = 0;
            if (i == length) break;
        }
    }
}

// Random regions built from pieces that matter to the reader, against the reference.
TEST(TagReader, ReadKeyValueMatchesTheReferenceOnRandomRegions) {
    const char* pieces[] = {
        "<title>", "</title>", " title=",    "\"", "'",    "x y", "<!--", "-->",      "<?", "?>",  ">",
        "<",       "=",        "title lang", " ",  "\n",   "Hi",  "<!",   "subtitle", "\t", "id",  "<title ",
        "&amp;",   "/",        "Z9_",        "\r", "titl", "tle", "e",    "<p>",      "<<", "a<b", "t"};
    const int kPieces = sizeof pieces / sizeof pieces[0];
    const unsigned kSeed = 20261207;
    std::mt19937 random(kSeed);
    const char* more = std::getenv("BREVIX_READER_ROUNDS"); // longer runs by hand
    const int rounds = more != nullptr ? std::atoi(more) : 50000;
    for (int round = 0; round < rounds; ++round) {
        CString region;
        int count = random() % 14;
        for (int i = 0; i < count; ++i)
            region += pieces[random() % kPieces];
        const char* keys[] = {"id", "title", "title", "t", "itl"};
        CString key = keys[random() % 5];
        ASSERT_EQ(Chunker::ReadKeyValue(region, key), reference::ReadKeyValue(region, key))
            << "seed " << kSeed << " round " << round << " key " << key << " region: " << region;
    }
}

} // namespace
