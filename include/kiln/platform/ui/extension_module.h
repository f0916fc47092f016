// Extension modules: a library that adds its resources and run-time classes to the application's.
//
// A library keeps one AFX_EXTENSION_MODULE, initialises it at load with AfxInitExtensionModule and
// makes one CDynLinkLibrary for it, which puts the module in the process's list of extension
// libraries. A process has one module state, so a module whose resources are in the resource chain
// (kiln::AddResourceModule) is reachable from every module of the process; another module that
// makes a CDynLinkLibrary for the same record only adds it to the list again.
#pragma once

#include <kiln/platform/ui/cmd_target.h>

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
    CRuntimeClass* pFirstSharedClass;
    void* pFirstSharedFactory;
};

// Records hModule as the module and its resource handle; TRUE (a second call changes nothing).
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);

class CDynLinkLibrary : public CCmdTarget {
    DECLARE_DYNAMIC(CDynLinkLibrary)
public:
    // Adds the module to the front of the list; bSystem marks a module of the framework itself.
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    // Takes the module out of the list.
    ~CDynLinkLibrary() override;
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL = nullptr;
};

namespace kiln {

// The newest extension library of the process (follow m_pNextDLL for the others), or null.
CDynLinkLibrary* FirstExtensionLibrary();

}  // namespace kiln
