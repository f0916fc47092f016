// Window classes registered under a name the caller chooses.
#pragma once

#include <kiln/platform/ui/window.h>

// Makes sure a class named className exists in the current module instance (AfxGetInstanceHandle)
// and returns className. A new class has the given style, cursor, background and icon, DefWindowProc
// as its procedure, no extra bytes and no menu; an existing class is left as it is. When the class
// cannot be registered the system's error is shown (DispLastError) and a CResourceException thrown.
//
//   KfxNamedRegisterWndClass("KilnView", CS_DBLCLKS, nullptr, nullptr, nullptr);  // "KilnView"
const char* KfxNamedRegisterWndClass(const char* className, UINT style, HCURSOR cursor, HBRUSH background,
                                     HICON icon);
