#pragma once
// UTF-16 text to 8-bit bytes and back without loss: valid surrogate pairs become 4-byte UTF-8
// sequences and unpaired surrogates are kept as their own 3-byte sequences (the WTF-8 scheme), so
// whatever a BSTR holds, embedded NULs included, comes back unchanged.

#include <string>
#include <string_view>

namespace logwright {

std::string ToWtf8(std::wstring_view text);
// Returns false (and leaves 'out' partly filled) when the bytes are not well-formed WTF-8.
bool FromWtf8(std::string_view bytes, std::wstring& out);

}  // namespace logwright
