#include <kiln/convert/symbol_table.h>

IMPLEMENT_DYNCREATE(CSymbolTable, CSymbol)

CSymbolTable::CSymbolTable() { CAlloc::Alloc(kInitialPool); }

CSymbolTable::CSymbolTable(CSymbolTable& source) : CSymbol(source) {}

CSymbolTable::~CSymbolTable() = default;

BOOL CSymbolTable::ClearTable() {
    if (IsLocked()) return 0;
    CError* errors = m_pError;
    DWORD_PTR owner = m_dwOwner;
    int* pass = m_pPass;
    if (!Detach()) {
        // A pool lost in a failed growth leaves no block to detach: reset the counters all the same.
        CDecode::Initialize();
        CSymbol::Initialize();
    }
    m_pError = errors;
    m_dwOwner = owner;
    m_pPass = pass;
    return Alloc(kInitialPool) != nullptr ? 1 : 0;
}

BOOL CSymbolTable::EntryPlaceholder() {
    if (m_Records.GetPC() != 0) return 1;
    Entry("", "", 0, 0, 0, nullptr);
    return m_Records.GetPC() != 0 ? 1 : 0;
}
