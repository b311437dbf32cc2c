// The set of chunk names and paths given out in a run: the same answers as a standard set.
#include "engine/StringSet.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// Strings that share long prefixes, differ only in their last byte or in length, hold NUL bytes,
// and are empty, added and asked for in a random order, many times over the table's growth.
TEST(StringSet, AnswersLikeAStandardSet) {
    const unsigned kSeed = 5;
    std::mt19937 random(kSeed);
    const CString stems[] = {"", "out/Topic_", "out/Topic_1", CString("a\0b", 3), "CON", "x"};
    StringSet set;
    std::set<CString> expected;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 60000; ++i) {
            CString text = stems[random() % 6] + std::to_string(random() % 30000);
            if (random() % 7 == 0) text.push_back(static_cast<char>(random() % 256));
            if (random() % 3 == 0) {
                ASSERT_EQ(set.Contains(text), expected.count(text) != 0) << "seed " << kSeed << " " << text;
            } else {
                ASSERT_EQ(set.Insert(text), expected.insert(text).second) << "seed " << kSeed << " " << text;
            }
        }
        EXPECT_EQ(set.Size(), expected.size());
        EXPECT_FALSE(set.Contains("not in it"));
        EXPECT_EQ(set.Insert(""), expected.insert("").second);
        EXPECT_TRUE(set.Contains(""));
        set.Clear();
        expected.clear();
        EXPECT_EQ(set.Size(), 0u);
        EXPECT_FALSE(set.Contains(""));
    }
}

} // namespace
