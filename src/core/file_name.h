// File names formed in MAX_PATH buffers by the text buffers.
#pragma once

#include <kiln/platform/runtime/types.h>

namespace kiln::detail {

// Copies name (null: empty) into buffer and applies SetExtension with ext unless ext is null.
// false when the result does not fit in MAX_PATH bytes with its NUL; buffer is then empty.
bool FormFileName(char (&buffer)[MAX_PATH], const char* name, const char* ext);

// Reports a name that FormFileName refused as the file layer reports a file it cannot open for
// writing (Windows cannot open such a name either); returns 0.
int RefuseFileName(const char* name, const char* ext);

// Reports a failed write of the named file as the file layer does; returns 0.
int ReportWriteFailure(const char* name);

}  // namespace kiln::detail
