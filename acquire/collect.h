#pragma once
// Collection: everything a recorder stored since the last collection, copied
// into a new data file of an archive folder, so that no record is lost to the
// ring of the recorder's memory, and a lost span named when it was. Plain
// code without Qt, built on the download (download.h): "rectool collect" and
// the window's Download New Records run it.
//
// The archive folder holds per station (by its address on the line):
//   S008_20261208-080000_20261208-140000.KVD  one data file per collection,
//                                    named by station, first and last record
//   S008.collected                   the time of the newest collected record
//                                    (written aside and renamed; the files'
//                                    own end times are the fallback)
//   collect.log                      one line per collection, gap or failure
//   .collect.lock                    held (flock) while a collection runs
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "acquire/download.h"

namespace acquire {

// The archive folder of one collection run, locked for its length.
class Archive {
 public:
  explicit Archive(std::string dir);
  ~Archive();
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // Makes the folder when missing and takes its lock. False with *error when
  // the folder cannot be used; *busy when another collection holds it.
  bool Lock(bool* busy, std::string* error);
  const std::string& Dir() const { return dir_; }

  // The time of the newest record collected of a station; 0 when none.
  time_t Newest(int station) const;
  // Notes the newest collected record of a station.
  bool SetNewest(int station, time_t newest);
  // When a station last answered a collection (0: never), and noting it.
  time_t Checked(int station) const;
  void SetChecked(int station, time_t when);
  // A path for a new file of a station's records first..last.
  std::string NewFilePath(int station, time_t first, time_t last) const;
  // Appends a line (time of writing in front) to collect.log.
  void Log(const std::string& line) const;

 private:
  std::string dir_;
  int lock_ = -1;
};

// "S008_20261208-080000_20261208-140000.KVD".
std::string CollectedFileName(int station, time_t first, time_t last);

// Records the ring overwrote before they were collected.
struct LostSpan {
  time_t first = 0, last = 0;
  int64_t count = 0;
};

enum class CollectStatus {
  Collected,     // a new file holds the new records
  NothingNew,    // no record newer than the last collected one
  PortOpenFailed,
  UnknownModel,
  ReadFailed,    // the connection step or the preparation failed
  CreateFailed,  // the file cannot be created
  CommFailed,    // a sample read failed; no file kept
  WriteFailed,   // the file or the archive's state cannot be written
  Stopped,
};

struct CollectResult {
  CollectStatus status = CollectStatus::ReadFailed;
  int station = 0;
  std::string path;       // the new file
  time_t first = 0, last = 0;
  int64_t records = 0;
  bool lost = false;      // the ring overwrote records: lostSpan names them
  LostSpan lostSpan;
  // The next collection must begin before this time, or the oldest record
  // not collected yet is overwritten; 0 when unknown (no connection).
  time_t deadline = 0;
  std::string error;      // why the port could not be opened, the model
};

struct CollectOptions {
  time_t since = 0;         // first collection into an empty archive: not before
  int64_t maxRecords = 0;   // at most this many records in one run (0: all)
};

// Collects the new records of the station param.Address through a session of
// its own. begin tells the records the run will copy, progress moves as the
// download's does. session.Stop() from another thread stops it.
CollectResult CollectStation(DownloadSession& session, const _tagComParam& param,
                             Archive& archive, const CollectOptions& options,
                             const _tagViewDef& view, const std::function<void(int64_t)>& begin,
                             const ProgressFn& progress);

}  // namespace acquire
