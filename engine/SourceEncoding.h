// The source's character encoding as far as chunk names need it, and the file-name sanitising of
// key values: letters, digits and combining marks of every script stay, as UTF-8.
#pragma once

#include "platform/StringTypes.h"

#include <cstdint>

// How the bytes of a key value are read as characters.
enum class SourceEncoding {
    Utf8,        // UTF-8: an invalid byte sequence is one character per byte, none kept
    Utf16,       // UTF-16 decoded into UTF-8, a lone surrogate as its three-byte form
    Latin1,      // ISO-8859-1: each byte is the code point of its value
    Latin9,      // ISO-8859-15
    Windows1252, // windows-1252
    AsciiOnly,   // US-ASCII, or a name not known here: every byte above 0x7F is kept as none
    // (six kinds: the fuzz target takes them by number)
};

// The encoding named by an XML declaration's encoding value (any letter case); AsciiOnly for a
// name not known here. known is set when the name is one of the supported ones.
SourceEncoding EncodingByName(const CString& name, bool& known);

// The value of the encoding pseudo-attribute of an XML declaration at the very start of
// [begin, end) (after a UTF-8 byte order mark, if any); empty when there is none.
CString DeclaredEncoding(const char* begin, const char* end);

// True when a chunk file name keeps the code point: "_", a letter, a digit or a combining mark
// (the general categories L*, M*, Nd, Nl and No of the Unicode Character Database).
bool IsNameCharacter(uint32_t code);

// File-name sanitising of a key value read in encoding: every kept character stays (as UTF-8),
// every other character becomes one "_", and so does each byte of an invalid sequence. An ASCII
// value keeps its length; pure ASCII is never looked up in the table.
void SanitiseKeyValue(CString& text, SourceEncoding encoding = SourceEncoding::Utf8);
