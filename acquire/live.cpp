#include "acquire/live.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "acquire/driverloader.h"
#include "acquire/headdefaults.h"
#include "drivers/devicedriver.h"
#include "link/frames.h"
#include "platform/programdir.h"
#include "platform/ui/stringids.h"
#include "viewcfg/viewdef.h"

namespace acquire {

namespace {

// Failed passes in a row that are still taken as a passing hiccup.
constexpr int kToleratedFailures = 4;
// The device words of the channel-block family are refreshed every 8th pass.
constexpr int kDevWordPasses = 8;

// A text the driver delivered (GBK, NUL-terminated) into a header field,
// never splitting a character.
template <size_t N>
void StoreText(char (&field)[N], const char* text) {
  SetGbkField(field, GbkField(text, strnlen(text, DeviceDriver::kTextSize)), true);
}

std::string LockPath() { return platform::SettingsPath("temp.lock"); }

// Takes the lock of the temporary store; -1 when another recording holds it.
int TakeStoreLock() {
  const std::string path = LockPath();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void ReleaseStoreLock(int& fd) {
  if (fd < 0) return;
  ::flock(fd, LOCK_UN);
  ::close(fd);
  fd = -1;
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

int MessageOf(LiveStatus status) {
  switch (status) {
    case LiveStatus::PortFailed: return IDS_PORT_OPEN_FAILED;
    case LiveStatus::CommFailed: return IDS_LIVE_COMM_FAILED;
    case LiveStatus::NoDriver: return IDS_NO_DRIVER;
    case LiveStatus::CreateFailed: return IDS_LIVE_CREATE_FAILED;
    case LiveStatus::Interrupted: return IDS_LIVE_RESCUE_FIRST;
    case LiveStatus::StoreInUse: return IDS_LIVE_STORE_BUSY;
    default: return 0;
  }
}

uint16_t CountOfValue(float value, double low, double high, bool logScale) {
  if (std::isnan(value) || !(high != low) || std::isnan(low) || std::isnan(high)) return 0;
  double v = value;
  if (logScale) {
    if (!(v > 0)) return 0;
    v = std::log10(v);
  }
  const double q = std::trunc((v - low) / (high - low) * 65535.0);
  if (!(q > 0)) return 0;  // also a NaN from infinite operands
  if (q >= 65535.0) return 65535;
  return static_cast<uint16_t>(q);
}

bool LiveSession::InterleavedModel(const char* model) { return model[2] == 'P'; }

LiveSession::LiveSession() : file_(std::make_unique<CXFile>()) {
  for (auto& w : devWords_) w.store(0);
}

LiveSession::~LiveSession() {
  Stop();
  Discard();
  if (flusher_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(flushLock_);
      flushQuit_ = true;
    }
    flushWanted_.notify_one();
    flusher_.join();
  }
}

bool LiveSession::Cancelled(const SetupObserver& observer) const {
  return observer.cancelled && observer.cancelled();
}

void LiveSession::DropSetUp() {
  if (next_) next_->Close();
  next_.reset();
  if (!HasStore()) ReleaseStoreLock(lockFd_);
}

LiveStatus LiveSession::Fail(LiveStatus status) {
  DropSetUp();
  if (driver_) driver_->SetLink(nullptr);
  FreeDriver(library_);
  library_ = nullptr;
  driver_ = nullptr;
  link_.Close();
  return status;
}

LiveStatus LiveSession::Setup(const _tagComParam& param, const _tagViewDef& view,
                              const SetupObserver& observer, const LiveOptions& options) {
  detail_.clear();
  if (link_.IsOpen() || recording_) return LiveStatus::Cancelled;
  DropSetUp();
  passMs_ = options.passMs > 0 ? options.passMs : 100;
  if (Cancelled(observer)) return LiveStatus::Cancelled;
  // A recording an earlier run left behind waits to be saved or deleted; no
  // new recording takes the store meanwhile. (While this session has a store
  // of its own it holds the lock, and nothing can be waiting.)
  if (!HasStore() && FindInterrupted(nullptr)) {
    detail_ = TempStorePath();
    return LiveStatus::Interrupted;
  }
  // One recording at a time takes the store ("temp.lock"), asked before the
  // recorder is (this session keeps the lock while a stopped recording of its
  // own is there).
  if (lockFd_ < 0) lockFd_ = TakeStoreLock();
  if (lockFd_ < 0) {
    detail_ = TempStorePath();
    return LiveStatus::StoreInUse;
  }
  next_ = std::make_unique<CXFile>();

  if (!link_.Open(param)) {
    detail_ = link_.Port().LastError();
    return Fail(LiveStatus::PortFailed);
  }
  link_.SetFastExchange(options.fastExchange);
  fellBack_.store(false);

  // The model string: the identity request, and when it yields nothing the
  // request in the other framing.
  char model[17] = {};
  uint8_t identity[RecorderLink::kIdentitySize + 1] = {};
  if (link_.ReadIdentity(identity) && identity[0] != 0) {
    std::memcpy(model, identity, RecorderLink::kIdentitySize);
  } else {
    uint8_t ascii[64] = {};
    const int got = link_.ReadIdentityAscii(ascii, 16);
    if (got > 0) std::memcpy(model, ascii, static_cast<size_t>(std::min(got, 16)));
  }
  if (model[0] == 0) return Fail(LiveStatus::CommFailed);
  if (Cancelled(observer)) return Fail(LiveStatus::Cancelled);

  const std::string name = DriverNameOfModel(model);
  library_ = LoadDriver(name, &driver_, &detail_);
  if (!library_) {
    if (!name.empty()) detail_ = DriverPath(name);
    return Fail(LiveStatus::NoDriver);
  }

  _tagDataHead& head = next_->Head();
  head = _tagDataHead{};
  head.expFormat = 1;
  int32_t capacity = driver_->GetCapacity();
  if (options.storeSlots > 0 && options.storeSlots < capacity) capacity = options.storeSlots;
  head.capacity = capacity;
  head.lastIndex = 0;
  head.valueWidth = driver_->GetValueWidth();
  driver_->SetLink(&link_);
  head.interval = param.Interval > 0 ? param.Interval : 1;
  head.station = static_cast<uint8_t>(param.Address & 0xFF);
  std::memcpy(head.model, model, sizeof head.model);
  head.kindByte = 2;
  char text[DeviceDriver::kTextSize + 1] = {};
  if (!driver_->ReadTitle(text)) return Fail(LiveStatus::CommFailed);
  StoreText(head.title, text);
  if (Cancelled(observer)) return Fail(LiveStatus::Cancelled);

  // A record of every channel must fit the sample buffer and the header's
  // channel table: more channels than that are refused, never overrun.
  const int count = driver_->ReadChnlCount();
  const int width = head.valueWidth;
  if (count == 0 || count > kMaxChannels || (width != 1 && width != 2) ||
      count * width > kSampleBytes || capacity <= 0)
    return Fail(LiveStatus::CommFailed);
  head.chnlCount = static_cast<uint8_t>(count);
  chnlCount_ = count;
  valueWidth_ = width;
  interleaved_ = InterleavedModel(head.model);
  devWordBytes_ = next_->GetLayout() == 2 ? 8 : 4;

  ApplyViewDefaults(view, &head);
  for (int f = 0; f < count; ++f) {
    if (observer.channel) observer.channel(f, count);
    if (Cancelled(observer)) return Fail(LiveStatus::Cancelled);
    _tagChnlDef& def = head.channels[f];
    char nameText[DeviceDriver::kTextSize + 1] = {};
    char unitText[DeviceDriver::kTextSize + 1] = {};
    uint8_t s[7][3] = {};
    uint8_t logFlag = 0;
    if (!driver_->ReadChnlName(f, nameText) || !driver_->ReadChnlUnit(f, unitText) ||
        !driver_->ReadRangeLow(f, s[0]) || !driver_->ReadRangeHigh(f, s[1]) ||
        !driver_->ReadLimit1(f, s[2]) || !driver_->ReadLimit3(f, s[3]) ||
        !driver_->ReadLimit4(f, s[4]) || !driver_->ReadLimit2(f, s[5]) ||
        !driver_->ReadLimit5(f, s[6]) || !driver_->ReadLogScale(f, &logFlag))
      return Fail(LiveStatus::CommFailed);
    StoreText(def.name, nameText);
    StoreText(def.unit, unitText);
    def.rangeLow = ScaleNumFromBytes(s[0]);
    def.rangeHigh = ScaleNumFromBytes(s[1]);
    def.limit1 = ScaleNumFromBytes(s[2]);
    def.limit3 = ScaleNumFromBytes(s[3]);
    def.limit4 = ScaleNumFromBytes(s[4]);
    def.limit2 = ScaleNumFromBytes(s[5]);
    def.limit5 = ScaleNumFromBytes(s[6]);
    def.logScale = logFlag;
    def.shown = 1;
    def.penWidth = 1;
  }
  if (observer.channel) observer.channel(count, count);
  if (Cancelled(observer)) return Fail(LiveStatus::Cancelled);

  const _tagDataHead wanted = head;
  if (!next_->CreateTemp(kFreshStore)) {
    detail_ = platform::SettingsPath(kFreshStore);
    return Fail(LiveStatus::CreateFailed);
  }
  next_->Head() = wanted;
  next_->Head().tagByte = 10;
  next_->Head().gridShown = 1;
  if (!next_->PutHead()) return Fail(LiveStatus::CreateFailed);
  if (Cancelled(observer)) return Fail(LiveStatus::Cancelled);

  for (int ch = 0; ch < kMaxChannels; ++ch) {
    const _tagChnlDef& def = next_->Head().channels[ch];
    scales_[ch].log = def.logScale != 0;
    if (scales_[ch].log) {
      scales_[ch].low = ScaleNumExponent(def.rangeLow);
      scales_[ch].high = ScaleNumExponent(def.rangeHigh);
    } else {
      scales_[ch].low = next_->GetRangeLow(ch);
      scales_[ch].high = next_->GetRangeHigh(ch);
    }
  }
  if (link_.FallbackNotice()) fellBack_.store(true);
  return LiveStatus::Ok;
}

bool LiveSession::StartAcquisition(time_t now) {
  if (!next_ || !driver_ || !link_.IsOpen() || recording_) return false;
  // The stopped recording goes only now, and the fresh store takes its name.
  WaitForFlush();
  file_->Close();
  file_ = std::move(next_);
  file_->RenameTemp("temp.tmp");
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    devWords_[ch].store(0);
    storedWords_[ch] = 0;
  }
  flushed_.store(0);
  stop_.Reset();
  firstPass_.Reset();
  {
    std::lock_guard<std::mutex> lock(sampleLock_);
    std::memset(sample_, 0, sizeof sample_);
  }
  records_ = 0;
  passes_.store(0);
  dataValid_.store(true);
  thread_ = std::thread([this] { AcquireLoop(); });
  firstPass_.Wait(-1);
  dataValid_.store(true);
  recording_ = true;
  Append(true, now);
  return true;
}

void LiveSession::AcquireLoop() {
  // As high a priority as the process may give its threads; a refusal
  // leaves the thread at the normal one.
  errno = 0;
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), -10);

