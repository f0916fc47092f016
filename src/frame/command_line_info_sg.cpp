#include <kiln/frame/command_line_info_sg.h>

#include <cstring>

#include <kiln/util/separated_string.h>

CCommandLineInfoSg::CCommandLineInfoSg() = default;

CCommandLineInfoSg::~CCommandLineInfoSg() = default;

void CCommandLineInfoSg::ParseParam(const char* param, BOOL flag, BOOL last) {
    if (flag) {
        CCommandLineInfo::ParseParam(param, flag, last);
        return;
    }
    ParseParamNotFlag(param);
    ParseLast(last);
}

void CCommandLineInfoSg::ParseParamNotFlag(const char* param) {
    const CString name = GetSeparatedString(param, ':', 0);
    // ':' and '=' are never trail bytes of a double-byte character, so the bytes can be looked at directly.
    const char* value = param[name.GetLength()] == ':' ? param + name.GetLength() + 1 : "";
    if (*value != '\0' && std::strchr(param, '=') != nullptr) {
        if (name == ";PF")
            m_profile = CProfile(CString(value));
        else if (name == "FILE" || name == "DOC")
            m_strFileName = value;
        return;
    }
    CCommandLineInfo::ParseParamNotFlag(param);
}
