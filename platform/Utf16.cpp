#include "Utf16.h"

#include "TextMode.h"

namespace {

uint32_t UnitAt(const unsigned char* p, Utf16Order order) {
    return order == Utf16Order::BigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

bool IsHigh(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

size_t PutUtf8(uint32_t code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | code >> 6);
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | code >> 12);
        out[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | code >> 18);
    out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

} // namespace

size_t Utf16BytesWanted(const unsigned char* raw, size_t size, Utf16Order order) {
    if (size % 2 != 0) return 1;
    if (size == 0) return 0;
    const uint32_t last = UnitAt(raw + size - 2, order);
    return IsHigh(last) || (kTextModeConverts && last == '\r') ? 2 : 0;
}

size_t DecodeUtf16(const unsigned char* raw, size_t size, Utf16Order order, char* out) {
    char* const start = out;
    size_t at = 0;
    for (; at + 2 <= size; at += 2) {
        uint32_t code = UnitAt(raw + at, order);
        if (at + 4 <= size) {
            const uint32_t next = UnitAt(raw + at + 2, order);
            if (IsHigh(code) && IsLow(next)) {
                code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
                at += 2;
            } else if (kTextModeConverts && code == '\r' && next == '\n') {
                continue; // the LF that follows stands for the pair
            }
        }
        out += PutUtf8(code, out);
    }
    if (at < size) { // an odd last byte
        *out++ = static_cast<char>(0xFF);
        *out++ = static_cast<char>(0x80 | raw[at] >> 4);
        *out++ = static_cast<char>(0x80 | (raw[at] & 0x0F));
    }
    return static_cast<size_t>(out - start);
}

void Utf16Encoder::Unit(uint32_t unit, std::string& out) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    if (m_order == Utf16Order::BigEndian) {
        out += high;
        out += low;
    } else {
        out += low;
        out += high;
    }
}

void Utf16Encoder::Code(uint32_t code, std::string& out) {
    if (!m_bStarted) {
        m_bStarted = true;
        Unit(0xFEFF, out);
        if (code == 0xFEFF) return;
    }
    if (kTextModeConverts && code == '\n') Unit('\r', out);
    if (code >= 0x10000) {
        Unit(0xD800 + ((code - 0x10000) >> 10), out);
        Unit(0xDC00 + ((code - 0x10000) & 0x3FF), out);
    } else {
        Unit(code, out);
    }
}

void Utf16Encoder::Encode(const char* data, size_t size, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* const end = p + size;
    if (!m_pending.empty()) { // complete the sequence cut at the end of the last call
        std::string joined = m_pending;
        m_pending.clear();
        joined.append(data, size);
        Encode(joined.data(), joined.size(), out);
        return;
    }
    out.reserve(out.size() + size * 2 + 4);
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            Code(lead, out);
            ++p;
            continue;
        }
        const size_t length = lead == 0xFF ? 3 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (static_cast<size_t>(end - p) < length) {
            m_pending.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));
            return;
        }
        bool valid = length > 1 && lead < 0xF8;
        uint32_t code = lead & (0x7F >> length);
        for (size_t i = 1; i < length; ++i) {
            valid = valid && (p[i] & 0xC0) == 0x80;
            code = code << 6 | (p[i] & 0x3F);
        }
        if (lead == 0xFF && (p[1] & 0xF0) == 0x80 && (p[2] & 0xF0) == 0x80) { // an odd last byte
            if (!m_bStarted) Code(0xFEFF, out);
            out += static_cast<char>((p[1] & 0x0F) << 4 | (p[2] & 0x0F));
            p += 3;
            continue;
        }
        static const uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || code < kLeast[length] || code > 0x10FFFF) {
            Code(0xFFFD, out);
            ++p;
            continue;
        }
        Code(code, out);
        p += length;
    }
}

void Utf16Encoder::Finish(std::string& out) {
    for (size_t i = 0; i < m_pending.size(); ++i)
        Code(0xFFFD, out);
    m_pending.clear();
    if (!m_bStarted) Code(0xFEFF, out);
}
