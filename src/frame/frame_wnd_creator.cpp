#include <kiln/frame/frame_wnd_creator.h>

CFrameWnd* CFrameWndCreator::CreateFrameView(CRuntimeClass* frameClass, CRuntimeClass* viewClass,
                                             UINT resourceId) {
    CCreateContext context;
    context.m_pNewViewClass = viewClass;
    CObject* object = frameClass != nullptr ? frameClass->CreateObject() : nullptr;
    auto* frame = dynamic_cast<CFrameWnd*>(object);
    if (frame == nullptr) {
        delete object;
        return nullptr;
    }
    if (!frame->LoadFrame(resourceId, WS_OVERLAPPEDWINDOW, nullptr, &context)) return nullptr;
    return frame;
}
