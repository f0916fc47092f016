#include <kiln/platform/ui/extension_module.h>

#include <mutex>

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CCmdTarget)

namespace {

// Libraries come and go at load and unload, possibly while other threads run.
std::mutex& ListMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

CDynLinkLibrary* g_firstLibrary = nullptr;

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    if (state.bInitialized) return TRUE;
    state.hModule = hModule;
    state.hResource = hModule;
    state.bInitialized = TRUE;
    return TRUE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(bSystem) {
    std::lock_guard<std::mutex> lock(ListMutex());
    m_pNextDLL = g_firstLibrary;
    g_firstLibrary = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    std::lock_guard<std::mutex> lock(ListMutex());
    for (CDynLinkLibrary** link = &g_firstLibrary; *link != nullptr; link = &(*link)->m_pNextDLL) {
        if (*link == this) {
            *link = m_pNextDLL;
            break;
        }
    }
}

namespace kiln {

CDynLinkLibrary* FirstExtensionLibrary() {
    std::lock_guard<std::mutex> lock(ListMutex());
    return g_firstLibrary;
}

}  // namespace kiln
