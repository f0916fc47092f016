#include <kiln/platform/runtime/resources.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <span>
#include <vector>

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/text/mbcs.h>

#include "platform/runtime/resource_extent.h"

namespace kiln {

namespace {

struct Module {
    std::span<const ResourceEntry> resources;
    std::span<const StringResource> strings;
};

// The chain of modules, oldest first; a module's instance handle is its index plus one. Never
// destroyed: modules are added by static initialisers and resources may be looked up while the
// process ends.
struct ModuleChain {
    std::shared_mutex mutex;
    std::vector<Module> modules;
};

ModuleChain& Chain() {
    static ModuleChain* chain = new ModuleChain;
    return *chain;
}

// The handle that stands for the application: its resources are the whole chain.
const HINSTANCE kApplication = (HINSTANCE)(uintptr_t)0x400000;
HINSTANCE g_resourceHandle = kApplication;

bool SameName(LPCSTR a, LPCSTR b) {
    auto number = [](LPCSTR name) -> long {
        if (IS_INTRESOURCE(name)) return (long)(ULONG_PTR)name;
        if (name[0] != '#') return -1;
        char* end;
        long value = std::strtol(name + 1, &end, 10);
        return *end == '\0' && value >= 0 && value <= 0xFFFF ? value : -1;
    };
    long left = number(a), right = number(b);
    if (left >= 0 || right >= 0) return left == right;
    return _mbsicmp(a, b) == 0;
}

const ResourceEntry* FindIn(const Module& module, LPCSTR name, LPCSTR type) {
    for (const ResourceEntry& entry : module.resources)
        if (SameName(entry.type, type) && SameName(entry.name, name)) return &entry;
    return nullptr;
}

// The module index of a handle, -1 for the whole chain, or -2 for a handle that names nothing.
long ModuleIndex(const ModuleChain& chain, HINSTANCE hModule) {
    if (hModule == nullptr || hModule == kApplication) return -1;
    uintptr_t index = (uintptr_t)hModule - 1;
    return index < chain.modules.size() ? (long)index : -2;
}

}  // namespace

HINSTANCE AddResourceModule(const ResourceEntry* resources, size_t count, const StringResource* strings,
                            size_t stringCount) {
    ModuleChain& chain = Chain();
    std::unique_lock<std::shared_mutex> lock(chain.mutex);
    chain.modules.push_back(Module{{resources, resources != nullptr ? count : 0},
                                   {strings, strings != nullptr ? stringCount : 0}});
    return (HINSTANCE)(uintptr_t)chain.modules.size();
}

void AddStringTable(const StringResource* table, size_t count) {
    if (table == nullptr || count == 0) return;
    AddResourceModule(nullptr, 0, table, count);
}

const char* FindStringResource(unsigned id) {
    ModuleChain& chain = Chain();
    std::shared_lock<std::shared_mutex> lock(chain.mutex);
    for (auto module = chain.modules.rbegin(); module != chain.modules.rend(); ++module)
        for (const StringResource& entry : module->strings)
            if (entry.id == id) return entry.text;
    return nullptr;
}

size_t ResourceExtent(const void* data) {
    ModuleChain& chain = Chain();
    std::shared_lock<std::shared_mutex> lock(chain.mutex);
    auto at = (const BYTE*)data;
    for (const Module& module : chain.modules)
        for (const ResourceEntry& entry : module.resources) {
            auto begin = (const BYTE*)entry.data;
            if (at >= begin && at < begin + entry.size) return (size_t)(begin + entry.size - at);
        }
    return 0;
}

HINSTANCE FindResourceModule(LPCSTR name, LPCSTR type) {
    if (name == nullptr || type == nullptr) return nullptr;
    ModuleChain& chain = Chain();
    std::shared_lock<std::shared_mutex> lock(chain.mutex);
    for (size_t i = chain.modules.size(); i-- > 0;)
        if (FindIn(chain.modules[i], name, type) != nullptr) return (HINSTANCE)(uintptr_t)(i + 1);
    return nullptr;
}

}  // namespace kiln

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    if (lpName == nullptr || lpType == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (kiln::SameName(lpType, RT_STRING)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    kiln::ModuleChain& chain = kiln::Chain();
    std::shared_lock<std::shared_mutex> lock(chain.mutex);
    long index = kiln::ModuleIndex(chain, hModule);
    const kiln::ResourceEntry* found = nullptr;
    if (index >= 0) {
        found = kiln::FindIn(chain.modules[(size_t)index], lpName, lpType);
    } else if (index == -1) {
        for (auto module = chain.modules.rbegin(); module != chain.modules.rend(); ++module)
            if ((found = kiln::FindIn(*module, lpName, lpType)) != nullptr) break;
    }
    if (found == nullptr) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return (HRSRC)found;
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) {
    if (hResInfo == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return (HGLOBAL)((const kiln::ResourceEntry*)hResInfo)->data;
}

// A resource's data handle is its address: the data is static and never moves.
LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
    return hResInfo != nullptr ? ((const kiln::ResourceEntry*)hResInfo)->size : 0;
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

HINSTANCE AfxGetResourceHandle() { return kiln::g_resourceHandle; }
void AfxSetResourceHandle(HINSTANCE hInstResource) {
    kiln::g_resourceHandle = hInstResource != nullptr ? hInstResource : kiln::kApplication;
}
HINSTANCE AfxGetInstanceHandle() { return kiln::kApplication; }

HINSTANCE AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType) {
    HINSTANCE found = kiln::FindResourceModule(lpszName, lpszType);
    return found != nullptr ? found : AfxGetResourceHandle();
}

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
    const size_t length = kiln::FittingLength(text, limit);
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
