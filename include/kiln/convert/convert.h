// CConvert: the base of every converter. A converter is its own source: the source text is loaded
// into the object (TryRead, an attach, or a load) and read with the reader's fetches and skips.
//
// PreConvert(ext) runs DoPreConvert over the whole source into the pre-conversion buffer, optionally
// saves that text beside the source (raw, under the extension ext), and makes it the new source (PC
// 0, no path name). Convert(out, option) runs PrepareConvert, then DoConvert with the source and out
// inter-locked, then DestroyConvert, and returns DoConvert's result. Concrete converters override
// the hooks; the error list set by AttachError, the output buffer, the option and the two spare
// fields are there for them.
#pragma once

#include <kiln/convert/decode.h>
#include <kiln/convert/error.h>
#include <kiln/convert/read_stm.h>

class CConvert : public CReadStm {
    DECLARE_DYNCREATE(CConvert)
public:
    CConvert();
    // Shares the source's blocks (the source text and the pre-conversion buffer's) and copies the
    // fields; only one of the two may release the blocks.
    CConvert(CConvert& source);
    ~CConvert() override;

    // With a null out, DoConvert runs with the source alone inter-locked.
    virtual int Convert(CDecode* out, int option);
    // 0 when the pre-converted text cannot be saved (the source then stays as it was) or when the
    // pre-conversion buffer holds no memory to hand over; else 1.
    virtual int PreConvert(const char* ext);
    virtual void AttachError(CError* errors);

protected:
    virtual int PrepareConvert();
    virtual int DestroyConvert();
    virtual int DoConvert();
    virtual int DoPreConvert(CDecode* pre);
    // Never called by the driver: for converters' own hooks.
    virtual int Analyze();

    CDecode m_PreConvert;
    CError* m_pError;
    CDecode* m_pDecode;
    int m_nOption;
    int m_nPrepare;
    int m_nConverter;
};
