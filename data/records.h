#pragma once
// The record model of a recording: the recording header with its channel
// table, the 3-byte scaled numbers in which recorders deliver ranges and
// limits, raw counts, 6-byte time stamps and the time helpers around them.
//
// Text fields (model, title, name, unit, spare, reference labels) hold the
// bytes as recorders and data files carry them: GBK, NUL-padded. Read them as
// UTF-8 through CXFile (GetTitle, GetChnlName, ...) or GbkField(); fill them
// from UTF-8 with SetGbkField(), which never splits a character.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/localtime.h"

// Most channels a recording holds.
constexpr int kMaxChannels = 64;
// Size of one channel definition on disk.
constexpr int kChnlDefSize = 160;

// A scaled number: a signed 16-bit integer and an unsigned decimal count d;
// its value is integer / 10^d. On the wire and on disk it is 3 bytes: the
// integer little-endian, then d. For logarithmic channels the decimals byte is
// read as a signed power of ten instead (ScaleNumExponent).
//
// The record types keep their established names inside the project namespace;
// the using-declarations after each let the code use the short names.
namespace recview {
struct _tagScaleNum {
  int16_t number = 0;
  uint8_t decimals = 0;
};
}  // namespace recview
using recview::_tagScaleNum;

// The 3-byte form (integer little-endian, then the decimals byte).
_tagScaleNum ScaleNumFromBytes(const uint8_t* bytes);
void ScaleNumToBytes(const _tagScaleNum& num, uint8_t* bytes);
// number / 10^decimals.
float ScaleNumValue(const _tagScaleNum& num);
// The decimals byte as a signed exponent: 0-9 stand for themselves, 10-255
// for byte - 256.
int ScaleNumExponent(const _tagScaleNum& num);

// One channel of a recording (in memory; the disk forms are CXFile's business).
namespace recview {
struct _tagChnlDef {
  uint32_t devWord[2] = {0, 0};  // device word read from the recorder; [1] only in form 2
  uint32_t colour = 0;           // curve colour, COLORREF 0x00BBGGRR
  _tagScaleNum rangeLow;         // value of count 0; its decimals are the channel's decimals
  _tagScaleNum rangeHigh;        // value of the full-scale count
  _tagScaleNum limit1;
  _tagScaleNum limit2;
  _tagScaleNum limit3;           // low alarm limit
  _tagScaleNum limit4;           // high alarm limit
  _tagScaleNum limit5;
  char name[32] = {};            // GBK, NUL-padded
  char unit[16] = {};            // GBK, NUL-padded
  char spare[16] = {};           // carried unchanged
  uint8_t logScale = 0;          // non-zero: logarithmic channel
  uint8_t shown = 0;             // 1 = drawn and listed
  uint8_t penWidth = 0;          // curve pen width in pixels
};
}  // namespace recview
using recview::_tagChnlDef;

// The recording header: identity, span, layout of the data area, chart
// defaults and the channel table. Fields in their fixed order.
namespace recview {
struct _tagDataHead {
  uint16_t descSize = 0;   // size of a channel definition on disk: 160
  float yLow = 0;
  float yHigh = 0;
  uint32_t clrGrid = 0;
  uint32_t clrBack = 0;
  int32_t lastIndex = 0;   // index of the last record of the span
  int32_t ringStart = 0;   // first stored record inside the ring
  int32_t capacity = 0;    // record slots per channel in the data area
  char model[16] = {};     // model string, "KV..."
  char title[32] = {};     // GBK, NUL-terminated
  uint8_t startStamp[6] = {};
  uint8_t endStamp[6] = {};
  uint8_t station = 0;
  int32_t interval = 0;    // seconds between records
  uint8_t chnlCount = 0;
  uint8_t reserved1 = 0;
  uint8_t markCount = 0;
  uint8_t valueWidth = 0;  // bytes per raw count: 1 or 2 (8 for cumulative files)
  uint8_t xMode = 0;
  uint8_t yMode = 0;
  uint16_t xGrids = 0;
  uint16_t yGrids = 0;
  uint8_t gridShown = 0;
  uint8_t expFormat = 0;   // 1 = logarithmic values shown as "%.1E"
  _tagChnlDef channels[kMaxChannels];
  time_t endTime = 0;
  time_t startTime = 0;
  uint8_t spare2 = 0;
  uint8_t cumPeriod = 0;   // cumulative files: period code 0-3
  uint8_t cumByte1 = 0;    // cumulative files: day-start hour
  uint8_t cumByte2 = 0;    // cumulative files: decimals of the totals
  uint8_t tagByte = 0;     // rings of the circular charts
  uint8_t kindByte = 0;    // period code of the circular live chart
  uint8_t refShown1 = 0;
  uint8_t refShown2 = 0;
  float refValue1 = 0;
  float refValue2 = 0;
  char refLabel1[11] = {};
  char refLabel2[11] = {};
};
}  // namespace recview
using recview::_tagDataHead;

// The search by value (CXFile::FindValue).
namespace recview {
struct _tagFindQuery {
  float target = 0;
  float tolerance = 0.05f;
  int32_t startMode = 0;   // 0 = file start, 1 = file end, other = cursor time
  int32_t direction = 0;   // non-zero: backwards
  time_t time = 0;         // where the search starts; the match, or 0 when none
  int32_t channel = 0;     // channel number from 1; 0 = every channel
};
}  // namespace recview
using recview::_tagFindQuery;

// Full scale of a raw count of the given width: 255 or 65535.
inline uint32_t FullScale(int valueWidth) { return valueWidth == 1 ? 255u : 65535u; }

// Seconds of a cumulative period code: 0 -> 3600, 1 -> 28800, 2 -> 43200, else 86400.
int CumPeriodInterval(int cumPeriod);

// Text fields: the UTF-8 text of a GBK field of n bytes (up to its first NUL),
// and a field cleared and filled from UTF-8, cut to n bytes (or n - 1 with
// nulTerminated) without splitting a character.
std::string GbkField(const char* field, size_t n);
void SetGbkField(char* field, size_t n, const std::string& utf8, bool nulTerminated = false);
template <size_t N>
std::string GbkField(const char (&field)[N]) { return GbkField(field, N); }
template <size_t N>
void SetGbkField(char (&field)[N], const std::string& utf8, bool nulTerminated = false) {
  SetGbkField(field, N, utf8, nulTerminated);
}

// The default name of a channel, "通道%d" with the 1-based channel number (UTF-8).
std::string DefaultChnlName(int number);

// 6-byte time stamps (year - 2000, month, day, hour, minute, second, local
// time) and their check: see platform/localtime.h.
using platform::StampToTime;
using platform::StampValid;
using platform::TimeToStamp;

// Times as text in local time; the default format is that of lists and messages.
std::string FormatTime(time_t t, const char* format = "%Y-%m-%d %H:%M:%S");
// Reads "YYYY-MM-DD HH:MM:SS" as local time; false when the text is not one.
bool ParseTime(const std::string& text, time_t* t);
