// UTF-16 text carried as UTF-8 and back, exactly: a surrogate pair is one four-byte sequence, a
// lone surrogate its three-byte form (ED A0 80 to ED BF BF), and a last odd byte of a file FF and
// two bytes 80 to 8F that hold its halves. Where text mode converts (Windows), CR LF code units
// read as LF, and LF is written as CR LF, as the C library does for 8-bit text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The byte order of a UTF-16 text.
enum class Utf16Order { None, LittleEndian, BigEndian };

// How many more bytes a UTF-16 reader should take after [raw, raw + size) before it decodes them:
// 1 after an odd byte, 2 after a high surrogate or (where text mode converts) a CR, else 0.
size_t Utf16BytesWanted(const unsigned char* raw, size_t size, Utf16Order order);

// Decodes the UTF-16 in [raw, raw + size) into out as above; returns the bytes written, at most
// 3 * size / 2 + 3. A surrogate or CR at the end of raw is decoded alone.
size_t DecodeUtf16(const unsigned char* raw, size_t size, Utf16Order order, char* out);

// Encodes UTF-8 text into UTF-16 of a byte order, its byte order mark first (a text that begins
// with U+FEFF gives it no second one). A sequence cut between two calls is completed by the next;
// an invalid byte is U+FFFD.
class Utf16Encoder {
public:
    explicit Utf16Encoder(Utf16Order order) : m_order(order) {}
    // Appends the code units of [data, data + size) to out.
    void Encode(const char* data, size_t size, std::string& out);
    // Appends what the text still owes: the byte order mark of an empty text, an unfinished sequence.
    void Finish(std::string& out);

private:
    void Unit(uint32_t unit, std::string& out);
    void Code(uint32_t code, std::string& out);

    Utf16Order m_order;
    bool m_bStarted = false;
    std::string m_pending; // the first bytes of a sequence the next call completes
};
