// Collection into an archive folder: the newest record already collected,
// the span the recorder still holds, what the ring overwrote meanwhile, and
// one download of everything newer.
#include "acquire/collect.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/records.h"
#include "platform/profile.h"

namespace acquire {

namespace {

constexpr char kExtension[] = "KVD";
constexpr char kStampFormat[] = "%Y%m%d-%H%M%S";

std::string StationPrefix(int station) {
  char text[16];
  std::snprintf(text, sizeof text, "S%03d_", station);
  return text;
}

std::string StatePath(const std::string& dir, int station) {
  char name[32];
  std::snprintf(name, sizeof name, "S%03d.collected", station);
  return dir + name;
}

// The end time in a collected file's name; false for other names.
bool NameEnd(const std::string& name, const std::string& prefix, time_t* end) {
  const std::string suffix = std::string(".") + kExtension;
  // The name may carry a number before the extension (NewFilePath).
  if (name.compare(0, prefix.size(), prefix) != 0 ||
      name.size() < prefix.size() + 31 + suffix.size() ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  int y, mo, d, h, mi, s;
  if (std::sscanf(name.c_str() + prefix.size() + 16, "%4d%2d%2d-%2d%2d%2d", &y, &mo, &d, &h, &mi,
                  &s) != 6)
    return false;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
  return ParseTime(text, end);
}

}  // namespace

std::string CollectedFileName(int station, time_t first, time_t last) {
  return StationPrefix(station) + FormatTime(first, kStampFormat) + "_" +
         FormatTime(last, kStampFormat) + "." + kExtension;
}

Archive::Archive(std::string dir) : dir_(std::move(dir)) {
  if (!dir_.empty() && dir_.back() != '/') dir_ += '/';
}

Archive::~Archive() {
  if (lock_ >= 0) ::close(lock_);
}

bool Archive::Lock(bool* busy, std::string* error) {
  *busy = false;
  errno = 0;
  // The folder with the folders above it, as far as they are missing.
  for (size_t slash = dir_.find('/', 1); slash != std::string::npos;
       slash = dir_.find('/', slash + 1))
    ::mkdir(dir_.substr(0, slash).c_str(), 0777);
  struct stat st;
  if (::stat(dir_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (errno == 0) errno = ENOTDIR;
    *error = "cannot make the archive folder " + dir_ + ": " + std::strerror(errno);
    return false;
  }
  const std::string path = dir_ + ".collect.lock";
  lock_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lock_ < 0) {
    *error = "cannot use the archive folder " + dir_ + ": " + std::strerror(errno);
    return false;
  }
  if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
    *busy = errno == EWOULDBLOCK;
    *error = *busy ? "another collection is writing into " + dir_ + " now; try again later"
                   : "cannot lock " + path + ": " + std::strerror(errno);
    ::close(lock_);
    lock_ = -1;
    return false;
  }
  return true;
}

time_t Archive::Newest(int station) const {
  time_t newest = 0;
  const std::string noted =
      platform::GetPrivateProfileString("Collected", "Newest", "", StatePath(dir_, station));
  if (!noted.empty() && !ParseTime(noted, &newest)) newest = 0;
  // The files themselves: a file the state does not know yet (a run that
  // ended between the file and the state), or no state at all.
  const std::string prefix = StationPrefix(station);
  DIR* d = ::opendir(dir_.c_str());
  if (!d) return newest;
  while (dirent* e = ::readdir(d)) {
    time_t named = 0;
    if (!NameEnd(e->d_name, prefix, &named) || named <= newest) continue;
    CXFile file;
    if (file.Open(dir_ + e->d_name) && file.GetEndTime() > newest) newest = file.GetEndTime();
  }
  ::closedir(d);
  return newest;
}

bool Archive::SetNewest(int station, time_t newest) {
  return platform::WritePrivateProfileString("Collected", "Newest", FormatTime(newest),
                                             StatePath(dir_, station));
}

time_t Archive::Checked(int station) const {
  time_t when = 0;
  const std::string noted =
      platform::GetPrivateProfileString("Collected", "Checked", "", StatePath(dir_, station));
  return !noted.empty() && ParseTime(noted, &when) ? when : 0;
}

void Archive::SetChecked(int station, time_t when) {
  platform::WritePrivateProfileString("Collected", "Checked", FormatTime(when),
                                      StatePath(dir_, station));
}

std::string Archive::NewFilePath(int station, time_t first, time_t last) const {
  const std::string name = CollectedFileName(station, first, last);
  std::string path = dir_ + name;
  // A file of that name is never replaced: the new one takes a number.
  struct stat st;
  for (int n = 2; ::stat(path.c_str(), &st) == 0; ++n)
    path = dir_ + name.substr(0, name.size() - 4) + "-" + std::to_string(n) + name.substr(name.size() - 4);
  return path;
}

void Archive::Log(const std::string& line) const {
  const std::string path = dir_ + "collect.log";
  FILE* f = std::fopen(path.c_str(), "a");
  if (!f) return;
  std::fprintf(f, "%s %s\n", FormatTime(time(nullptr)).c_str(), line.c_str());
  std::fclose(f);
}

CollectResult CollectStation(DownloadSession& session, const _tagComParam& param,
                             Archive& archive, const CollectOptions& options,
                             const _tagViewDef& view, const std::function<void(int64_t)>& begin,
                             const ProgressFn& progress) {
  CollectResult r;
  r.station = param.Address & 0xFF;
  const std::string who = "station " + std::to_string(r.station) + ": ";
  auto fail = [&](CollectStatus status, const std::string& what) {
    r.status = status;
    archive.Log(who + what);
    return r;
  };

  switch (session.Connect(param)) {
    case ConnectStatus::Connected:
      break;
    case ConnectStatus::PortOpenFailed:
      r.error = session.PortError();
      return fail(CollectStatus::PortOpenFailed, "cannot open the serial port: " + r.error);
    case ConnectStatus::UnknownModel:
      r.error = session.Span().model;
      return fail(CollectStatus::UnknownModel, "unknown model, not collected");
    case ConnectStatus::ReadFailed:
      return fail(CollectStatus::ReadFailed, "no usable answer, not collected");
  }
  const RecorderSpan& span = session.Span();
  const time_t iv = span.interval;
  const time_t collected = archive.Newest(r.station);
  time_t start = span.earliest;
  if (collected > 0) {
    const time_t expected = collected + iv;
    if (expected < span.earliest) {
      // The ring has overwritten the records between the last collected one
      // and the oldest it still holds.
      r.lost = true;
      r.lostSpan.first = expected;
      r.lostSpan.count = (span.earliest - expected + iv - 1) / iv;
      r.lostSpan.last = expected + (r.lostSpan.count - 1) * iv;
      archive.Log(who + "records from " + FormatTime(r.lostSpan.first) + " to " +
                  FormatTime(r.lostSpan.last) + " (" + std::to_string(r.lostSpan.count) +
                  " records) were overwritten in the recorder before they were collected");
    }
    start = std::max(expected, span.earliest);
  } else if (options.since > 0) {
    start = std::max(options.since, span.earliest);
  }
  // The oldest record not collected yet is overwritten once the recorder's
  // newest lies a whole ring after it.
  const time_t capacity = (span.newest - span.earliest) / iv + 1;
  r.deadline = start + (capacity - 1) * iv;

  time_t end = span.newest;
  if (options.maxRecords > 0 && start <= end && (end - start) / iv + 1 > options.maxRecords)
    end = start + static_cast<time_t>(options.maxRecords - 1) * iv;
  if (start > end || session.CheckSpan(false, &start, &end) != SpanStatus::Ok) {
    r.status = CollectStatus::NothingNew;
    archive.SetChecked(r.station, time(nullptr));
    archive.Log(who + "nothing new since " + FormatTime(collected));
    return r;
  }
  r.deadline = start + (capacity - 1) * iv;

  const std::string path = archive.NewFilePath(r.station, start, end);
  session.ResetStop();
  switch (session.Prepare(path, start, end, view, progress)) {
    case PrepareStatus::Ok:
      break;
    case PrepareStatus::CreateFailed:
      r.error = std::strerror(errno);
      return fail(CollectStatus::CreateFailed, "cannot create " + path + ": " + r.error);
    case PrepareStatus::ReadFailed:
      return fail(CollectStatus::ReadFailed, "reading the recorder's settings failed");
    case PrepareStatus::WriteFailed:
      return fail(CollectStatus::WriteFailed, "cannot write " + path);
    case PrepareStatus::Stopped:
      return fail(CollectStatus::Stopped, "stopped");
  }
  if (begin) begin(session.File().Head().capacity);
  switch (session.Run(progress)) {
    case RunStatus::Completed:
      break;
    case RunStatus::Stopped:
      return fail(CollectStatus::Stopped, "stopped; no file kept");
    case RunStatus::CommFailed:
      return fail(CollectStatus::CommFailed, "reading the records failed; no file kept");
    case RunStatus::WriteFailed:
      return fail(CollectStatus::WriteFailed, "cannot write " + path + "; no file kept");
  }
  r.path = path;
  r.first = start;
  r.last = end;
  r.records = session.Report().records;
  r.deadline = end + iv + (capacity - 1) * iv;
  // Without the note the next run finds the file itself.
  if (!archive.SetNewest(r.station, end))
    archive.Log(who + "cannot note the newest collected record in " + StatePath(archive.Dir(), r.station));
  archive.SetChecked(r.station, time(nullptr));
  r.status = CollectStatus::Collected;
  archive.Log(who + std::to_string(r.records) + " records from " + FormatTime(start) + " to " +
              FormatTime(end) + " into " + path.substr(archive.Dir().size()));
  return r;
}

}  // namespace acquire
