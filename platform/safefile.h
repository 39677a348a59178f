#pragma once
// Files made anew are written beside their target under a unique name and
// renamed over it only when complete and flushed, so a failure, a full disk or
// a kill at any moment leaves either the old file or the new one, never a mix.
// A process that has the old file mapped keeps reading the old inode.
//
// Every writer of a new file (settings, data files, spreadsheets, CSV, PDF)
// goes through NewFile:
//
//   platform::NewFile out;
//   if (!out.Open(path)) ... out.Error()
//   out.Write(...) ... (or write through out.Fd(), or by out.TempPath())
//   if (!out.Commit()) ... out.Error()      // anything else: Abandon
//
// While a NewFile is open its temporary file is removed when the process is
// ended by SIGINT, SIGTERM or SIGHUP (unless the program handles the signal
// itself, and then it abandons the file on its own way out).
#include <cstddef>
#include <string>

namespace platform {

class NewFile {
 public:
  NewFile() = default;
  ~NewFile() { Abandon(); }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Reserves a hidden unique name beside target (".name.XXXXXX") and opens it
  // for writing. A link at target keeps pointing where it did: the file it
  // names is the one replaced. A replaced file keeps its permissions; a new
  // one gets mode & ~umask. False (with Error()) when the folder cannot take
  // the file or an existing target may not be written.
  bool Open(const std::string& target, unsigned mode = 0666);
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  const std::string& TempPath() const { return temp_; }
  const std::string& Target() const { return target_; }

  // Writes the whole buffer at the current position; a short write, a full
  // disk or an earlier failure gives false and is remembered, so Commit fails.
  bool Write(const void* data, size_t n);
  // A failure found by the caller (a write through Fd() or TempPath()): the
  // file will not be committed.
  void Fail(const std::string& why);

  // Flushes the file to the disk, closes it, renames it over the target and
  // flushes the folder. False (with Error(); the temporary file removed and
  // the target as it was) when any of it failed, when a write failed before,
  // or when the commit check refuses.
  bool Commit();
  // Removes the temporary file; the target stays as it was.
  void Abandon();
  const std::string& Error() const { return error_; }

 private:
  int fd_ = -1;
  int slot_ = -1;  // in the list of files removed on a signal
  bool failed_ = false;
  std::string temp_;
  std::string target_;
  std::string error_;
};

// A check every Commit asks before the rename: false with a reason keeps the
// target as it was. rectool sets one that refuses while an input file changed
// on disk; programs without one commit whenever the file is complete.
using CommitCheck = bool (*)(std::string* why);
void SetCommitCheck(CommitCheck check);

// True when a and b name the same existing file (the same device and inode:
// also through links and other names).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace platform
