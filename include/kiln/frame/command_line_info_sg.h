// CCommandLineInfoSg: the command line with named arguments "NAME:value" besides the usual ones.
//
// An argument that is not a flag and has both text after its first ":" and an "=" somewhere is
// named: ";PF:<profile text>" makes the text the command-line profile (replacing earlier text),
// "FILE:<name>" or "DOC:<name>" makes the name the file name, and other names are dropped. Names are
// compared exactly. Any other argument is an ordinary one, so a file name needs "FILE:" in front
// only when it holds "=".
//
//   ;PF:width=#640;title={main}   profile with width 640 and title "main"
//   FILE:x=y.txt                  file name x=y.txt
//   FILE:plain.txt                file name FILE:plain.txt (no "=": an ordinary argument)
//   OTHER:a=b                     dropped
#pragma once

#include <kiln/platform/ui/command_line_info.h>
#include <kiln/settings/profile.h>

class CCommandLineInfoSg : public CCommandLineInfo {
public:
    CCommandLineInfoSg();
    ~CCommandLineInfoSg() override;

    void ParseParam(const char* param, BOOL flag, BOOL last) override;
    const CProfile& GetProfile() const { return m_profile; }
    CString ReadProfileString(const char* key, const char* def) const {
        return m_profile.ReadProfileString(key, def);
    }

protected:
    void ParseParamNotFlag(const char* param);

    CProfile m_profile;
};
