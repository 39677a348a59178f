#pragma once
// CXFile: the one object through which a recording is created, filled,
// mapped, read, marked, saved and closed.
//
// Four file layouts are read. The family letter (model character 2) 'P'
// selects the record-major family: layout 1 (version digit, character 6, '1')
// or layout 2 (other digits, with the longer device word), and layout 3 for
// cumulative files (character 10 also 'P', read only). Any other letter is
// layout 0, channel-major. New files take their layout from the header's
// model string the same way.
//
// Three ways of use:
//   download: Create, WriteHead, WriteValues/Advance ..., SetEndTime, Close
//             (written beside the target, renamed over it by Close; Discard
//             or any other ending leaves the target as it was)
//   live:     CreateTemp, PutHead, PutChnlDef, AppendRecord ..., SetEndTime,
//             SaveAs, Close ("temp.tmp" in the settings directory)
//   viewer:   Open, reads, AddMark/DeleteMark, PutHead, Close
//
// Failures are results: false (or an empty/neutral value); nothing is shown.
// A file that the user may not write opens read-only; then PutHead, AddMark
// and DeleteMark return false. A file whose header promises more than the file
// holds, or more records than its slots, is refused by Open and left as it is.
// Close cuts a file to its computed length only when this object created it or
// saved marks into it.
//
// Texts come out as UTF-8. No locks: one thread at a time.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "data/filehandles.h"
#include "data/records.h"

namespace platform {
class NewFile;
}

// Why Open refused a file: one reason per check, in the order they are made.
enum class OpenError {
  None = 0,
  NoPath,          // an empty path
  CannotRead,      // the file cannot be opened (errno in GetOpenErrno)
  NotRegular,      // a directory or a device, not a file
  Empty,           // a file of 0 bytes
  TooShort,        // shorter than a header
  NotDataFile,     // no "KV" at its start
  DescSize,        // the channel description size is not 160
  ChannelCount,    // more than 64 channels
  ChannelTable,    // the channel table runs past the end of the file
  Interval,        // a recording interval of 0 or less
  Capacity,        // a record capacity of 0 or less, or a negative ring start
  ValueWidth,      // values neither 1 nor 2 bytes wide
  DataBeyondEnd,   // the records the header promises run past the end of the file
  MarksBeyondEnd,  // the marks run past the end of the file
  TimeSpan,        // start and end times span more records than the file holds
};
// A short English sentence for the reason (command-line tools; the program
// shows the texts of its language package).
const char* OpenErrorText(OpenError reason);

class CXFile {
 public:
  CXFile();
  virtual ~CXFile();
  CXFile(const CXFile&) = delete;
  CXFile& operator=(const CXFile&) = delete;

  // --- the four virtual operations after the destructor, in this order ---

  // Puts one channel definition into the header's table and, when a view is
  // mapped, its disk form into the mapped header. False for ch out of 0..63.
  virtual bool PutChnlDef(const _tagChnlDef& def, int ch);
  // Store the time and its stamp in the header and, when a writable view is
  // mapped, in the mapped header. While records are being counted
  // (GetRecordCount() != -1) SetEndTime ignores its argument and stores
  // start + (records - 1) x interval.
  virtual void SetStartTime(time_t t);
  virtual void SetEndTime(time_t t);
  // The 64-bit device word of channel ch (first 32 bits low); 0 out of range.
  virtual uint64_t GetChnlDef(int ch) const;

  // --- files ---