  const int n = chnlCount_;
  int failures = 0;
  for (int pass = 0;; ++pass) {
    if (stop_.Wait(0)) break;
    // A whole sample is read into a buffer of this thread first; the shared
    // one receives only complete samples.
    uint8_t local[kSampleBytes] = {};
    float values[kMaxChannels] = {};
    bool ok = driver_->ReadValues(n, values) != 0;
    if (ok) {
      if (interleaved_) {
        for (int ch = 0; ch < n; ++ch)
          Put16(local + 2 * ch,
                CountOfValue(values[ch], scales_[ch].low, scales_[ch].high, scales_[ch].log));
      } else {
        std::memcpy(local, values, static_cast<size_t>(n * valueWidth_));
      }
      failures = 0;
      std::lock_guard<std::mutex> lock(sampleLock_);
      std::memcpy(sample_, local, static_cast<size_t>(n * valueWidth_));
    } else if (failures < kToleratedFailures) {
      ++failures;
    } else {
      dataValid_.store(false);
    }

    if (interleaved_ || pass % kDevWordPasses == 0) {
      for (int ch = 0; ch < n; ++ch) {
        uint8_t word[8] = {};
        if (!driver_->ReadDevWord(ch, word)) break;  // channel 0 failed: keep the old words
        uint64_t w = reclink::Le32(word);
        if (devWordBytes_ == 8) w |= static_cast<uint64_t>(reclink::Le32(word + 4)) << 32;
        devWords_[ch].store(w);
      }
    }
    // The link is this thread's while it runs: only here is it asked.
    if (link_.FallbackNotice()) fellBack_.store(true);
    passes_.fetch_add(1);
    if (pass == 0) firstPass_.Set();
    if (stop_.Wait(passMs_)) break;
  }
}

