#pragma once
// Small owners of a file descriptor and of a memory mapping: whatever path a
// function leaves by, what it opened or mapped is released.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <utility>

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
  UniqueFd& operator=(UniqueFd&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes and reports the result: a delayed write error shows here.
  bool close() {
    if (fd_ < 0) return true;
    return ::close(release()) == 0;
  }

 private:
  int fd_ = -1;
};

// A mapping of a file that the file can shrink under: another program cuts
// it, a USB stick is pulled, a network share goes away. Reading a page that
// has left the file would kill the process with SIGBUS; instead the pages
// from there to the end of the mapping read as zeros and the view counts as
// shrunk. Readers ask Shrunk() when a pass is done (and before they let an
// output take its place) and then report that the file changed on disk.
class MappedView {
 public:
  MappedView() = default;
  ~MappedView() { reset(); }
  MappedView(MappedView&& o) noexcept
      : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)),
        guard_(std::exchange(o.guard_, -1)) {}
  MappedView& operator=(MappedView&& o) noexcept {
    if (this != &o) {
      reset();
      data_ = std::exchange(o.data_, nullptr);
      size_ = std::exchange(o.size_, 0);
      guard_ = std::exchange(o.guard_, -1);
    }
    return *this;
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  // Maps size bytes of fd shared; false (and nothing mapped) on failure. fd
  // stays open as long as the mapping.
  bool map(int fd, size_t size, bool writable);
  void reset();
  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  explicit operator bool() const { return data_ != nullptr; }
  // True when the file became shorter than the mapping since it was mapped.
  bool Shrunk() const;

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  int guard_ = -1;  // its entry among the guarded mappings
};

// True once any mapping of this process was found shrunk (now or before it
// was unmapped).
bool AnyMappedFileShrunk();
