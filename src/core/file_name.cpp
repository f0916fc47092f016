#include "core/file_name.h"

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/util/extension.h>

#include <cstring>
#include <string>

namespace kiln::detail {

namespace {

constexpr UINT kWarning = MB_OK | MB_ICONEXCLAMATION;

}  // namespace

bool FormFileName(char (&buffer)[MAX_PATH], const char* name, const char* ext) {
    if (name == nullptr) name = "";
    size_t length = std::strlen(name);
    if (ext == nullptr) {
        if (length >= MAX_PATH) {
            buffer[0] = '\0';
            return false;
        }
        std::memcpy(buffer, name, length + 1);
        return true;
    }
    // The extension is applied in a scratch copy with room for it, so that only a result that
    // fits ever reaches the caller's buffer.
    std::string scratch(length + std::strlen(ext) + 1, '\0');
    std::memcpy(scratch.data(), name, length);
    SetExtension(scratch.data(), ext);
    size_t result = std::strlen(scratch.c_str());
    if (result >= MAX_PATH) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, scratch.c_str(), result + 1);
    return true;
}

int RefuseFileName(const char* name, const char* ext) {
    CString shown(name);
    if (ext != nullptr) shown += ext;
    AfxMessageBox(shown + " の書き込みオープンに失敗しました", kWarning, 0);
    return 0;
}

int ReportWriteFailure(const char* name) {
    AfxMessageBox(CString(name) + " への書き込みに失敗しました", kWarning, 0);
    return 0;
}

}  // namespace kiln::detail