void LiveSession::StoreDevWords() {
  for (int ch = 0; ch < chnlCount_; ++ch) {
    const uint64_t w = devWords_[ch].load();
    if (w == storedWords_[ch]) continue;
    _tagChnlDef def = file_->Head().channels[ch];
    def.devWord[0] = static_cast<uint32_t>(w);
    def.devWord[1] = static_cast<uint32_t>(w >> 32);
    if (file_->PutChnlDef(def, ch)) storedWords_[ch] = w;
  }
}

void LiveSession::Flush(bool wait) {
  flushedAt_ = std::chrono::steady_clock::now();
  if (wait) {
    WaitForFlush();
    if (file_->FlushStore(flushed_.load())) flushed_.store(records_);
    return;
  }
  // From the last record known on the disk: a flush that failed is tried
  // again with the next one.
  std::function<bool()> job = file_->StoreFlushJob(flushed_.load());
  if (!job) return;
  if (!flusher_.joinable()) flusher_ = std::thread([this] { FlushLoop(); });
  {
    std::lock_guard<std::mutex> lock(flushLock_);
    flushJob_ = std::move(job);  // a job not yet begun is covered by this one
    flushTo_ = records_;
  }
  flushWanted_.notify_one();
}

void LiveSession::FlushLoop() {
  std::unique_lock<std::mutex> lock(flushLock_);
  for (;;) {
    flushWanted_.wait(lock, [this] { return flushQuit_ || flushJob_; });
    if (!flushJob_) return;
    const std::function<bool()> job = std::move(flushJob_);
    flushJob_ = nullptr;
    const int to = flushTo_;
    flushBusy_ = true;
    lock.unlock();
    const bool ok = job();
    lock.lock();
    flushBusy_ = false;
    if (ok && to > flushed_.load()) flushed_.store(to);
    flushDone_.notify_all();
  }
}

