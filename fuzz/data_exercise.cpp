#include "data_exercise.h"

#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "data/cxfile.h"

namespace {

// Reads of one instant on every channel, as a view would make them.
void ReadInstant(const CXFile& f, time_t t) {
  for (int ch = -1; ch <= f.GetChnlCount(); ++ch) {
    float v, p;
    double c;
    f.GetValue(ch, t, &v, &p);
    f.GetCumValue(ch, t, &c);
  }
}

}  // namespace

bool ExerciseDataFile(const uint8_t* data, size_t size) {
  // An anonymous in-memory file, opened by path like a file on disk.
  int fd = ::memfd_create("recview-fuzz", MFD_CLOEXEC);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    ssize_t w = ::write(fd, data + done, size - done);
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  bool accepted;
  {
    CXFile f;
    accepted = f.Open(path);
    if (accepted) {
      f.GetTitle();
      f.GetModel();
      for (int ch = -1; ch <= f.GetChnlCount(); ++ch) {
        f.GetChnlName(ch);
        f.GetChnlUnit(ch);
        f.GetRangeLow(ch);
        f.GetRangeHigh(ch);
        for (int k = 0; k <= 6; ++k) f.GetLimit(ch, k);
        f.GetChnlDef(ch);
        std::string fmt;
        f.GetFormat(ch, fmt);
      }
      const time_t start = f.GetStartTime(), end = f.GetEndTime();
      const int step = f.GetInterval();
      // The first and last records, and a few in between.
      for (int i = 0; i < 4; ++i) {
        ReadInstant(f, start + static_cast<time_t>(i) * step);
        ReadInstant(f, end - static_cast<time_t>(i) * step);
        ReadInstant(f, start + (end - start) / 2 + i);
      }
      ReadInstant(f, start - 1);
      ReadInstant(f, end + 1);
      for (int i = -1; i <= f.GetMarkCount(); ++i) f.GetMark(i);
      if (f.GetRecordCount() <= 2000) {
        _tagFindQuery q;
        q.target = 1.0f;
        q.time = start;
        f.FindValue(q);
        q.channel = 1;
        q.direction = 1;
        q.time = end;
        f.FindValue(q);
      }
      // Marks and header writes on the in-memory copy.
      if (f.AddMark(start)) f.DeleteMark(0);
      f.PutHead();
    }
  }
  ::close(fd);
  return accepted;
}
