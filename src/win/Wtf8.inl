// The WTF-8 conversions of win/Text.h, inline so that the header serves the log component too.
#include <cstdint>

namespace win {

namespace wtf8 {

inline bool IsHigh(uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
inline bool IsLow(uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

inline void Put(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The code point of the sequence at bytes[i], and its length; 0 for a byte that starts no
// well-formed sequence (overlong forms and values beyond Unicode would not come back the same).
inline size_t Decode(std::string_view bytes, size_t i, uint32_t& cp) {
    const uint32_t b = static_cast<uint8_t>(bytes[i]);
    size_t extra;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        extra = 1;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (i + extra >= bytes.size())
        return 0;
    for (size_t k = 1; k <= extra; ++k) {
        const uint32_t c = static_cast<uint8_t>(bytes[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return extra + 1;
}

// Decodes bytes into out; a byte that starts no sequence fails, or with replace shows as U+FFFD.
inline bool Convert(std::string_view bytes, std::wstring& out, bool replace) {
    out.clear();
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        uint32_t cp = 0;
        const size_t length = Decode(bytes, i, cp);
        if (length == 0) {
            if (!replace)
                return false;
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
        i += length;
    }
    return true;
}

}  // namespace wtf8

inline std::string ToWtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t u = static_cast<uint16_t>(text[i]);
        if (wtf8::IsHigh(u) && i + 1 < text.size() && wtf8::IsLow(static_cast<uint16_t>(text[i + 1]))) {
            uint32_t low = static_cast<uint16_t>(text[++i]);
            wtf8::Put(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        } else {
            wtf8::Put(out, u);
        }
    }
    return out;
}

inline bool FromWtf8(std::string_view bytes, std::wstring& out) {
    return wtf8::Convert(bytes, out, false);
}

inline std::wstring Wide(std::string_view text) {
    std::wstring wide;
    wtf8::Convert(text, wide, true);
    return wide;
}

}  // namespace win
