// Fuzz target for the tag reader: StripMarkup and both forms of ReadKeyValue (in an encoding
// chosen by the input's length) on arbitrary text, against the reference's literal rules. The input's first line is the key (a fixed one when it
// is empty or holds a space or comma, as no key from the Chunk Name field can); the rest is the
// text.
#include "FuzzSupport.h"

#include "reference/Reference.h"
#include "engine/Chunker.h"
#include "engine/TagReader.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t lf = input.find('\n');
    std::string key = input.substr(0, lf);
    const std::string text = lf == std::string::npos ? std::string() : input.substr(lf + 1);
    if (key.empty() || key.find_first_of(" ,") != std::string::npos) key = "title";

    std::string fast = text, literal = text;
    int fastRemoved = StripMarkup(fast), literalRemoved = reference::StripMarkup(literal);
    if (fast != literal || fastRemoved != literalRemoved)
        FuzzFail("StripMarkup differs from the reference (" + std::to_string(fastRemoved) + " against " +
                 std::to_string(literalRemoved) + " removed)");
    const SourceEncoding encoding = static_cast<SourceEncoding>(size % 6); // each encoding in turn
    const std::string value = Chunker::ReadKeyValue(text, key, encoding),
                      expected = reference::ReadKeyValue(text, key, encoding);
    if (value != expected) FuzzFail("ReadKeyValue gave '" + value + "', the reference '" + expected + "'");
    if (Chunker::ReadKeyValue(text.data(), text.data() + text.size(), key, encoding) != value)
        FuzzFail("ReadKeyValue differs between its two forms");
    return 0;
}
