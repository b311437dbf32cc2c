// The text searches against plain references, in blocks and byte by byte: every string of up to
// five characters of a small alphabet, at every offset from 0 to 31 of an aligned text (so on every
// place of a 16- and a 32-byte step), the text ending right after it or more than a step later.
#include "TestSupport.h"

#include "engine/TextSearch.h"

#include <cstring>

namespace {

// Calls check with each text that holds s at an offset of 0 to 31 among dots, s last or followed
// by 40 dots; every text begins 32-byte aligned.
template <typename Check> void ForEachPlace(const std::string& s, Check check) {
    alignas(32) char buffer[32 + 8 + 40];
    for (size_t offset = 0; offset < 32; ++offset)
        for (size_t after : {0, 40}) {
            std::memset(buffer, '.', sizeof buffer);
            std::memcpy(buffer + offset, s.data(), s.size());
            check(std::string_view(buffer, offset + s.size() + after));
        }
}

// Where Find found something, as an offset into text, or npos.
size_t At(const char* found, std::string_view text) {
    return found == nullptr ? std::string_view::npos : static_cast<size_t>(found - text.data());
}

TEST(TextSearch, FindsWhatStringFindFindsInBlocksAndByteByByte) {
    ASSERT_EQ(UseBlocks(ScanPath::Blocks), kBlockScanBuilt); // the processors that run the tests have SSE2
    ASSERT_FALSE(UseBlocks(ScanPath::Plain));
    std::vector<TextSearch> searches; // every pattern of up to 3 characters, and one longer than some texts
    ForEachSequence({"<", "a", "b"}, 3, [&](const std::string& pattern) {
        for (ScanPath path : {ScanPath::Blocks, ScanPath::Plain})
            if (!pattern.empty()) searches.emplace_back(pattern, path);
    });
    searches.emplace_back("a<b<ab", ScanPath::Blocks);
    searches.emplace_back("a<b<ab", ScanPath::Plain);
    ForEachSequence({"<", "a", "b"}, 5, [&](const std::string& s) {
        ForEachPlace(s, [&](std::string_view text) {
            for (size_t i = 0; i < searches.size(); ++i)
                ASSERT_EQ(At(searches[i].Find(text.data(), text.data() + text.size()), text),
                          text.find(searches[i].Pattern()))
                    << "pattern " << searches[i].Pattern() << " in " << text << (i % 2 == 0 ? "" : " plain");
        });
    });
}

// The reference: the first "<" followed by a follower (any character when there are none); after
// "</" a follower must come in turn, unless the text ends there.
size_t FirstStop(std::string_view text, std::string_view followers) {
    auto follows = [&](char c) { return followers.empty() || followers.find(c) != std::string_view::npos; };
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '<' && follows(text[i + 1]) &&
            (text[i + 1] != '/' || i + 2 == text.size() || follows(text[i + 2])))
            return i;
    return std::string_view::npos;
}

TEST(TagStartSearch, StopsAtTheFirstTagStartWithAFollowerInBlocksAndByteByByte) {
    // Up to four followers besides "/" are tested 16 places at once ("/abcd"); "/abcde" has more.
    const std::string followerSets[] = {"", "<", "/", "a", "</", "</a", "/a", "<a", "/ab", "ab<", "/abcd", "/abcde"};
    ForEachSequence({"<", "/", "a", "b"}, 5, [&](const std::string& s) {
        ForEachPlace(s, [&](std::string_view text) {
            for (const std::string& followers : followerSets)
                for (ScanPath path : {ScanPath::Blocks, ScanPath::Plain})
                    ASSERT_EQ(At(TagStartSearch(followers, path).Find(text.data(), text.data() + text.size()), text),
                              FirstStop(text, followers))
                        << "followers " << followers << " in " << text << (path == ScanPath::Plain ? " plain" : "");
        });
    });
}

} // namespace
