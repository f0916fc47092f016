// How a Linux file system maps to a Windows drive type.
#pragma once

#include <cstdint>
#include <string_view>

#include <kiln/platform/types.h>

namespace kiln {

// The DRIVE_ type of a file system from its statfs magic number, its type in the mount table (read
// only for FUSE file systems, whose magic number says nothing: "fuse.sshfs"), whether the kernel
// marks its block device removable and the device's major number.
UINT DriveTypeOfFileSystem(uint32_t magic, std::string_view mountType, bool removableDevice,
                           unsigned deviceMajor);

// The statfs magic number of FUSE file systems.
constexpr uint32_t kFuseMagic = 0x65735546;

}  // namespace kiln