  // Maps an existing data file for viewing and loads its header. False for an
  // empty path, a missing or unreadable file, a file that is not a recording
  // ("KV" magic, descSize 160 in layout 0) or whose header does not fit the
  // file (size, channel count, value width, capacity, interval, marks).
  bool Open(const std::string& path);
  // Why the last Open failed (None after a success), and the system error
  // number for CannotRead.
  OpenError GetOpenError() const { return openError_; }
  int GetOpenErrno() const { return openErrno_; }
  // Unmaps what is open and maps the whole file at path (empty: the remembered
  // path), read-write, or read-only when the user may not write it.
  bool MapExisting(const std::string& path);
  // The live store: closes what is open and creates `name` ("temp.tmp", or
  // the fresh store of a recording being set up) in the settings directory,
  // sized for the header's chnlCount, capacity and valueWidth, mapped. A store
  // already there that holds records is never replaced: false.
  bool CreateTemp(const std::string& name = "temp.tmp");
  // Gives the live store another name in the settings directory (a fresh
  // store becomes "temp.tmp" once its recording begins); an older file of that
  // name is replaced. False when it cannot be renamed.
  bool RenameTemp(const std::string& name);
  // Live: writes the records of slots from `fromSlot` on and then the header
  // to the disk (in that order, so that the header never counts a record the
  // disk does not hold). False when the disk refused them.
  bool FlushStore(int fromSlot);
  // The same as a job that may run on another thread: the parts of the
  // mapping to write are fixed now, the job writes them (empty when there is
  // no store). The store must stay open until the job has run.
  std::function<bool()> StoreFlushJob(int fromSlot) const;
  // True when what is open has valid start and end times and holds 1 to
  // capacity records: a recording worth keeping.
  bool HoldsRecords() const;
  // The live store an interrupted recording left behind: maps "temp.tmp" of
  // the settings directory as the live store again, with its header and the
  // record count its times give, so that SaveAs can save it (Close deletes
  // it, as it deletes every live store). False when there is none to map.
  bool ReopenTemp();
  // A new file for a download; no mapping. The data go to a temporary file in
  // the folder of path; Close renames it over path once it is complete and on
  // disk, so a view of an older file at path keeps its data. False when the
  // folder is not writable or an existing file at path is not writable.
  bool Create(const std::string& path);
  // Drops an unfinished download (its temporary file); the file at the target
  // path is left as it was. Otherwise the same as Close.
  void Discard();
  // Writes the whole header (layout of the model string, descSize 160) through
  // the file handle of Create; record count becomes 0.
  bool WriteHead();
  // The same header image into the mapped view (live store, or display
  // settings of an opened file). False when nothing writable is mapped or the
  // file is a cumulative one.
  bool PutHead();
  // Download: stores raw counts through the file handle.
  //  layout 0: buffer holds count counts of channel index, stored at slot
  //            GetRecordCount() of that channel.
  //  family P: buffer holds count bytes of whole records, stored from record
  //            slot index on.
  // False when the write fails or would leave the data area.
  bool WriteValues(const void* buffer, int count, int index);
  // Record count += n; past the capacity it starts again at 0.
  void Advance(int n);
  // Live: one record (one count per channel, valueWidth bytes each, channel
  // order) into slot of the mapped store; record count becomes slot + 1.
  // False (and nothing done) when slot is outside 0..capacity-1.
  bool AppendRecord(const void* values, int slot);
  // Record slots the mapped store holds.
  int GetSlotCount() const;
  int GetRecordCount() const { return recordCount_; }
  // Live: copies the store into a new compact file at path (capacity = record
  // count). The store stays open.
  bool SaveAs(const std::string& path);
  // Marks: 32-bit times stored after the data area. AddMark needs a time
  // inside [start, end] and a writable file with fewer than 255 marks.
  bool AddMark(time_t t);
  bool DeleteMark(int i);
  time_t GetMark(int i) const;
  // Unmaps and closes; deletes "temp.tmp" when this object made it; a download
  // is cut to its length, flushed and renamed over its target. Keeps the
  // header; the record count returns to -1. False when something that had to
  // reach the disk did not (the download then leaves no file and the target as
  // it was).
  bool Close();

