// Fuzz target for the tag reader: ReadKeyValue and StripMarkup on arbitrary text, each compared
// with a literal version of its rules (repeated RemoveConstruct, a strtok-style tokenizer).
// The input's first line is the key (a fixed one when it is empty or holds a space or comma, as
// no key from the Chunk Name field can); the rest is the text.
#include "FuzzSupport.h"

#include "engine/Chunker.h"
#include "engine/TagReader.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// StripMarkup as written: remove the first "<?" construct, else the first "<!" one, until a pass
// removes nothing.
int LiteralStripMarkup(std::string& text) {
    int removed = 0;
    for (;;) {
        if (RemoveConstruct(text, "<?") || RemoveConstruct(text, "<!")) ++removed;
        else return removed;
    }
}

// strtok over a text that may hold NUL bytes: skips a run of delimiters, returns the token up to
// the next delimiter and consumes that delimiter. False at the end of the text.
class LiteralTokenizer {
public:
    explicit LiteralTokenizer(const std::string& text) : m_text(text) {}
    bool Next(const char* delimiters, std::string& token) {
        auto isDelimiter = [&](char c) { return std::strchr(delimiters, c) != nullptr && c != '\0'; };
        while (m_pos < m_text.size() && isDelimiter(m_text[m_pos])) ++m_pos;
        if (m_pos >= m_text.size()) return false;
        size_t start = m_pos;
        while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos])) ++m_pos;
        token = m_text.substr(start, m_pos - start);
        if (m_pos < m_text.size()) ++m_pos;
        return true;
    }

private:
    const std::string& m_text;
    size_t m_pos = 0;
};

std::string LiteralReadKeyValue(const std::string& region, const std::string& key) {
    std::string text = region;
    LiteralStripMarkup(text);
    LiteralTokenizer tokens(text);
    std::string token, rest;
    bool found = false;
    while (tokens.Next("<=\">", token)) {
        size_t first = token.find_first_not_of(" \t\n\v\f\r");
        if (first == std::string::npos) continue;
        token = token.substr(first, token.find_last_not_of(" \t\n\v\f\r") + 1 - first);
        if (found) {
            for (char& c : token)
                if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) c = '_';
            return token;
        }
        if (token.compare(0, key.size() + 1, key + " ") == 0) {
            tokens.Next(">", rest);
            found = true;
        } else if (token.find(key) != std::string::npos) {
            found = true;
        }
    }
    return std::string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t lf = input.find('\n');
    std::string key = input.substr(0, lf);
    std::string text = lf == std::string::npos ? std::string() : input.substr(lf + 1);
    if (key.empty() || key.find_first_of(" ,") != std::string::npos) key = "title";

    std::string fast = text, literal = text;
    int fastRemoved = StripMarkup(fast);
    int literalRemoved = LiteralStripMarkup(literal);
    if (fast != literal || fastRemoved != literalRemoved)
        FuzzFail("StripMarkup differs from its literal rules (" + std::to_string(fastRemoved) + " against " +
                 std::to_string(literalRemoved) + " removed)");

    std::string value = Chunker::ReadKeyValue(text, key);
    for (char c : value)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            FuzzFail("a key value holds a character that a file name may not: " + value);
    std::string expected = LiteralReadKeyValue(text, key);
    if (value != expected) FuzzFail("ReadKeyValue gave '" + value + "', its literal rules '" + expected + "'");
    if (Chunker::ReadKeyValue(text.data(), text.data() + text.size(), key) != value)
        FuzzFail("ReadKeyValue differs between its two forms");
    return 0;
}
