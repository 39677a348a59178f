#pragma once
// The record list without widgets: which instant a row shows, its number,
// scrolling and paging over the file, value texts with their alarm colour,
// the clipboard text of a selection and an interruptible search. The list
// view draws with it; rectool prints with it.
#include <atomic>
#include <ctime>
#include <functional>
#include <string>

#include "data/records.h"

class CXFile;

namespace tables {

// Unreadable values show as this in tables and clipboard text.
inline constexpr const char* kNoValue = "----";
// Rows printed on one page.
inline constexpr int kPageRows = 40;
// Scroll bars count at most this far; longer files scale onto it.
inline constexpr int kBarMax = 32767;

// The time grid of a file as the list shows it: start, end, interval and
// the row step (intervals between two shown rows). Interval and step are
// taken as at least 1.
struct ListClock {
  time_t start = 0;
  time_t end = 0;
  int interval = 1;
  int step = 1;

  static ListClock Of(const CXFile& file, int step = 1);

  time_t Stride() const { return static_cast<time_t>(interval) * step; }
  time_t Clamp(time_t t) const { return t < start ? start : (t > end ? end : t); }
  // Instant of row r (1 = the first row under the header) from a top time.
  time_t RowTime(time_t top, int r) const { return top + static_cast<time_t>(r - 1) * Stride(); }
  // Number shown in the number column for instant t (1-based).
  long long RowNumber(time_t t) const { return (t - start) / Stride() + 1; }
  // The top after scrolling by rows (negative: up), kept within the file.
  time_t Scroll(time_t top, long long rows) const;
  // A time rounded down to a row of the grid and kept within the file.
  time_t GoTo(time_t t) const;
  // Instant of a data row under the mouse: past the end gives the end,
  // before the start the start.
  time_t InstantAt(time_t top, int row) const { return Clamp(RowTime(top, row)); }
  // Samples in the file (not rows): (end - start) / interval + 1.
  long long RecordCount() const;
  // Range of the vertical bar, and its position for a top time, and back.
  int BarRange() const;
  int BarPos(time_t top) const;
  time_t ThumbTop(int pos) const;
  // Printing all pages from a top time: page count and the first instant of
  // page p (from 1).
  int PageCount(time_t top) const;
  time_t PageTop(time_t top, int page) const {
    return top + static_cast<time_t>(page - 1) * kPageRows * Stride();
  }
  // Top for following a live file: the newest records fill the last rows of
  // a table of visibleRows rows.
  time_t FollowTop(int visibleRows) const;
};

// Width in pixels of a channel column at first layout: 9 per byte of name
// and unit as the recorder stores them, at least 60.
int ChannelWidth(const std::string& name, const std::string& unit);
// Header text of a channel: name, then "(unit)" when there is a unit.
std::string ChannelHeader(const CXFile& file, int ch);

// The alarm rule: below limit 3 or above limit 4, and limit 4 above limit 3.
bool InAlarm(float value, float low, float high);
// The text of channel ch at instant t, or "----" when it cannot be read;
// *alarm (may be null) tells whether it is drawn red.
std::string ValueText(const CXFile& file, int ch, time_t t, bool* alarm = nullptr);

// Clipboard text of the selection between a and b (either order): a header
// line (timeLabel, then every channel header, tab separated), then one line
// per sample, every sample regardless of any row step: " %Y-%m-%d %H:%M:%S"
// and a tab and the value of each channel. Lines end with "\r\n". Empty when
// a lies before the file start (no selection).
std::string CopyText(const CXFile& file, time_t a, time_t b, const std::string& timeLabel);
// The same text handed to `write` in pieces of about 64 KiB, in order, so
// that a long span never lies whole in memory; false as soon as write fails.
bool WriteCopyText(const CXFile& file, time_t a, time_t b, const std::string& timeLabel,
                   const std::function<bool(const std::string&)>& write);

// How a search ended.
enum class FindResult { Found, Missed, Stopped };
// A search of the find dialog from query.time (already placed by the caller),
// through CXFile::FindValue; stop (may be null) interrupts it from another
// thread. Found: query.time is the hit. Missed: query.time is 0. Stopped:
// query.time is as it was.
FindResult FindInFile(const CXFile& file, _tagFindQuery& query, const std::atomic<bool>* stop);
// The place a new search starts: origin 0 file start, 1 file end, 2 the top
// row (the file start when there is none).
time_t SearchOrigin(const CXFile& file, int origin, time_t topRow);

}  // namespace tables
