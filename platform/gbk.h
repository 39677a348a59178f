#pragma once
// Text of recorders and data files is GBK on the wire and on disk; inside the
// program it is UTF-8. These are the only two crossings.
#include <cstddef>
#include <string>

namespace platform {

// Decodes up to n bytes (stopping at the first NUL) as GB18030, a superset of
// GBK. Bytes that do not decode become U+FFFD; never fails.
std::string GbkToUtf8(const char* bytes, size_t n);

// Encodes UTF-8 text as GBK into out[0..capacity), never splitting a character:
// a character that would not fit whole is left out with all that follows.
// Characters GBK cannot hold become '?'. Returns the number of bytes written;
// the rest of out is left untouched (callers clear fields first).
size_t Utf8ToGbk(const std::string& text, char* out, size_t capacity);

// The GBK form as a string, with no limit.
std::string Utf8ToGbk(const std::string& text);

}  // namespace platform
