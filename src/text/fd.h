#pragma once

#include <unistd.h>

#include <utility>

namespace vornal {

// A file descriptor, closed with its owner (the intake's and the client's
// files are opened with open(2) for its flags: O_NOFOLLOW, O_NONBLOCK).
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : m_fd(fd) {}
  Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(m_fd, other.m_fd);
    return *this;
  }
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int Get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

}  // namespace vornal