void LiveSession::WaitForFlush() {
  std::unique_lock<std::mutex> lock(flushLock_);
  flushDone_.wait(lock, [this] { return !flushJob_ && !flushBusy_; });
}

AppendStatus LiveSession::Append(bool first, time_t now) {
  if (!HasStore() || !recording_) return AppendStatus::Refused;
  uint8_t record[kSampleBytes];
  {
    std::lock_guard<std::mutex> lock(sampleLock_);
    std::memcpy(record, sample_, sizeof record);
  }
  // The start time goes in before the first record, so that a store left
  // behind by a crash always tells how many records it holds.
  if (first) file_->SetStartTime(now);
  if (!file_->AppendRecord(record, records_)) return AppendStatus::Refused;
  ++records_;
  StoreDevWords();
  file_->SetEndTime(now);
  // To the disk with the first record, then once a period: the cost of a
  // flush is paid a few times a minute, not at every record.
  const auto period = std::chrono::seconds(std::max(kFlushSeconds, file_->GetInterval()));
  if (first || std::chrono::steady_clock::now() - flushedAt_ >= period) Flush(first);
  const int slots = std::min<int>(file_->Head().capacity, file_->GetSlotCount());
  return records_ >= slots ? AppendStatus::Full : AppendStatus::Appended;
}

AppendStatus LiveSession::Tick() {
  if (!recording_) return AppendStatus::Refused;
  if (!dataValid_.load()) return AppendStatus::Lost;
  return Append(false, 0);
}

uint64_t LiveSession::DevWord(int ch) const {
  return ch >= 0 && ch < kMaxChannels ? devWords_[ch].load() : 0;
}

