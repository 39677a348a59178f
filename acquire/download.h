#pragma once
// Download of stored records: connecting to a recorder, checking the span the
// user asks for, preparing the data file and copying the stored samples into
// it. Plain code without Qt: the download dialog runs it, and so does
// "rectool download".
//
// Two recorder families:
//  - register family: answers the identity request in ASCII framing; its
//    model (first 7 characters) selects a row of addresses; definitions with
//    function 0x03, samples with function 0x13 by address from one ring of
//    262144 samples per channel;
//  - block family (family letter 'P'): no ASCII identity; definitions with
//    function 0x16, clock with 0x14, samples with 0x13 by time, whole records
//    of all channels at once.
//
// Use: Connect, CheckSpan, ReadStation (for the file name), ResetStop,
// Prepare (which writes the header), Run. A session is used by one thread at
// a time, except Stop(), which any thread may call while Prepare or Run runs.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "data/cxfile.h"
#include "link/comparam.h"
#include "link/recorderlink.h"
#include "link/recordermap.h"
#include "platform/event.h"

namespace recview {
struct _tagViewDef;
}
using recview::_tagViewDef;

namespace acquire {

enum class Family { Register, Block };

// Samples per channel ring of a register-family recorder.
constexpr uint32_t kRingSize = 262144;
// Samples one function-0x13 request by address carries (256 bytes / 2).
constexpr int kSamplesPerRead = 128;
// Largest data part of one request by time: records x channels x 2 bytes.
constexpr int kRecordBytesPerRequest = 240;
// Further attempts of a sample read after a failure, and the pause between.
constexpr int kSampleRetries = 3;
constexpr int kRetryPauseMs = 50;

// Seconds of an interval index (0 → 1 s ... 8 → 240 s); -1 above 8.
using reclink::map::IntervalSeconds;
// The address row of a register-family identity (first 7 characters): 0 or 1,
// -1 when the model is not one the download knows.
int ModelRow(const std::string& identity);
// "%03d@%s." (station, end "%Y-%m-%d %H_%M_%S") followed by the extension.
std::string ProposedFileName(int station, time_t end, const std::string& extension);

// What the connection step learnt of the recorder.
struct RecorderSpan {
  Family family = Family::Register;
  int modelRow = 0;          // register family
  std::string model;         // register family: the identity text
  int interval = 1;          // seconds between records
  time_t newest = 0;         // time of the newest stored record
  time_t earliest = 0;       // time of the oldest record the memory can hold
  uint32_t newestIndex = 0;  // register family: ring slot of the newest sample
};

enum class ConnectStatus {
  Connected,
  PortOpenFailed,  // the port cannot be opened (PortError() says why)
  UnknownModel,    // register family, identity not in the model table; link stays open
  ReadFailed,      // a read failed; the link is closed
};

enum class SpanStatus {
  Ok,
  StartAfterEnd,
  StartBeforeSpan,
  EndAfterSpan,
  NoRecord,  // start and end lie between the same two record instants
};

enum class PrepareStatus {
  Ok,
  CreateFailed,  // the file cannot be created; nothing else happened
  ReadFailed,    // a read failed or the recorder reported an unusable setting;
                 // the file is deleted and the link closed
  WriteFailed,   // the header cannot be written; the file is deleted
  Stopped,       // Stop during the preparation; the file is deleted
};

enum class RunStatus {
  Completed,    // the file is complete and closed
  Stopped,      // Stop; the file is deleted
  CommFailed,   // a sample read failed after its retries; the file is deleted
  WriteFailed,  // the file cannot be written (disk full); the file is deleted
};

// Figures of a finished download.
struct DownloadReport {
  time_t started = 0;   // wall-clock time the copy began
  time_t finished = 0;  // and ended
  int64_t totalBytes = 0;
  int64_t elapsedMs = 0;
  int records = 0;
  // Bytes per second, from the elapsed milliseconds (at least 1 ms).
  double Rate() const;
};

// Progress of the current phase: value out of maximum.
using ProgressFn = std::function<void(int value, int maximum)>;

class DownloadSession {
 public:
  DownloadSession();
  ~DownloadSession();
  DownloadSession(const DownloadSession&) = delete;
  DownloadSession& operator=(const DownloadSession&) = delete;

  // The connection step: opens the link with param when it is not open, tells
  // the family and reads the span the recorder memory holds. A failed read
  // closes the link; an unknown model leaves it open but unconnected.
  ConnectStatus Connect(const _tagComParam& param);
  bool IsConnected() const { return connected_ && link_.IsOpen(); }
  const RecorderSpan& Span() const { return span_; }
  // Why the port could not be opened (names the device and what to do).
  std::string PortError() const;
  // Closes the link; the session is unconnected afterwards.
  void CloseLink();

  // Fills start and end with the whole stored span when whole is set, checks
  // the span against the stored one and, for the register family, moves start
  // later and end earlier onto record instants (earliest + k x interval).
  SpanStatus CheckSpan(bool whole, time_t* start, time_t* end) const;

  // The station number of the file name: the block family reads it from the
  // recorder (false when that read fails); the register family takes the
  // configured address.
  bool ReadStation(int* station);

  // Creates the file at path, reads the recorder's definitions into its
  // header, writes the header and keeps the file open for Run. start and end
  // come from CheckSpan. progress tells the channel being read. Stop() ends
  // it before the next channel.
  PrepareStatus Prepare(const std::string& path, time_t start, time_t end, const _tagViewDef& view,
                        const ProgressFn& progress);

  // Copies the samples of the prepared span into the file and closes it.
  // Stop() before a read ends it with Stopped. Every outcome but Completed
  // deletes the file.
  RunStatus Run(const ProgressFn& progress);

  // Asks a running Prepare or Run to stop before its next read; ResetStop
  // forgets such a request (each download starts with it).
  void Stop() { stop_.Set(); }
  void ResetStop() { stop_.Reset(); }

  const DownloadReport& Report() const { return report_; }
  // The path of the prepared (or last completed) file.
  const std::string& Path() const { return path_; }
  // The file being written (its header after Prepare).
  const CXFile& File() const { return file_; }
  RecorderLink& Link() { return link_; }

 private:
  PrepareStatus PrepareRegister(time_t start, time_t end, const _tagViewDef& view,
                                const ProgressFn& progress);
  PrepareStatus PrepareBlock(time_t start, time_t end, const _tagViewDef& view,
                             const ProgressFn& progress);
  RunStatus RunRegister(const ProgressFn& progress);
  RunStatus RunBlock(const ProgressFn& progress);
  // One sample read by address with its retries; false when all failed.
  bool ReadSamples(uint32_t address, uint8_t* out, int bytes);
  // Drops the unfinished file; a file already at the path stays as it was.
  void Discard();
  // Closes the file (renaming it over its path once on disk), notes the
  // figures: a completed download, or WriteFailed when the file could not be
  // completed.
  RunStatus Finish(int64_t startMs);
  bool StopRequested() { return stop_.Wait(0); }

  RecorderLink link_;
  CXFile file_;
  platform::AutoResetEvent stop_;
  RecorderSpan span_;
  bool connected_ = false;
  std::string portError_;
  std::string path_;
  bool fileOpen_ = false;
  // Set by the preparation for the worker.
  time_t start_ = 0;
  time_t end_ = 0;
  uint32_t endRingIndex_ = 0;  // register family
  int chnlCount_ = 0;
  DownloadReport report_;
};

}  // namespace acquire
