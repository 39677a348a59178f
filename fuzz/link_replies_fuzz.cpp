// Arbitrary replies against the link's checks: the first input byte picks the
// request and the size of the caller's buffer, the rest is the reply.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t selector = data[0];
  const uint8_t* reply = data + 1;
  const int n = static_cast<int>(size - 1 > 4151 ? 4151 : size - 1);
  // Exact-size copies so the sanitizer sees every byte read past the end.
  std::vector<uint8_t> copy(reply, reply + n);
  const uint8_t requests[4][6] = {{0x08, 0x03, 0x00, 0x24, 0x00, 0x02},
                                  {0x08, 0x16, 0xC0, 0x00, 0x01, 0x00},
                                  {0x08, 0x13, 0x00, 0x00, 0x00, 0x10},
                                  {0x08, 0x41, 0x00, 0x00, 0x00, 0x00}};
  const uint8_t* request = requests[selector & 3];
  uint16_t check = 0;
  reclink::CheckRtuReply(request, copy.data(), n, &check);
  const int dataSize = selector >> 2;  // 0 - 63 bytes
  std::vector<uint8_t> out(static_cast<size_t>(dataSize));
  int lrc = -1;
  const int carried =
      reclink::DecodeAsciiReply(request, copy.data(), n, out.data(), dataSize, &lrc);
  if (carried > 0 && 11 + 2 * carried != n) __builtin_trap();  // a count not from the reply
  return 0;
}
