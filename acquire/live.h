#pragma once
// Live recording without a window: the set-up (link, identity, driver,
// channel definitions, temporary store), the acquisition thread that samples
// the recorder every 100 ms, appending one record per interval, stopping, and
// the recovery of a recording that was interrupted. The live window and
// "rectool record" both run this code.
//
// Threads: Setup runs on any one thread (the window runs it on its set-up
// thread while the progress dialog is shown) and may be cancelled from
// another through the observer. After StartAcquisition the acquisition thread
// only talks to the driver; it hands over the latest complete sample under
// the sample lock and the device words as atomics. Everything else (Append,
// Tick, Stop, SaveAs, File) belongs to the thread that owns the session.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "data/cxfile.h"
#include "link/comparam.h"
#include "link/recorderlink.h"
#include "platform/event.h"

class DeviceDriver;
namespace recview {
struct _tagViewDef;
}
using recview::_tagViewDef;

namespace acquire {

// Outcome of the set-up; the failures carry the message the user sees.
enum class LiveStatus {
  Ok,            // the store is made and the link stays open
  PortFailed,    // IDS_PORT_OPEN_FAILED: the serial port cannot be opened
  CommFailed,    // IDS_LIVE_COMM_FAILED: no model, title, channel count or channel data
  NoDriver,      // IDS_NO_DRIVER: no driver plug-in for the model
  CreateFailed,  // IDS_LIVE_CREATE_FAILED: the temporary store cannot be made
  Interrupted,   // IDS_LIVE_RESCUE_FIRST: an interrupted recording waits in "temp.tmp"; it is
                 // saved or deleted first, never recorded over
  StoreInUse,    // IDS_LIVE_STORE_BUSY: another recording (recview or rectool record) holds
                 // the store; found before the recorder is asked anything
  Cancelled,     // the user cancelled; nothing is left behind
};
// The string id of a failed set-up's message (0 for Ok and Cancelled).
int MessageOf(LiveStatus status);

// Outcome of appending a record.
enum class AppendStatus {
  Appended,
  Full,     // appended the record that filled the last slot; stop (IDS_LIVE_STORE_FULL)
  Lost,     // the recorder has not delivered for five passes; stop (IDS_LIVE_LOST)
  Refused,  // nothing recording, or the store refused the slot
};

// What the set-up tells and asks while it runs; every member may be empty.
struct SetupObserver {
  // Reading channel `index` (from 0) of `count`; called before each channel,
  // then once with index == count.
  std::function<void(int index, int count)> channel;
  // True once the user cancelled; asked between the steps.
  std::function<bool()> cancelled;
};

// Choices beyond the serial settings.
struct LiveOptions {
  // Record slots of the store: 0 takes the driver's capacity; a smaller
  // number makes a smaller store (scripts that record a known span).
  int storeSlots = 0;
  // Milliseconds between passes of the acquisition thread.
  int passMs = 100;
  // Read replies as they arrive instead of sleeping the settle time
  // (RecorderLink::SetFastExchange).
  bool fastExchange = false;
};

// A live store reaches the disk at least this often (or once per interval
// when that is longer): a power cut loses at most the records of the last
// period.
constexpr int kFlushSeconds = 5;

// The raw count of a value of a channel whose count 0 stands for low and full
// scale for high (exponents of ten for a logarithmic channel): clamped to
// 0..65535; NaN, an empty range or a non-positive value of a logarithmic
// channel give 0.
uint16_t CountOfValue(float value, double low, double high, bool logScale);

// The sample buffer: the latest counts of all channels.
constexpr int kSampleBytes = 128;

class LiveSession {
 public:
  LiveSession();
  // Stops a recording and closes the store (which deletes "temp.tmp").
  ~LiveSession();
  // The name of the fresh store a recording is set up in, beside "temp.tmp".
  static constexpr const char* kFreshStore = "temp.new";
  LiveSession(const LiveSession&) = delete;
  LiveSession& operator=(const LiveSession&) = delete;

  // True while the link is open: from Setup until Stop (or a failed Setup).
  bool LinkOpen() const { return link_.IsOpen() != 0; }
  // The link, for why its port could not be opened (PortFailed).
  const RecorderLink& Link() const { return link_; }

  // Opens the link with param, identifies the recorder, loads its driver,
  // reads the title, the channel count and every channel's definition, takes
  // the chart defaults of view and creates a fresh store with its header
  // (kFreshStore). File() and a stopped recording in it stay as they are until
  // StartAcquisition swaps the fresh store in. On Ok the link stays open for
  // StartAcquisition; any other outcome leaves the link closed, the driver
  // unloaded, no fresh store, and File() untouched. An interrupted recording
  // in "temp.tmp" (see FindInterrupted) ends the set-up at once: Interrupted.
  LiveStatus Setup(const _tagComParam& param, const _tagViewDef& view,
                   const SetupObserver& observer = {}, const LiveOptions& options = {});
  // Why the port could not be opened, or which plug-in is missing.
  const std::string& Detail() const { return detail_; }

