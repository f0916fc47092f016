#include <kiln/platform/runtime/resources.h>

#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <span>
#include <vector>

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/text/mbcs.h>

namespace kiln {

namespace {

// The chain of tables, oldest first. Never destroyed: tables are added by static initialisers and
// strings may be looked up while the process ends.
struct StringChain {
    std::shared_mutex mutex;
    std::vector<std::span<const StringResource>> tables;
};

StringChain& Chain() {
    static StringChain* chain = new StringChain;
    return *chain;
}

}  // namespace

void AddStringTable(const StringResource* table, size_t count) {
    if (table == nullptr || count == 0) return;
    StringChain& chain = Chain();
    std::unique_lock<std::shared_mutex> lock(chain.mutex);
    chain.tables.emplace_back(table, count);
}

const char* FindStringResource(unsigned id) {
    StringChain& chain = Chain();
    std::shared_lock<std::shared_mutex> lock(chain.mutex);
    for (auto table = chain.tables.rbegin(); table != chain.tables.rend(); ++table)
        for (const StringResource& entry : *table)
            if (entry.id == id) return entry.text;
    return nullptr;
}

}  // namespace kiln

int LoadStringA(HINSTANCE, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* text = kiln::FindStringResource(uID);
    if (text == nullptr) {
        lpBuffer[0] = '\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const size_t limit = (size_t)cchBufferMax - 1;
    size_t length = 0;
    while (text[length] != '\0') {
        size_t step = kiln::IsLeadByte((unsigned char)text[length]) && text[length + 1] != '\0' ? 2 : 1;
        if (length + step > limit) break;
        length += step;
    }
    std::memcpy(lpBuffer, text, length);
    lpBuffer[length] = '\0';
    return (int)length;
}

BOOL CString::LoadString(UINT nID) {
    const char* text = kiln::FindStringResource(nID);
    if (text == nullptr) return FALSE;
    *this = text;
    return TRUE;
}

