// The set of names a run gives out, against std::set: each string once, whatever its bytes, its
// length, its hash, the block it lands in and the table's growth.
#include "engine/NameSet.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(NameSet, HoldsEachStringOnceAsAStandardSetDoes) {
    // Two names of one hash, and one whose hash is 0 until it is made 1.
    std::vector<std::string> names = {"glbvs", "yacxa", "ppkttia"};
    // Every string of up to 7 bytes of four, NUL among them (the empty one first).
    const std::string alphabet("ab\0\xff", 4);
    for (size_t count = 1, length = 0; length <= 7; count *= alphabet.size(), ++length)
        for (size_t n = 0; n < count; ++n) {
            std::string name;
            for (size_t rest = n, i = 0; i < length; rest /= alphabet.size(), ++i)
                name += alphabet[rest % alphabet.size()];
            names.push_back(name);
        }
    // Lengths that take one more byte to store, and names that fill or outgrow a block of 1 MB.
    for (size_t length : {127, 128, 16383, 16384, (1 << 20) - 13, (1 << 20) - 12, 3 << 20})
        for (const char* last : {"", "x"})
            names.push_back(std::string(length, 'n') + last);
    NameSet set;
    std::set<std::string> model;
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            set.Clear();
            model.clear();
        }
        for (const std::string& name : names)
            ASSERT_EQ(set.Insert(name), model.insert(name).second)
                << "round " << round << ": " << name.size() << " bytes " << name.substr(0, 8);
    }
}

} // namespace
