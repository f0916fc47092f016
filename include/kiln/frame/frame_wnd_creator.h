// CFrameWndCreator: makes a frame with a view from run-time classes.
//
//   CFrameWnd* frame = CFrameWndCreator::CreateFrameView(RUNTIME_CLASS(CMyFrame),
//                                                        RUNTIME_CLASS(CMyView), 3000);
#pragma once

#include <kiln/platform/ui/frame_wnd.h>

class CFrameWndCreator {
public:
    // A frame of frameClass, loaded from resourceId (its menu and title) with WS_OVERLAPPEDWINDOW and
    // no parent, holding a view of viewClass; null when the class cannot make objects or the frame
    // cannot be loaded (a frame that fails deletes itself).
    static CFrameWnd* CreateFrameView(CRuntimeClass* frameClass, CRuntimeClass* viewClass, UINT resourceId);
};
