#include "platform/ui/terminal_width.h"

#include <sys/ioctl.h>

namespace kiln {

int TerminalColumns(int fd) {
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace kiln
