// CCommandLineInfo: what a program's command line asks of it, filled by CWinApp::ParseCommandLine.
//
// ParseCommandLine hands each argument to ParseParam, marked as a flag or not. Which arguments are
// flags on Linux, where an absolute path also starts with "/":
//   - "-word": a flag, the text after the "-" ("-p", "-Embedding"); a lone "-" is an ordinary argument
//     (the usual name for standard input), and "--" ends the flags: every later argument is ordinary
//     and the "--" itself is not passed on;
//   - "/word": a flag only when the word is ASCII letters alone and nothing of that name exists at
//     the root of the file system, so "/p" and "/Embedding" are flags while "/tmp", "/data.txt" and
//     "/home/me/a.txt" are file names;
//   - anything else is ordinary (a file name, or a named argument such as "FILE:a=b.txt").
// The last argument passed is marked last. Arguments are taken as the bytes the system gives: file
// names as the file system spells them.
//
// Flags are compared without regard to ASCII case: p (FilePrint), pt printer driver port
// (FilePrintTo), dde (FileDDE), Embedding (m_bRunEmbedded), Automation (m_bRunAutomated),
// Register/Regserver (AppRegister), Unregister/Unregserver (AppUnregister). Others are ignored. The
// first ordinary argument is the file name; after "pt" the next three are printer, driver and port.
// A file name given with the shell command still FileNew turns it into FileOpen.
#pragma once

#include <string>
#include <vector>

#include <kiln/platform/runtime/object.h>
#include <kiln/platform/text/cstring.h>

class CCommandLineInfo : public CObject {
public:
    CCommandLineInfo();
    ~CCommandLineInfo() override;

    // One argument: bFlag when it was a flag (its "-" or "/" removed), bLast for the last argument.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    enum {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppRegister,
        AppUnregister,
        RestartByRestartManager,
        FileNothing = -1
    } m_nShellCommand = FileNew;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;

protected:
    void ParseParamFlag(const char* pszParam);
    void ParseParamNotFlag(const char* pszParam);
    void ParseLast(BOOL bLast);
};

namespace kiln {

// The program's arguments after its own name, as ParseCommandLine reads them: those given to
// SetCommandLine when the program called it (for example from main, after taking out options of its
// own), else the process's own arguments read from /proc/self/cmdline, which needs no help from main.
std::vector<std::string> GetCommandLineArguments();
// Makes argv[1..argc-1] the program's arguments; argc 0 goes back to the process's own.
void SetCommandLine(int argc, const char* const* argv);

}  // namespace kiln
