// The library as a module of the process: its start-up, its processor-feature block and its record.
//
// Start-up runs once per process when the library is loaded, before main: it puts the library's
// resources in the resource chain (dialogs 3000, 3002, 3003 and 3004, menu 3000, string 46000),
// initialises the module record (AfxInitExtensionModule), fills _kilnGLOBAL_registryCache and makes
// one CDynLinkLibrary for the record. Nothing is undone at unload.
#pragma once

#include <kiln/platform/ui/extension_module.h>

// Nine bytes that client code reads; the library itself never does. All are 0 until start-up.
struct KilnRegistry {
    BYTE bMMX;        // 0: 1 when MMX instructions run (MMX_IsSupport)
    BYTE bMMX2;       // 1: 1 when the MMX extensions run (MMX2_IsSupport)
    BYTE bSSE;        // 2: 1 when SSE instructions run (SSE_IsSupport)
    BYTE bReserved3;  // 3: always 0
    // 4: 1 in a library built for debugging, 0 in a release build. Kiln builds only release
    // libraries, so start-up sets it to 0.
    BYTE bDebugModule;
    BYTE bReserved5[3];  // 5 to 7: always 0
    // 8: 1 once start-up has filled the block, so a client can tell a filled block from one it
    // reads before the library was initialised (all zero).
    BYTE bFilled;
};
static_assert(sizeof(KilnRegistry) == 9, "the block is nine bytes");

extern KilnRegistry _kilnGLOBAL_registryCache;

// The library's module record, for another module that chains the library's resources and classes
// into its own state with CDynLinkLibrary. The name is exported undecorated.
extern "C" AFX_EXTENSION_MODULE* PluginThisLibrary();