  // The recording really begins: the store of File() (a stopped recording,
  // saved or given up by the user) is closed and deleted, the fresh store
  // takes its place as File() and the name "temp.tmp"; then the acquisition
  // thread starts, its first pass is awaited and the first record appended
  // (now is its time). False when there is nothing set up. Pointers to the
  // old File() are stale afterwards.
  bool StartAcquisition(time_t now);
  // True from a successful Setup until StartAcquisition or Stop.
  bool SetUpPending() const { return next_ != nullptr; }
  bool Recording() const { return recording_; }
  // One tick of the interval: appends a record from the latest sample, or
  // reports Lost when the recorder stopped delivering (the caller stops).
  AppendStatus Tick();
  // Appends a record now; `first` also sets the start time to now.
  AppendStatus Append(bool first, time_t now);
  // Ends the acquisition thread, writes the records and the header to the
  // disk, unloads the driver and closes the link. The store stays open for
  // SaveAs; a fresh store not yet begun is dropped. Harmless when not
  // recording.
  void Stop();
  // Saves the store as a compact data file (beside path, then renamed).
  bool SaveAs(const std::string& path);
  // Closes the store and deletes "temp.tmp".
  void Discard();
  // Closes the store but leaves "temp.tmp" in place, on the disk, for a later
  // recovery (saving failed, or the program ends without a question).
  void KeepForRecovery();

  // The live recording; its header changes only on the owning thread.
  CXFile& File() { return *file_; }
  const CXFile& File() const { return *file_; }
  // True while File() is a store (recording, or stopped and not discarded).
  bool HasStore() const { return file_->GetState() == CXFile::State::kLiveStore; }
  // Records of this recording that have been written to the disk.
  int FlushedRecords() const { return flushed_.load(); }
  int Records() const { return records_; }
  // True for the interleaved family (values as floats, model letter 'P').
  bool Interleaved() const { return interleaved_; }
  bool DataValid() const { return dataValid_.load(); }
  // True once after the link fell back from the fast exchange to the settle
  // time (the recorder did not keep up), for the caller to say so.
  bool FallbackNotice() { return fellBack_.exchange(false); }
  // The latest device word of channel ch (as read by the acquisition thread).
  uint64_t DevWord(int ch) const;
  // Copies the latest sample (kSampleBytes) under the sample lock.
  void CopySample(uint8_t* out) const;
  // Passes the acquisition thread has made (read by tests and benchmarks).
  int Passes() const { return passes_.load(); }

  // The loop to use for a model: the interleaved one for family letter 'P'.
  static bool InterleavedModel(const char* model);

 private:
  LiveStatus Fail(LiveStatus status);
  bool Cancelled(const SetupObserver& observer) const;
  void AcquireLoop();
  void StoreDevWords();
  // Drops a fresh store not begun; releases the store lock when no store is left.
  void DropSetUp();
  // Writes the new records and the header to the disk. The flush of a period
  // is handed to the flush thread (the owner does not wait for the disk, a
  // slow one included); `wait` writes them now, after any flush under way.
  void Flush(bool wait);
  void FlushLoop();
  // Returns once no flush is waiting or under way (before the store is
  // closed, saved or replaced).
  void WaitForFlush();

  RecorderLink link_;
  std::unique_ptr<CXFile> file_;
  // The fresh store of a set-up, until the recording begins.
  std::unique_ptr<CXFile> next_;
  void* library_ = nullptr;
  DeviceDriver* driver_ = nullptr;
  std::string detail_;
  bool interleaved_ = true;
  bool recording_ = false;
  int records_ = 0;
  // Records on the disk, and when they were last handed over to be written.
  std::atomic<int> flushed_{0};
  std::chrono::steady_clock::time_point flushedAt_{};
  // The flush thread and the job it is given: the records up to flushTo_.
  std::thread flusher_;
  std::mutex flushLock_;
  std::condition_variable flushDone_, flushWanted_;
  std::function<bool()> flushJob_;
  int flushTo_ = 0;
  bool flushBusy_ = false;
  bool flushQuit_ = false;
  int chnlCount_ = 0;
  int valueWidth_ = 2;
  int devWordBytes_ = 4;

  // Per-channel conversion of the interleaved family, fixed at the start.
  struct Scale {
    double low = 0, high = 0;
    bool log = false;
  };
  Scale scales_[64];

  std::thread thread_;
  platform::AutoResetEvent stop_;
  platform::AutoResetEvent firstPass_;
  mutable std::mutex sampleLock_;
  uint8_t sample_[kSampleBytes] = {};
  std::atomic<bool> dataValid_{false};
  std::atomic<uint64_t> devWords_[64];
  std::atomic<int> passes_{0};
  std::atomic<bool> fellBack_{false};
  int passMs_ = 100;
  // The device words last written into the header, to write changes only.
  uint64_t storedWords_[64] = {};
  // Held while a store of this session exists: no second recording, and no
  // recovery, takes "temp.tmp" meanwhile.
  int lockFd_ = -1;
};

// ---- an interrupted recording ----

// What "temp.tmp" holds after a recording was interrupted.
struct Interrupted {
  std::string title;
  int chnlCount = 0;
  int records = 0;
  int interval = 0;
  time_t start = 0, end = 0;
};
// Path of the temporary store.
std::string TempStorePath();
// True when "temp.tmp" is a store no recording uses now, with a valid header
// and at least one record; *found describes it.
bool FindInterrupted(Interrupted* found);
// Saves the records of an interrupted recording as a data file at path and
// deletes "temp.tmp". False (and "temp.tmp" kept) when it cannot; *error says why.
bool RecoverInterrupted(const std::string& path, std::string* error = nullptr);
// Deletes an interrupted recording that is not in use.
bool DiscardInterrupted();

}  // namespace acquire
