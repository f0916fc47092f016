#include <kiln/frame/module.h>

#include <new>

#include <kiln/util/cpu_features.h>

#include "frame/module_resources.h"

KilnRegistry _kilnGLOBAL_registryCache = {};

namespace {

AFX_EXTENSION_MODULE g_module = {};
// Reachable for the whole process, as the library stays in the chain until the process ends.
CDynLinkLibrary* g_library = nullptr;

// The library's entry point: runs once when the process loads the library. It cannot make the load
// fail as a Windows entry point can; AfxInitExtensionModule does not fail here.
__attribute__((constructor)) void StartModule() {
    HINSTANCE instance = kiln::AddLibraryResources();
    if (!AfxInitExtensionModule(g_module, instance)) return;
    _kilnGLOBAL_registryCache.bMMX = static_cast<BYTE>(MMX_IsSupport());
    _kilnGLOBAL_registryCache.bDebugModule = 0;
    _kilnGLOBAL_registryCache.bFilled = 1;
    _kilnGLOBAL_registryCache.bMMX2 = static_cast<BYTE>(MMX2_IsSupport());
    _kilnGLOBAL_registryCache.bSSE = static_cast<BYTE>(SSE_IsSupport());
    // Without it the library still works: its resources are in the chain already.
    g_library = new (std::nothrow) CDynLinkLibrary(g_module);
}

}  // namespace

extern "C" AFX_EXTENSION_MODULE* PluginThisLibrary() { return &g_module; }
