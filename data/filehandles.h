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

class MappedView {
 public:
  MappedView() = default;
  ~MappedView() { reset(); }
  MappedView(MappedView&& o) noexcept
      : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)) {}
  MappedView& operator=(MappedView&& o) noexcept {
    if (this != &o) {
      reset();
      data_ = std::exchange(o.data_, nullptr);
      size_ = std::exchange(o.size_, 0);
    }
    return *this;
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  // Maps size bytes of fd shared; false (and nothing mapped) on failure.
  bool map(int fd, size_t size, bool writable) {
    reset();
    void* v = ::mmap(nullptr, size, PROT_READ | (writable ? PROT_WRITE : 0), MAP_SHARED, fd, 0);
    if (v == MAP_FAILED) return false;
    data_ = static_cast<uint8_t*>(v);
    size_ = size;
    return true;
  }
  void reset() {
    if (data_) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
  }
  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};
