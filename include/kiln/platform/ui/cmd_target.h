// Command targets and message maps.
//
// A class with DECLARE_MESSAGE_MAP lists the messages it handles between BEGIN_MESSAGE_MAP(class,
// base) and END_MESSAGE_MAP(); a lookup searches the class's own map first, then its base's, so a
// derived map chains to the base's. Handlers are named as &Class::Handler.
//
//   BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//       ON_BN_CLICKED(IDC_APPLY, &CMyDialog::OnApply)
//       ON_LBN_DBLCLK(IDC_LIST, &CMyDialog::OnDblclkList)
//       ON_MESSAGE(WM_APP, &CMyDialog::OnAppMessage)
//   END_MESSAGE_MAP()
#pragma once

#include <kiln/platform/runtime/object.h>
#include <kiln/platform/ui/controls.h>

class CCmdTarget;
class CWnd;
typedef void (CCmdTarget::*AFX_PMSG)();
typedef void (CWnd::*AFX_PMSGW)();

// How a handler is called (the entry's nSig).
enum AfxSig : UINT_PTR {
    AfxSig_end = 0,
    AfxSig_vv,        // void ()
    AfxSig_is,        // int (LPCREATESTRUCT)
    AfxSig_lwl,       // LRESULT (WPARAM, LPARAM)
    AfxSigCmd_v,      // void () for a command or a control notification
    AfxSigCmd_RANGE,  // void (UINT id) for a range of commands
    AfxSigCmd_EX,     // BOOL (UINT id) for a command: FALSE lets it go on to other handlers
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // the window message (WM_COMMAND for commands and notifications)
    UINT nCode;     // the notification code, CN_COMMAND for a command
    UINT nID;       // the first control or command id
    UINT nLastID;   // the last id of a range
    UINT_PTR nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

// Casts between handler types: a handler of any signature is kept as an entry's pfn, and the
// entry's nSig says which type to cast it back to before the call.
template <class To, class From>
To AfxHandlerCast(From handler) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
    return reinterpret_cast<To>(handler);
#pragma GCC diagnostic pop
}
#define AfxMsgHandler(handler) AfxHandlerCast<AFX_PMSG>(handler)

#define afx_msg
#define PASCAL

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        typedef theClass ThisClass;                                                   \
        typedef baseClass TheBaseClass;                                               \
        static_cast<void>(sizeof(ThisClass));                                         \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0 }                                                       \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, CN_COMMAND, (WORD)(id), (WORD)(id), AfxSigCmd_v, static_cast<AFX_PMSG>(memberFxn)},
#define ON_COMMAND_EX(id, memberFxn)       \
    {WM_COMMAND, CN_COMMAND,   (WORD)(id), \
     (WORD)(id), AfxSigCmd_EX, AfxMsgHandler(static_cast<BOOL (CCmdTarget::*)(UINT)>(memberFxn))},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)   \
    {WM_COMMAND,     CN_COMMAND,      (WORD)(id), \
     (WORD)(idLast), AfxSigCmd_RANGE, AfxMsgHandler(static_cast<void (CCmdTarget::*)(UINT)>(memberFxn))},
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    {WM_COMMAND, (WORD)(wNotifyCode), (WORD)(id), (WORD)(id), AfxSigCmd_v, static_cast<AFX_PMSG>(memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DBLCLK, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_MESSAGE(message, memberFxn) \
    {message, 0, 0, 0, AfxSig_lwl, AfxMsgHandler(static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(memberFxn))},
#define ON_WM_CREATE()        \
    {WM_CREATE, 0,         0, \
     0,         AfxSig_is, AfxMsgHandler(static_cast<int (CWnd::*)(LPCREATESTRUCT)>(&ThisClass::OnCreate))},
#define ON_WM_CLOSE() \
    {WM_CLOSE, 0, 0, 0, AfxSig_vv, AfxMsgHandler(static_cast<void (CWnd::*)()>(&ThisClass::OnClose))},
#define ON_WM_DESTROY() \
    {WM_DESTROY, 0, 0, 0, AfxSig_vv, AfxMsgHandler(static_cast<void (CWnd::*)()>(&ThisClass::OnDestroy))},
#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, 0, AfxSig_vv, AfxMsgHandler(static_cast<void (CWnd::*)()>(&ThisClass::OnPaint))},

// The target of commands: OnCmdMsg finds the handler of a command or control notification in the
// message map and calls it.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;

    // TRUE when a handler took the command (nCode CN_COMMAND) or notification (nCode a control's
    // code). With pHandlerInfo, only finds the handler and fills it in.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// The entry of entries (a map's own list) for the message, code and id, or null.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID);
