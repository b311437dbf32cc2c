// The set of names a run gives out, against std::set: each string once, whatever its bytes, its
// length, its hash, the block it lands in and the table's growth.
#include "TestSupport.h"

#include "engine/NameSet.h"

namespace {

TEST(NameSet, HoldsEachStringOnceAsAStandardSetDoes) {
    // Two names of one hash, and one whose hash is 0 until it is made 1.
    std::vector<std::string> names = {"glbvs", "yacxa", "ppkttia"};
    // Every string of up to 7 bytes of four, NUL among them (the empty one first).
    ForEachSequence({"a", "b", Bytes("\0"), "\xff"}, 7, [&](const CString& name) { names.push_back(name); });
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
