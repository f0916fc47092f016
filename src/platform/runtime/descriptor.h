// Host file descriptors: one owner each, and reads and writes that ride out signals.
//
// Every read and write of the platform layer on a descriptor goes through these calls, which retry
// a call a signal interrupted (EINTR) before it moved any data.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace kiln::detail {

// Owns a descriptor and closes it when destroyed or reset; -1 is "none".
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(Descriptor&& other) noexcept : m_fd(other.Release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        Reset(other.Release());
        return *this;
    }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    void Reset(int fd = -1);
    // Gives the descriptor up without closing it.
    int Release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// One read or write, as the system call does it (a short count is not an error), retried while a
// signal interrupts it. -1 with errno set on failure.
ssize_t ReadSome(int fd, void* buffer, size_t size);
ssize_t WriteSome(int fd, const void* data, size_t size);

// Writes all of bytes: 0, or the errno value of the failure (ENOSPC when the system takes nothing).
int WriteAll(int fd, std::string_view bytes);
// Reads from the current position to the end: 0, or the errno value of the failure.
int ReadAll(int fd, std::string& bytes);

}  // namespace kiln::detail