void LiveSession::CopySample(uint8_t* out) const {
  std::lock_guard<std::mutex> lock(sampleLock_);
  std::memcpy(out, sample_, sizeof sample_);
}

void LiveSession::Stop() {
  if (thread_.joinable()) {
    stop_.Set();
    thread_.join();
  }
  if (HasStore() && recording_) {
    file_->SetEndTime(0);
    Flush(true);
  }
  WaitForFlush();
  DropSetUp();
  if (driver_) driver_->SetLink(nullptr);
  FreeDriver(library_);
  library_ = nullptr;
  driver_ = nullptr;
  link_.Close();
  recording_ = false;
  dataValid_.store(false);
}

bool LiveSession::SaveAs(const std::string& path) {
  if (!HasStore() || records_ <= 0) return false;
  WaitForFlush();
  return file_->SaveAs(path);
}

void LiveSession::Discard() {
  WaitForFlush();
  if (HasStore()) file_->Close();
  DropSetUp();
}

void LiveSession::KeepForRecovery() {
  if (!HasStore()) return;
  Flush(true);
  // The store deletes its file when it closes: a second name keeps the data,
  // and takes the store's name again once it is closed.
  const std::string path = TempStorePath();
  const std::string kept = path + ".kept";
  ::unlink(kept.c_str());
  const bool linked = ::link(path.c_str(), kept.c_str()) == 0;
  Discard();
  if (linked) ::rename(kept.c_str(), path.c_str());
}

// ---------------------------------------------------------------- recovery

std::string TempStorePath() { return platform::SettingsPath("temp.tmp"); }

namespace {

// Opens an interrupted store; false when there is none worth saving.
bool OpenInterrupted(CXFile& file, Interrupted* found) {
  struct stat st;
  if (::stat(TempStorePath().c_str(), &st) != 0) return false;
  if (!file.Open(TempStorePath())) return false;
  if (!file.HoldsRecords()) {
    file.Close();
    return false;
  }
  const _tagDataHead& h = file.Head();
  const int records = file.GetRecordCount();
  if (found) {
    found->title = file.GetTitle();
    found->chnlCount = h.chnlCount;
    found->records = records;
    found->interval = h.interval;
    found->start = file.GetStartTime();
    found->end = file.GetEndTime();
  }
  return true;
}

}  // namespace

bool FindInterrupted(Interrupted* found) {
  int lock = TakeStoreLock();
  if (lock < 0) return false;
  CXFile file;
  const bool ok = OpenInterrupted(file, found);
  file.Close();
  ReleaseStoreLock(lock);
  return ok;
}

bool RecoverInterrupted(const std::string& path, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  int lock = TakeStoreLock();
  if (lock < 0) return fail("a recording is using " + TempStorePath() + " now");
  {
    CXFile check;
    const bool found = OpenInterrupted(check, nullptr);
    check.Close();
    if (!found) {
      ReleaseStoreLock(lock);
      return fail("there is no interrupted recording to recover");
    }
  }
  // The store deletes its file when it closes: a second name keeps the data
  // until the saved file is complete.
  const std::string store = TempStorePath();
  const std::string kept = store + ".kept";
  ::unlink(kept.c_str());
  if (::link(store.c_str(), kept.c_str()) != 0) {
    ReleaseStoreLock(lock);
    return fail("cannot keep " + store + " safe while saving it: " + std::strerror(errno));
  }
  CXFile file;
  bool saved = file.ReopenTemp();
  int why = 0;
  if (saved) {
    saved = file.SaveAs(path);
    why = errno;
  }
  file.Close();
  if (saved)
    ::unlink(kept.c_str());
  else
    ::rename(kept.c_str(), store.c_str());
  ReleaseStoreLock(lock);
  if (!saved) return fail("cannot write " + path + (why ? std::string(": ") + std::strerror(why) : ""));
  return true;
}

bool DiscardInterrupted() {
  int lock = TakeStoreLock();
  if (lock < 0) return false;
  const bool ok = ::unlink(TempStorePath().c_str()) == 0;
  ReleaseStoreLock(lock);
  return ok;
}

}  // namespace acquire
