#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// One converter per thread and direction; iconv_open is far too slow to run per call.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  iconv_t get() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    return cd_;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence that starts with byte c (1 for stray bytes).
size_t Utf8Len(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

std::string GbkToUtf8(const char* bytes, size_t n) {
  size_t len = 0;
  while (len < n && bytes[len] != '\0') ++len;
  std::string out;
  bool ascii = true;
  for (size_t i = 0; i < len; ++i) ascii = ascii && static_cast<unsigned char>(bytes[i]) < 0x80;
  if (ascii) return std::string(bytes, len);

  thread_local Converter conv("UTF-8", "GB18030");
  iconv_t cd = conv.get();
  std::vector<char> buf(len * 4 + 8);
  char* in = const_cast<char*>(bytes);
  size_t inLeft = len;
  while (inLeft > 0) {
    char* outp = buf.data();
    size_t outLeft = buf.size();
    size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
    out.append(buf.data(), buf.size() - outLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Invalid or incomplete sequence: one replacement character, skip one byte.
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

size_t Utf8ToGbk(const std::string& text, char* out, size_t capacity) {
  thread_local Converter conv("GBK", "UTF-8");
  iconv_t cd = conv.get();
  size_t written = 0;
  size_t i = 0;
  while (i < text.size()) {
    size_t clen = Utf8Len(static_cast<unsigned char>(text[i]));
    if (i + clen > text.size()) clen = text.size() - i;
    char one[8];
    char* in = const_cast<char*>(text.data() + i);
    size_t inLeft = clen;
    char* outp = one;
    size_t outLeft = sizeof(one);
    size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
    size_t produced = sizeof(one) - outLeft;
    if (r == static_cast<size_t>(-1) || produced == 0) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      one[0] = '?';
      produced = 1;
    }
    if (written + produced > capacity) break;
    std::memcpy(out + written, one, produced);
    written += produced;
    i += clen;
  }
  return written;
}

std::string Utf8ToGbk(const std::string& text) {
  std::string out(text.size() * 2 + 1, '\0');
  out.resize(Utf8ToGbk(text, out.data(), out.size()));
  return out;
}

}  // namespace platform
