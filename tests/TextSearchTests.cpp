// The searches the scanner and the tag reader use: the same answers as plain walks, at every
// start and end, in the 16-place steps and in the places after them.
#include "engine/TextSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>

namespace {

// The search that finds tag names and keys, against the standard library's, for every start
// and end of texts up to twice its 16-place step plus the pattern, over a small alphabet so
// that partial matches are common.
TEST(TextSearch, FindsTheFirstOccurrenceLikeTheStandardSearch) {
    const unsigned kSeed = 7;
    std::mt19937 random(kSeed);
    const char alphabet[] = "ab<t";
    for (int round = 0; round < 400; ++round) {
        CString pattern, text;
        for (int i = 1 + random() % 6; i > 0; --i)
            pattern += alphabet[random() % 4];
        for (int i = random() % 48; i > 0; --i)
            text += alphabet[random() % (round % 2 == 0 ? 2 : 4)];
        const TextSearch search(pattern);
        const std::string_view whole(text);
        for (size_t from = 0; from <= text.size(); ++from)
            for (size_t to = from; to <= text.size(); ++to) {
                size_t expected = whole.substr(0, to).find(pattern, from);
                const char* found = search.Find(text.data() + from, text.data() + to);
                size_t got = found == nullptr ? std::string_view::npos : found - text.data();
                ASSERT_EQ(got, expected) << "seed " << kSeed << " pattern " << pattern << " text " << text
                                         << " [" << from << ", " << to << ")";
            }
    }
}

// The search for a "<" with one of a few characters after it, against a plain walk, with few
// followers (looked for 16 places at a time) and with too many (every "<" a stop).
TEST(TextSearch, FindsTheFirstTagStartWithAGivenFollower) {
    const unsigned kSeed = 11;
    std::mt19937 random(kSeed);
    const char alphabet[] = "<<ab/?!t";
    const char* const kFollowerSets[] = {"/", "/t", "<?!", "/abt", "/ab?!t", "//tt"};
    for (int round = 0; round < 600; ++round) {
        const CString followers = kFollowerSets[round % 6];
        CString text;
        for (int i = random() % 60; i > 0; --i)
            text += alphabet[random() % 8];
        const TagStartSearch search(followers);
        const bool any = followers == "/ab?!t";
        for (size_t from = 0; from <= text.size(); ++from) {
            size_t expected = std::string_view::npos;
            for (size_t i = from; i + 1 < text.size() && expected == std::string_view::npos; ++i)
                if (text[i] == '<' && (any || followers.find(text[i + 1]) != CString::npos)) expected = i;
            const char* found = search.Find(text.data() + from, text.data() + text.size());
            size_t got = found == nullptr ? std::string_view::npos : found - text.data();
            ASSERT_EQ(got, expected) << "seed " << kSeed << " followers " << followers << " text " << text
                                     << " from " << from;
        }
    }
}

} // namespace
