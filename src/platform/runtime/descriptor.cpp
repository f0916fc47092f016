#include "platform/runtime/descriptor.h"

#include <unistd.h>

#include <cerrno>

namespace kiln::detail {

void Descriptor::Reset(int fd) {
    // Linux closes the descriptor even when close reports EINTR: it is never closed twice.
    if (m_fd >= 0) close(m_fd);
    m_fd = fd;
}

ssize_t ReadSome(int fd, void* buffer, size_t size) {
    ssize_t n;
    while ((n = read(fd, buffer, size)) < 0 && errno == EINTR) {}
    return n;
}

ssize_t WriteSome(int fd, const void* data, size_t size) {
    ssize_t n;
    while ((n = write(fd, data, size)) < 0 && errno == EINTR) {}
    return n;
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = WriteSome(fd, bytes.data(), bytes.size());
        if (n < 0) return errno;
        if (n == 0) return ENOSPC;
        bytes.remove_prefix((size_t)n);
    }
    return 0;
}

int ReadAll(int fd, std::string& bytes) {
    char buffer[65536];
    for (;;) {
        ssize_t n = ReadSome(fd, buffer, sizeof buffer);
        if (n < 0) return errno;
        if (n == 0) return 0;
        bytes.append(buffer, (size_t)n);
    }
}

}  // namespace kiln::detail
