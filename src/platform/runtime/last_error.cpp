#include <kiln/platform/runtime/last_error.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <kiln/platform/runtime/global_memory.h>

#include "platform/runtime/host_folder.h"
#include "platform/text/printf_args.h"

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

// ERROR_NEGATIVE_SEEK: CFile::Seek reports a position before the start of the file with it.
constexpr DWORD kErrorNegativeSeek = 131;

struct SystemText {
    DWORD code;
    const char* text;
};

// The system's English texts, sorted by code.
constexpr SystemText kSystemTexts[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {4, "The system cannot open the file.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {13, "The data is invalid.\r\n"},
    {14, "Not enough memory resources are available to complete this operation.\r\n"},
    {15, "The system cannot find the drive specified.\r\n"},
    {16, "The directory cannot be removed.\r\n"},
    {17, "The system cannot move the file to a different disk drive.\r\n"},
    {18, "There are no more files.\r\n"},
    {19, "The media is write protected.\r\n"},
    {21, "The device is not ready.\r\n"},
    {25, "The drive cannot locate a specific area or track on the disk.\r\n"},
    {29, "The system cannot write to the specified device.\r\n"},
    {30, "The system cannot read from the specified device.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {33,
     "The process cannot access the file because another process has locked a portion of the "
     "file.\r\n"},
    {38, "Reached the end of the file.\r\n"},
    {39, "The disk is full.\r\n"},
    {50, "The request is not supported.\r\n"},
    {80, "The file exists.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {109, "The pipe has been ended.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {kErrorNegativeSeek,
     "An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {158, "The segment is already unlocked.\r\n"},
    {170, "The requested resource is in use.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {223, "The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {267, "The directory name is invalid.\r\n"},
    {317, "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {1009, "The configuration registry database is corrupt.\r\n"},
    {1010, "The configuration registry key is invalid.\r\n"},
    {1011, "The configuration registry key could not be opened.\r\n"},
    {1012, "The configuration registry key could not be read.\r\n"},
    {1013, "The configuration registry key could not be written.\r\n"},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1117, "The request could not be performed because of an I/O device error.\r\n"},
    {1444, "The thread identifier is invalid.\r\n"},
    {1921, "The name of the file cannot be resolved by the system.\r\n"},
};

const char* FindSystemText(DWORD code) {
    auto it = std::lower_bound(std::begin(kSystemTexts), std::end(kSystemTexts), code,
                               [](const SystemText& t, DWORD c) { return t.code < c; });
    return it != std::end(kSystemTexts) && it->code == code ? it->text : nullptr;
}

bool ParentFolderExists(const char* hostPath) {
    if (hostPath == nullptr || hostPath[0] == '\0') return false;
    std::string parent = kiln::detail::HostFolderOf(hostPath);
    struct stat st;
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// One insert of a message: "%n" or "%n!conversion!", n from 1 to 99.
struct Insert {
    size_t begin = 0, end = 0;  // the insert's bytes in the pattern
    int index = 0;
    std::string conversion;  // printf conversion without '%' ("s" when none is given)
};

// The values of inserts 1..count, each kept as a pointer-sized slot (a string pointer or an integer).
std::vector<INT_PTR> TakeArguments(const std::vector<Insert>& inserts, DWORD flags, va_list* args) {
    int count = 0;
    for (const Insert& i : inserts) count = std::max(count, i.index);
    std::vector<INT_PTR> values((size_t)count);
    if (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) {
        const DWORD_PTR* array = reinterpret_cast<const DWORD_PTR*>(args);
        std::copy(array, array + count, values.begin());
        return values;
    }
    // A va_list hands its values out in order, so each index takes the type of its first insert.
    std::vector<kiln::PrintfValueKind> kinds((size_t)count, kiln::PrintfValueKind::Pointer);
    std::vector<bool> seen((size_t)count, false);
    for (const Insert& i : inserts) {
        std::vector<kiln::PrintfValueKind> k = kiln::PrintfValueKinds(("%" + i.conversion).c_str());
        if (!seen[(size_t)i.index - 1] && !k.empty()) kinds[(size_t)i.index - 1] = k.back();
        seen[(size_t)i.index - 1] = true;
    }
    va_list ap;
    va_copy(ap, *args);
    for (int i = 0; i < count; ++i) {
        switch (kinds[(size_t)i]) {
        case kiln::PrintfValueKind::Int: values[(size_t)i] = va_arg(ap, int); break;
        case kiln::PrintfValueKind::LongLong: values[(size_t)i] = (INT_PTR)va_arg(ap, long long); break;
        default:  // the system's inserts have no floating values: anything else is a pointer slot
            values[(size_t)i] = (INT_PTR)va_arg(ap, void*);
            break;
        }
    }
    va_end(ap);
    return values;
}

std::string FormatInsert(const Insert& insert, INT_PTR value) {
    CString text = kiln::FormatArgs(("%" + insert.conversion).c_str(), &value, 1);
    return std::string(text.GetString(), (size_t)text.GetLength());
}

// Expands the escapes (%0 %n %r %t %% %. %! and "% ") and the inserts of a message. Inserts stay as
// they are written under FORMAT_MESSAGE_IGNORE_INSERTS, and also when no arguments are given, so a
// text with inserts can never read values that are not there.
std::string Expand(const char* pattern, DWORD flags, va_list* args) {
    std::vector<Insert> inserts;
    for (size_t i = 0; pattern[i] != '\0'; ++i) {
        if (pattern[i] != '%') continue;
        if (pattern[i + 1] < '1' || pattern[i + 1] > '9') {
            if (pattern[i + 1] != '\0') ++i;
            continue;
        }
        Insert insert;
        insert.begin = i++;
        insert.index = pattern[i] - '0';
        if (pattern[i + 1] >= '0' && pattern[i + 1] <= '9')
            insert.index = insert.index * 10 + pattern[++i] - '0';
        insert.conversion = "s";
        const char* close = pattern[i + 1] == '!' ? std::strchr(pattern + i + 2, '!') : nullptr;
        if (close != nullptr && close > pattern + i + 2) {
            insert.conversion.assign(pattern + i + 2, close);
            i = (size_t)(close - pattern);
        }
        insert.end = i + 1;
        inserts.push_back(insert);
    }
    bool substitute = !(flags & FORMAT_MESSAGE_IGNORE_INSERTS) && args != nullptr;
    std::vector<INT_PTR> values;
    if (substitute) values = TakeArguments(inserts, flags, args);

    std::string out;
    size_t next = 0;
    for (size_t i = 0; pattern[i] != '\0'; ++i) {
        if (next < inserts.size() && inserts[next].begin == i) {
            const Insert& insert = inserts[next++];
            if (substitute)
                out += FormatInsert(insert, values[(size_t)insert.index - 1]);
            else
                out.append(pattern + insert.begin, insert.end - insert.begin);
            i = insert.end - 1;
            continue;
        }
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        char c = pattern[++i];
        switch (c) {
        case '\0': out += '%'; return out;
        case '0': return out;
        case 'n': out += "\r\n"; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: out += c; break;  // %% %. %! and "% "
        }
    }
    return out;
}

}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

// There is one language: every language id gets the English text, and the width bits of dwFlags
// are not looked at (line breaks stay as the text has them).
DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD /*dwLanguageId*/,
                     LPSTR lpBuffer, DWORD nSize, va_list* Arguments) {
    const char* pattern = nullptr;
    if (dwFlags & FORMAT_MESSAGE_FROM_STRING) {
        pattern = static_cast<const char*>(lpSource);
        if (pattern == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    } else if (dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) {
        pattern = FindSystemText(dwMessageId);
    }
    if (pattern == nullptr) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    if (lpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text = Expand(pattern, dwFlags, Arguments);
    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        // nSize is then the least number of bytes to allocate.
        char* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, std::max<size_t>(text.size() + 1, nSize)));
        if (block == nullptr) return 0;
        std::memcpy(block, text.c_str(), text.size() + 1);
        *reinterpret_cast<LPSTR*>(lpBuffer) = block;
    } else {
        if (text.size() + 1 > nSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(lpBuffer, text.c_str(), text.size() + 1);
    }
    return (DWORD)text.size();
}

namespace kiln {

DWORD Win32ErrorFromErrno(int errnoValue, const char* hostPath) {
    switch (errnoValue) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ParentFolderExists(hostPath) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EIO: return ERROR_IO_DEVICE;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EBUSY: return ERROR_BUSY;
    case ETXTBSY: return ERROR_SHARING_VIOLATION;  // a running program opened for writing
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    default: return ERROR_GEN_FAILURE;
    }
}

void SetLastErrorFromErrno(const char* hostPath) { SetLastError(Win32ErrorFromErrno(errno, hostPath)); }

}  // namespace kiln
