#include "platform/files/share_lock.h"

#include <cerrno>

#include <fcntl.h>

#include <kiln/platform/runtime/last_error.h>

namespace kiln::detail {
namespace {

constexpr off_t kMarkerBase = (off_t)1 << 62;
enum Marker { kHasRead, kHasWrite, kDeniesRead, kDeniesWrite, kMarkerCount };

struct flock MarkerRange(short type, off_t first, off_t count) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = kMarkerBase + first;
    range.l_len = count;
    return range;
}

void ReleaseMarkers(int fd) {
    struct flock all = MarkerRange(F_UNLCK, 0, kMarkerCount);
    fcntl(fd, F_OFD_SETLK, &all);
}

bool Unsupported(int error) {
    return error == EINVAL || error == ENOLCK || error == EOPNOTSUPP || error == EOVERFLOW;
}

}  // namespace

DWORD TakeShareMarkers(int fd, ShareRequest request) {
    const bool wanted[kMarkerCount] = {request.read, request.write, request.denyRead, request.denyWrite};
    // The marker each one collides with: wanting read against "denies read", and so on.
    const Marker opposite[kMarkerCount] = {kDeniesRead, kDeniesWrite, kHasRead, kHasWrite};
    for (int m = 0; m < kMarkerCount; ++m) {
        if (!wanted[m]) continue;
        struct flock marker = MarkerRange(F_RDLCK, m, 1);
        if (fcntl(fd, F_OFD_SETLK, &marker) == 0) continue;
        int error = errno;
        ReleaseMarkers(fd);
        if (Unsupported(error)) return ERROR_SUCCESS;
        // Someone outside this scheme holds a write lock on the marker.
        if (error == EAGAIN || error == EACCES) return ERROR_SHARING_VIOLATION;
        return Win32ErrorFromErrno(error);
    }
    for (int m = 0; m < kMarkerCount; ++m) {
        if (!wanted[m]) continue;
        // A write-lock probe reports any lock another open file description holds on the marker.
        struct flock probe = MarkerRange(F_WRLCK, opposite[m], 1);
        bool probed = fcntl(fd, F_OFD_GETLK, &probe) == 0;
        if (probed && probe.l_type == F_UNLCK) continue;
        int error = errno;
        ReleaseMarkers(fd);
        if (probed) return ERROR_SHARING_VIOLATION;
        return Unsupported(error) ? ERROR_SUCCESS : Win32ErrorFromErrno(error);
    }
    return ERROR_SUCCESS;
}

}  // namespace kiln::detail
