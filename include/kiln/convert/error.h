// CError: the error list of a conversion, one text line per recorded error.
//
// A line reads: path name, a space, the current source line in parentheses (??? when no line counter
// is attached), a space, the message formatted from an ERROR_INFO with up to two values, then CR LF.
// Records whose level is below the threshold are dropped; a record that asks for it raises the
// rewind flag; once the error count reaches the maximum, records are replaced by the library's
// too-many-errors record. Lines are appended with Decode, so the list must be inter-locked while
// errors are recorded. The values are pointer-sized so that a %s value can be a string pointer.
#pragma once

#include <kiln/convert/decode.h>
#include <kiln/platform/text/cstring.h>

// A kind of error, kept as static data by its user.
struct ERROR_INFO {
    BYTE level;   // compared with the list's threshold
    BYTE rewind;  // 1: recording the error raises the rewind flag
    // Format text with at most two conversions. It may hold the placeholder "%.###s" (and then no
    // other period): recording writes the precision over the ###, so the text must be writable.
    char* message;
};

class CError : public CDecode {
    DECLARE_DYNCREATE(CError)
public:
    CError();
    // An empty list with the source's line counter, flags and limits (the text is not copied).
    CError(CError& source);
    ~CError() override;

    // Appends "<text>" and CR LF; 0 when all was appended, 1 when an append failed.
    virtual int NoError(const char* text);
    // Records one error; 0 when recorded or dropped by the threshold, 1 when the list has no block,
    // is not inter-locked or could not grow. spare is not used.
    virtual int Error(ERROR_INFO& info, UINT_PTR arg1, unsigned int precision, UINT_PTR arg2, UINT_PTR spare);
    virtual int Error(ERROR_INFO& info, UINT_PTR arg1, unsigned int precision);
    virtual int Error(ERROR_INFO& info);
    // The counter is read at every line and never written; null detaches it.
    virtual void AttachLine(unsigned int* line);
    virtual int IsRewind();
    virtual void ClearRewind();

protected:
    // The line prefix: "<path> (<line>) ", or "<path> (???) " without a line counter.
    virtual CString SetErrorTemplate();

    unsigned int* m_pLine;
    BOOL m_bRewind;

public:
    // Read and set directly by the owner or a derived list.
    unsigned int m_nErrorCount;  // lines recorded by Error so far
    unsigned int m_nMaxError;    // 128 unless set
    unsigned int m_nThreshold;   // lowest level recorded; 0 unless set
};
