#include <kiln/frame/named_wnd_class.h>

#include <kiln/diag/report.h>
#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/wnd.h>

const char* KfxNamedRegisterWndClass(const char* className, UINT style, HCURSOR cursor, HBRUSH background,
                                     HICON icon) {
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASS wc = {};
    if (GetClassInfoA(instance, className, &wc)) return className;
    wc.style = style;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    if (!AfxRegisterClass(&wc)) {
        DispLastError();
        AfxThrowResourceException();
    }
    return className;
}
