// The connection step and the checks before a download: which family the
// recorder belongs to, and the span of time its memory holds.
#include <cstdio>
#include <cstring>
#include <string>

#include "acquire/download.h"
#include "link/frames.h"
#include "link/recordermap.h"
#include "platform/localspan.h"

namespace acquire {

namespace map = reclink::map;

namespace {

// Rounds a >= 0 up / down to a multiple of step.
int64_t CeilTo(int64_t a, int64_t step) { return (a + step - 1) / step * step; }
int64_t FloorTo(int64_t a, int64_t step) { return a / step * step; }

}  // namespace

int ModelRow(const std::string& identity) {
  const std::string head = identity.substr(0, std::min<size_t>(identity.find('\0'), 7));
  for (const map::RegisterModel& e : map::kRegisterModels)
    if (head == e.model) return e.row;
  return -1;
}

std::string ProposedFileName(int station, time_t end, const std::string& extension) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", station);
  return std::string(number) + "@" + FormatTime(end, "%Y-%m-%d %H_%M_%S") + "." + extension;
}

double DownloadReport::Rate() const {
  const int64_t ms = elapsedMs > 0 ? elapsedMs : 1;
  return static_cast<double>(totalBytes) * 1000.0 / static_cast<double>(ms);
}

DownloadSession::DownloadSession() = default;

DownloadSession::~DownloadSession() {
  if (fileOpen_) Discard();
  link_.Close();
}

std::string DownloadSession::PortError() const { return portError_; }

void DownloadSession::CloseLink() {
  link_.Close();
  connected_ = false;
}

ConnectStatus DownloadSession::Connect(const _tagComParam& param) {
  connected_ = false;
  portError_.clear();
  if (!link_.IsOpen() && !link_.Open(param)) {
    portError_ = link_.Port().LastError();
    return ConnectStatus::PortOpenFailed;
  }

  RecorderSpan span;
  uint8_t identity[64] = {};
  const int got = link_.ReadIdentityAscii(identity, sizeof identity - 1);
  if (got > 0) {
    // Register family.
    span.family = Family::Register;
    span.model.assign(reinterpret_cast<const char*>(identity),
                      strnlen(reinterpret_cast<const char*>(identity), got));
    span.modelRow = ModelRow(span.model);
    if (span.modelRow < 0) {
      span_ = span;
      return ConnectStatus::UnknownModel;
    }
    const map::RegisterRow& row = map::kRegisterRows[span.modelRow];
    uint8_t index = 0;
    uint8_t clock[map::kClockAndPositionSize];
    if (!link_.ReadRegistersAscii(row.interval, 1, &index) ||
        !link_.ReadRegistersAscii(map::kClockAndPosition, sizeof clock, clock) ||
        !StampValid(clock)) {
      CloseLink();
      return ConnectStatus::ReadFailed;
    }
    span.interval = IntervalSeconds(index) > 0 ? IntervalSeconds(index) : 1;
    span.newest = StampToTime(clock);
    span.newestIndex = reclink::Le32(clock + 6) % kRingSize;
    span.earliest = span.newest - static_cast<time_t>(kRingSize - 1) * span.interval;
  } else {
    // Block family: no answer in ASCII framing.
    span.family = Family::Block;
    uint8_t clock[6];
    uint8_t index = 0;
    if (!link_.ReadClock(clock) || !StampValid(clock) ||
        !link_.ReadBytes(map::kBlockInterval, 1, &index)) {
      CloseLink();
      return ConnectStatus::ReadFailed;
    }
    span.interval = IntervalSeconds(index) > 0 ? IntervalSeconds(index) : 1;
    span.newest = StampToTime(clock);
    span.earliest = span.newest - static_cast<time_t>(map::kBlockSpanIntervals) * span.interval;
  }
  span_ = span;
  connected_ = true;
  return ConnectStatus::Connected;
}

SpanStatus DownloadSession::CheckSpan(bool whole, time_t* start, time_t* end) const {
  if (whole) {
    *start = span_.earliest;
    *end = span_.newest;
    return SpanStatus::Ok;
  }
  // A time in the hour that comes twice names the reading the recorder holds.
  *start = platform::WithinSpan(*start, span_.earliest, span_.newest, platform::SpanEdge::Start);
  *end = platform::WithinSpan(*end, span_.earliest, span_.newest, platform::SpanEdge::End);
  if (*start > *end) return SpanStatus::StartAfterEnd;
  if (*start < span_.earliest) return SpanStatus::StartBeforeSpan;
  if (*end > span_.newest) return SpanStatus::EndAfterSpan;
  if (span_.family == Family::Register) {
    // Onto the record instants: start to the next, end to the previous one.
    const int64_t iv = span_.interval;
    const time_t s = span_.earliest + static_cast<time_t>(CeilTo(*start - span_.earliest, iv));
    const time_t e = span_.earliest + static_cast<time_t>(FloorTo(*end - span_.earliest, iv));
    if (s > e) return SpanStatus::NoRecord;
    *start = s;
    *end = e;
  }
  return SpanStatus::Ok;
}

bool DownloadSession::ReadStation(int* station) {
  if (span_.family == Family::Register) {
    *station = link_.Param().Address & 0xFF;
    return true;
  }
  uint8_t b = 0;
  if (!link_.ReadBytes(map::kBlockStation, 1, &b)) return false;
  *station = b;
  return true;
}

}  // namespace acquire
