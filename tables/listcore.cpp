#include "tables/listcore.h"

#include <algorithm>
#include <functional>

#include "data/cxfile.h"
#include "platform/gbk.h"

namespace tables {

ListClock ListClock::Of(const CXFile& file, int step) {
  ListClock c;
  c.start = file.GetStartTime();
  c.end = std::max(file.GetEndTime(), c.start);
  c.interval = std::max(file.GetInterval(), 1);
  c.step = std::max(step, 1);
  return c;
}

time_t ListClock::Scroll(time_t top, long long rows) const { return Clamp(top + rows * Stride()); }

time_t ListClock::GoTo(time_t t) const {
  if (t <= start) return start;
  const time_t rowTime = start + ((t - start) / Stride()) * Stride();
  return Clamp(rowTime);
}

long long ListClock::RecordCount() const { return (end - start) / interval + 1; }

int ListClock::BarRange() const {
  return static_cast<int>(std::min<long long>(RecordCount(), kBarMax));
}

int ListClock::BarPos(time_t top) const {
  // Multiplied before dividing, so that a long file does not round every
  // position to 0.
  const long long count = RecordCount();
  const long long range = BarRange();
  const long long rec = (Clamp(top) - start) / interval;
  // The last record puts the thumb at the bottom.
  if (rec >= count - 1) return static_cast<int>(range);
  return static_cast<int>(std::min(range, rec * range / count));
}

time_t ListClock::ThumbTop(int pos) const {
  const long long range = std::max(BarRange(), 1);
  const long long rec = RecordCount() * std::clamp<long long>(pos, 0, range) / range;
  return Clamp(start + rec * interval);
}

int ListClock::PageCount(time_t top) const {
  if (top > end) return 0;
  // Every row from the top to the last one that lies within the file.
  const long long rows = (end - top) / Stride() + 1;
  const long long pages = (rows + kPageRows - 1) / kPageRows;
  return static_cast<int>(std::max<long long>(pages, 1));
}

time_t ListClock::FollowTop(int visibleRows) const {
  const long long back = std::max(visibleRows - 4, 0);
  return std::max<time_t>(end - back * interval, start);
}

int ChannelWidth(const std::string& name, const std::string& unit) {
  const size_t bytes = platform::Utf8ToGbk(name).size() + platform::Utf8ToGbk(unit).size();
  return std::max(static_cast<int>(9 * bytes), 60);
}

std::string ChannelHeader(const CXFile& file, int ch) {
  std::string text = file.GetChnlName(ch);
  const std::string unit = file.GetChnlUnit(ch);
  if (!unit.empty()) text += "(" + unit + ")";
  return text;
}

bool InAlarm(float value, float low, float high) {
  return high > low && (value < low || value > high);
}

std::string ValueText(const CXFile& file, int ch, time_t t, bool* alarm) {
  float v = 0;
  if (alarm) *alarm = false;
  if (!file.GetValue(ch, t, &v, nullptr)) return kNoValue;
  if (alarm) *alarm = InAlarm(v, file.GetLimit(ch, 3), file.GetLimit(ch, 4));
  return file.FormatValue(ch, v);
}

bool WriteCopyText(const CXFile& file, time_t a, time_t b, const std::string& timeLabel,
                   const std::function<bool(const std::string&)>& write) {
  const time_t first = std::min(a, b), last = std::max(a, b);
  if (std::max(a, b) == 0 || std::min(a, b) < file.GetStartTime()) return true;
  const int n = file.GetChnlCount();
  const time_t iv = std::max(file.GetInterval(), 1);
  const long long rows = (last - first) / iv + 1;
  constexpr size_t kPiece = 64 * 1024;
  std::string text;
  text.reserve(kPiece + 32 + 16 * static_cast<size_t>(n));
  text += timeLabel;
  text += '\t';
  for (int ch = 0; ch < n; ++ch) {
    text += ChannelHeader(file, ch);
    text += '\t';
  }
  text += "\r\n";
  time_t t = first;
  for (long long r = 0; r < rows && t <= last; ++r, t += iv) {
    text += FormatTime(t, " %Y-%m-%d %H:%M:%S");
    for (int ch = 0; ch < n; ++ch) {
      text += '\t';
      text += ValueText(file, ch, t);
    }
    text += "\r\n";
    if (text.size() >= kPiece) {
      if (!write(text)) return false;
      text.clear();
    }
  }
  return text.empty() || write(text);
}

std::string CopyText(const CXFile& file, time_t a, time_t b, const std::string& timeLabel) {
  std::string text;
  WriteCopyText(file, a, b, timeLabel, [&text](const std::string& piece) {
    text += piece;
    return true;
  });
  return text;
}

FindResult FindInFile(const CXFile& file, _tagFindQuery& query, const std::atomic<bool>* stop) {
  const time_t from = query.time;
  std::function<bool()> keepGoing;
  if (stop) keepGoing = [stop] { return !stop->load(std::memory_order_relaxed); };
  if (file.FindValue(query, keepGoing)) return FindResult::Found;
  if (stop && stop->load()) {
    query.time = from;
    return FindResult::Stopped;
  }
  query.time = 0;
  return FindResult::Missed;
}

time_t SearchOrigin(const CXFile& file, int origin, time_t topRow) {
  if (origin == 0) return file.GetStartTime();
  if (origin == 1) return file.GetEndTime();
  return topRow ? topRow : file.GetStartTime();
}

}  // namespace tables
