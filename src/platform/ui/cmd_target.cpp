#include <kiln/platform/ui/cmd_target.h>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode,
                                            UINT nID) {
    for (; lpEntry != nullptr && lpEntry->nSig != AfxSig_end; ++lpEntry)
        if (lpEntry->nMessage == nMsg && lpEntry->nCode == nCode && nID >= lpEntry->nID &&
            nID <= lpEntry->nLastID)
            return lpEntry;
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void*, AFX_CMDHANDLERINFO* pHandlerInfo) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(map->lpEntries, WM_COMMAND, (UINT)nCode, nID);
        if (entry == nullptr) continue;
        if (pHandlerInfo != nullptr) {
            pHandlerInfo->pTarget = this;
            pHandlerInfo->pmf = entry->pfn;
            return TRUE;
        }
        switch (entry->nSig) {
        case AfxSigCmd_RANGE:
            (this->*AfxHandlerCast<void (CCmdTarget::*)(UINT)>(entry->pfn))(nID);
            return TRUE;
        case AfxSigCmd_EX: {
            // FALSE lets the command go on to the handlers of the base maps.
            if ((this->*AfxHandlerCast<BOOL (CCmdTarget::*)(UINT)>(entry->pfn))(nID)) return TRUE;
            continue;
        }
        default: (this->*entry->pfn)(); return TRUE;
        }
    }
    return FALSE;
}
