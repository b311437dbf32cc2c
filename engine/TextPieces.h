// TextPieces: a text read a piece at a time, by offset, for readers that must not need it whole:
// a naming region may be far larger than memory should hold. A piece runs from the offset asked
// for to the end of what the text holds in one place (a block); a reader that looks across a
// piece's end asks again at the next offset.
#pragma once

#include <cstddef>
#include <cstdint>

class TextPieces {
public:
    virtual ~TextPieces() = default;

    // The text at offset as [data, data + size), size 0 at or beyond the text's end. The piece
    // stays valid until the next call.
    virtual size_t Piece(uint64_t offset, const char*& data) = 0;
};

// A text held whole in memory, as one piece: offsets count from begin.
class HeldText final : public TextPieces {
public:
    HeldText(const char* begin, const char* end) : m_begin(begin), m_size(static_cast<size_t>(end - begin)) {}

    size_t Piece(uint64_t offset, const char*& data) override {
        if (offset >= m_size) return 0;
        data = m_begin + offset;
        return m_size - static_cast<size_t>(offset);
    }

private:
    const char* m_begin;
    size_t m_size;
};
