// CSymbolTable: a ready-to-use label table.
//
// The pool gets 4096 bytes at construction. A pass runs: InterLock, EntryPlaceholder (so that every
// label entered after it can be found), entries and lookups, InterUnlock; ClearTable then empties
// the table for the next pass, keeping its error list, owner field and pass counter.
//
//   CSymbolTable labels;
//   labels.InterLock();
//   labels.EntryPlaceholder();
//   unsigned int loop = labels.Entry("LOOP", 0, 1, 0x100, nullptr);
//   ...
//   labels.InterUnlock();
//   labels.ClearTable();
#pragma once

#include <kiln/convert/symbol.h>

class CSymbolTable : public CSymbol {
    DECLARE_DYNCREATE(CSymbolTable)
public:
    enum { kInitialPool = 4096 };

    CSymbolTable();
    CSymbolTable(CSymbolTable& source);
    ~CSymbolTable() override;

    // Releases the pool and its labels and gives the pool fresh memory; the enabled flag, the error
    // list, the owner field and the pass counter stay. 0 when the table is locked or memory is short.
    BOOL ClearTable() override;
    // Enters the empty label at index 0 when the table holds no record yet; 1 when index 0 is taken.
    BOOL EntryPlaceholder() override;
};
