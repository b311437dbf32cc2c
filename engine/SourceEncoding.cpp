#include "SourceEncoding.h"

#include "NameCharacters.h" // generated from the Unicode Character Database

#include <algorithm>
#include <cstring>

namespace {

// The code points of windows-1252's bytes 0x80 to 0x9F (0: no character).
constexpr uint16_t kWindows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The bytes where ISO-8859-15 differs from ISO-8859-1, and its code points there.
constexpr unsigned char kLatin9Bytes[8] = {0xA4, 0xA6, 0xA8, 0xB4, 0xB8, 0xBC, 0xBD, 0xBE};
constexpr uint16_t kLatin9Codes[8] = {0x20AC, 0x0160, 0x0161, 0x017D, 0x017E, 0x0152, 0x0153, 0x0178};

// The code point of an 8-bit encoding's byte above 0x7F; 0 when the byte is no character.
uint32_t EightBitCode(unsigned char byte, SourceEncoding encoding) {
    if (encoding == SourceEncoding::Windows1252 && byte < 0xA0) return kWindows1252High[byte - 0x80];
    if (encoding == SourceEncoding::Latin9) {
        const unsigned char* at = std::find(kLatin9Bytes, kLatin9Bytes + 8, byte);
        if (at != kLatin9Bytes + 8) return kLatin9Codes[at - kLatin9Bytes];
    }
    return encoding == SourceEncoding::AsciiOnly ? 0 : byte;
}

// The length of the UTF-8 sequence at [p, end) and its code point; 0 when it is invalid (too
// short, a stray continuation byte, an overlong form, beyond U+10FFFF, or a surrogate unless
// surrogates are allowed).
size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, bool surrogates, uint32_t& code) {
    const unsigned char lead = *p;
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || static_cast<size_t>(end - p) < length) return 0;
    code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    static const uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF) return 0;
    if (!surrogates && code >= 0xD800 && code <= 0xDFFF) return 0;
    return length;
}

void AppendUtf8(CString& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        }
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsAsciiNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

CString Lower(CString text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

SourceEncoding EncodingByName(const CString& name, bool& known) {
    static const struct {
        const char* name;
        SourceEncoding encoding;
    } kNames[] = {
        {"utf-8", SourceEncoding::Utf8},
        {"utf8", SourceEncoding::Utf8},
        {"us-ascii", SourceEncoding::AsciiOnly},
        {"ascii", SourceEncoding::AsciiOnly},
        {"iso-8859-1", SourceEncoding::Latin1},
        {"iso_8859-1", SourceEncoding::Latin1},
        {"latin1", SourceEncoding::Latin1},
        {"l1", SourceEncoding::Latin1},
        {"iso-8859-15", SourceEncoding::Latin9},
        {"iso_8859-15", SourceEncoding::Latin9},
        {"latin-9", SourceEncoding::Latin9},
        {"latin9", SourceEncoding::Latin9},
        {"windows-1252", SourceEncoding::Windows1252},
        {"cp1252", SourceEncoding::Windows1252},
    };
    const CString lower = Lower(name);
    for (const auto& entry : kNames)
        if (lower == entry.name) {
            known = true;
            return entry.encoding;
        }
    known = false;
    return SourceEncoding::AsciiOnly;
}

// XMLDecl ::= "<?xml" S ... "encoding" S? "=" S? ("'" name "'" | '"' name '"') ... "?>"
CString DeclaredEncoding(const char* begin, const char* end) {
    if (end - begin >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;
    auto white = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    if (end - begin < 6 || std::memcmp(begin, "<?xml", 5) != 0 || !white(begin[5])) return CString();
    const CString declaration(begin, std::find(begin, end, '>'));
    for (size_t at = declaration.find("encoding"); at != CString::npos;
         at = declaration.find("encoding", at + 1)) {
        size_t p = at + 8;
        while (p < declaration.size() && white(declaration[p]))
            ++p;
        if (p == declaration.size() || declaration[p] != '=') continue;
        ++p;
        while (p < declaration.size() && white(declaration[p]))
            ++p;
        if (p == declaration.size() || (declaration[p] != '"' && declaration[p] != '\'')) continue;
        const size_t close = declaration.find(declaration[p], p + 1);
        if (close != CString::npos) return declaration.substr(p + 1, close - p - 1);
    }
    return CString();
}

bool IsNameCharacter(uint32_t code) {
    if (code < 0x80) return IsAsciiNameCharacter(static_cast<char>(code));
    const auto* ranges = kNameCharacterRanges;
    const auto* last = ranges + sizeof kNameCharacterRanges / sizeof kNameCharacterRanges[0];
    // The first range that ends at or after the code point holds it, or none does.
    const auto* range =
        std::lower_bound(ranges, last, code, [](const uint32_t(&r)[2], uint32_t c) { return r[1] < c; });
    return range != last && (*range)[0] <= code;
}

void SanitiseKeyValue(CString& text, SourceEncoding encoding) {
    bool ascii = true;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
        else if (!IsAsciiNameCharacter(c))
            c = '_';
    }
    if (ascii) return;
    // Only the bytes above 0x7F are still to be read; the ASCII ones are final already.
    CString out;
    out.reserve(text.size() * 2);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    const bool utf8 = encoding == SourceEncoding::Utf8 || encoding == SourceEncoding::Utf16;
    while (p < end) {
        if (*p < 0x80) {
            out += static_cast<char>(*p++);
            continue;
        }
        uint32_t code = 0; // none: an invalid sequence or a byte that is no character
        size_t length = 1; // an invalid sequence goes a byte at a time
        if (!utf8)
            code = EightBitCode(*p, encoding);
        else if (size_t valid = DecodeUtf8(p, end, encoding == SourceEncoding::Utf16, code))
            length = valid;
        else
            code = 0;
        if (code >= 0x80 && IsNameCharacter(code))
            AppendUtf8(out, code);
        else
            out += '_';
        p += length;
    }
    text.swap(out);
}