  // --- reads ---
  int GetChnlCount() const { return head_.chnlCount; }
  int GetInterval() const { return head_.interval; }
  time_t GetStartTime() const { return head_.startTime; }
  time_t GetEndTime() const { return head_.endTime; }
  std::string GetTitle() const;
  std::string GetModel() const;
  int GetStation() const { return head_.station; }
  int GetMarkCount() const { return head_.markCount; }
  std::string GetChnlName(int ch) const;
  std::string GetChnlUnit(int ch) const;
  float GetRangeLow(int ch) const;
  float GetRangeHigh(int ch) const;
  // k = 1..5; 0 for a channel or k out of range.
  float GetLimit(int ch, int k) const;
  // Engineering value and percent of full scale of channel ch at time t
  // (either output may be null). False outside [start, end], for a channel
  // out of range, with nothing mapped, or in a cumulative file.
  bool GetValue(int ch, time_t t, float* value, float* percent) const;
  // The printf format of the channel's values ("%.2f", "%.1E"); false for a
  // channel out of range.
  bool GetFormat(int ch, std::string& format) const;
  // A value of channel ch printed with that format, whole however many
  // decimals the channel has (empty for a channel out of range): the one text
  // every chart, table, read-out, export and statistic shows.
  std::string FormatValue(int ch, double value) const;
  // Search by value from query.time; on success query.time is the match, on
  // failure it becomes 0. keepGoing, when given, is asked every few thousand
  // records; false ends the search as without a match.
  bool FindValue(_tagFindQuery& query, const std::function<bool()>& keepGoing = {}) const;
  // Cumulative files: the total of channel ch in the period holding t.
  bool GetCumValue(int ch, time_t t, double* value) const;
  // The same total as stored, exact beyond the 53 bits a double keeps.
  bool GetCumTotal(int ch, time_t t, int64_t* total) const;

  // The header and its channel table, for creators and views. Changes to the
  // ranges or the log flag of a channel reach GetValue with the next PutHead,
  // PutChnlDef, WriteHead or CreateTemp.
  _tagDataHead& Head() { return head_; }
  const _tagDataHead& Head() const { return head_; }
  // 0..3 as above, from the model string in the header.
  int GetLayout() const;
  // What the object holds; decides which operations it allows.
  enum class State {
    kEmpty,            // nothing open
    kViewing,          // a data file mapped read-write for viewing
    kViewingReadOnly,  // a data file the user may not write, mapped read-only
    kSaved,            // viewing a file into which this object saved marks
    kDownload,         // writing a download beside its target, not mapped
    kLiveStore,        // the live store "temp.tmp", mapped; deleted on close
  };
  State GetState() const { return state_; }
  // True when the mapped file became shorter on disk since it was opened
  // (cut by another program, a removed stick or share): what is gone reads
  // as zeros, so a reader that finds this after a pass reports that the file
  // changed on disk and throws its result away.
  bool ChangedOnDisk() const { return view_.Shrunk(); }
  // True when a file is mapped read-only (the user may not write it).
  bool IsReadOnly() const { return state_ == State::kViewingReadOnly; }
  const std::string& GetPath() const { return path_; }

 private:
  // Prepared from the channel table whenever a header is installed (Open,
  // Create, WriteHead, CreateTemp, PutHead, PutChnlDef), so that GetValue
  // needs no powers of ten.
  struct ChnlScale {
    double low;   // value of count 0 (linear), or the low exponent (log)
    double span;  // rangeHigh - rangeLow (linear), or the exponent step per count (log)
    double full;  // full-scale count
    bool log;
  };

  bool Load();
  void Unmap();
  // Sample reading shared by GetValue and FindValue: the record of a time
  // inside the span, the view offset of a channel's count in a record (-1
  // when it lies outside the view), the count there and its value.
  uint64_t RecordIndex(time_t t) const;
  int64_t SampleOffset(int ch, uint64_t n) const;
  uint32_t CountAt(int64_t at) const;
  float CountValue(int ch, uint32_t q) const;
  // A file mapped that this object may change: viewing (not read-only), saved
  // or the live store.
  bool MappedWritable() const;
  // Ends what is open; commit decides whether a download becomes its target.
  bool Finish(bool commit);
  void PrepareScales();
  int64_t DataOffset() const;
  int64_t DataBytes() const;
  int64_t MarksOffset() const;
  int64_t FileEnd() const;
  void BuildHeadImage(uint8_t* image) const;
  bool StoreMarkCount();
  void StoreStamp(const uint8_t* stamp, int which);

  int32_t recordCount_ = -1;
  UniqueFd fd_;
  MappedView view_;
  std::string tempPath_;  // "temp.tmp" of the live store
  std::unique_ptr<platform::NewFile> download_;  // the new file of a download
  std::string path_;
  _tagDataHead head_;
  uint32_t mapSize_ = 0x800000;

  // Beyond the classic members: what the object holds, the layout loaded, and
  // per-channel scales prepared on load.
  State state_ = State::kEmpty;
  int layout_ = 0;
  ChnlScale scales_[kMaxChannels] = {};
  OpenError openError_ = OpenError::None;
  int openErrno_ = 0;
};
