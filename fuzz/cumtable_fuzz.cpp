// libFuzzer target: the cumulative tables (view, export, print and rectool)
// built over arbitrary bytes opened as a cumulative file. No row is wider
// than the table.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/cxfile.h"
#include "tables/cumtable.h"

namespace {

void Check(const CXFile& f, time_t from, time_t to) {
  // A range of years makes tables of hundreds of thousands of rows: correct,
  // but too slow for fuzzing.
  if (tables::CheckCumRange(f, from, to) != 0 || to - from > 400 * 86400) return;
  tables::CumOptions options;
  options.shownOnly = (from & 1) != 0;
  const tables::CumTable table = tables::BuildCumTable(f, from, to, tables::CumTexts(), options);
  for (const auto& row : table.rows)
    if (row.size() > table.columns.size()) __builtin_trap();
  tables::CumTableCsv(table);
  for (const auto& row : tables::CumSheetRows(table))
    if (row.size() != table.columns.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int fd = ::memfd_create("recview-fuzz", MFD_CLOEXEC);
  if (fd < 0) return 0;
  for (size_t done = 0; done < size;) {
    const ssize_t w = ::write(fd, data + done, size - done);
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  {
    CXFile f;
    if (f.Open("/proc/self/fd/" + std::to_string(fd)) && f.GetLayout() == 3) {
      const time_t first = tables::CumFirstTime(f), last = tables::CumLastTime(f);
      Check(f, first, last);
      Check(f, first + (last - first) / 3, last - (last - first) / 5);
    }
  }
  ::close(fd);
  return 0;
}
