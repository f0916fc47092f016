#include <kiln/platform/ui/command_line_info.h>

#include <sys/stat.h>

#include <cstdio>
#include <mutex>

#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/ui/win_app.h>

namespace {

std::mutex g_argumentsMutex;
bool g_argumentsSet = false;
std::vector<std::string> g_arguments;

std::vector<std::string> ProcessArguments() {
    std::vector<std::string> arguments;
    FILE* file = std::fopen("/proc/self/cmdline", "rb");
    if (file == nullptr) return arguments;
    std::string current;
    bool first = true;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c != '\0') {
            current.push_back((char)c);
            continue;
        }
        if (!first) arguments.push_back(current);
        first = false;
        current.clear();
    }
    std::fclose(file);
    return arguments;
}

bool IsLetterWord(const std::string& word) {
    if (word.empty()) return false;
    for (unsigned char c : word)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

bool IsFlag(const char* param, const char* name) { return _mbsicmp(param, name) == 0; }

// The split into flags and ordinary arguments that command_line_info.h describes.
std::vector<std::pair<std::string, bool>> ClassifyArguments(const std::vector<std::string>& arguments) {
    std::vector<std::pair<std::string, bool>> result;
    bool flagsEnded = false;
    for (const std::string& argument : arguments) {
        if (flagsEnded || argument.size() < 2) {
            result.emplace_back(argument, false);
        } else if (argument == "--") {
            flagsEnded = true;
        } else if (argument[0] == '-') {
            result.emplace_back(argument.substr(1), true);
        } else if (argument[0] == '/' && IsLetterWord(argument.substr(1))) {
            struct stat status;
            const bool exists = ::stat(argument.c_str(), &status) == 0;
            result.emplace_back(exists ? argument : argument.substr(1), !exists);
        } else {
            result.emplace_back(argument, false);
        }
    }
    return result;
}

}  // namespace

namespace kiln {

std::vector<std::string> GetCommandLineArguments() {
    {
        std::lock_guard<std::mutex> lock(g_argumentsMutex);
        if (g_argumentsSet) return g_arguments;
    }
    return ProcessArguments();
}

void SetCommandLine(int argc, const char* const* argv) {
    std::lock_guard<std::mutex> lock(g_argumentsMutex);
    g_arguments.clear();
    g_argumentsSet = argc > 0;
    for (int i = 1; i < argc; ++i) g_arguments.emplace_back(argv[i]);
}

}  // namespace kiln

CCommandLineInfo::CCommandLineInfo() = default;

CCommandLineInfo::~CCommandLineInfo() = default;

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) {
    if (bFlag)
        ParseParamFlag(pszParam);
    else
        ParseParamNotFlag(pszParam);
    ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(const char* pszParam) {
    if (IsFlag(pszParam, "pt")) {
        m_nShellCommand = FilePrintTo;
    } else if (IsFlag(pszParam, "p")) {
        m_nShellCommand = FilePrint;
    } else if (IsFlag(pszParam, "dde")) {
        m_nShellCommand = FileDDE;
    } else if (IsFlag(pszParam, "Embedding")) {
        m_bRunEmbedded = TRUE;
        m_bShowSplash = FALSE;
    } else if (IsFlag(pszParam, "Automation")) {
        m_bRunAutomated = TRUE;
        m_bShowSplash = FALSE;
    } else if (IsFlag(pszParam, "Register") || IsFlag(pszParam, "Regserver")) {
        m_nShellCommand = AppRegister;
    } else if (IsFlag(pszParam, "Unregister") || IsFlag(pszParam, "Unregserver")) {
        m_nShellCommand = AppUnregister;
    }
}

void CCommandLineInfo::ParseParamNotFlag(const char* pszParam) {
    if (m_strFileName.IsEmpty())
        m_strFileName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.IsEmpty())
        m_strPrinterName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.IsEmpty())
        m_strDriverName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.IsEmpty())
        m_strPortName = pszParam;
}

void CCommandLineInfo::ParseLast(BOOL bLast) {
    if (bLast && m_nShellCommand == FileNew && !m_strFileName.IsEmpty()) m_nShellCommand = FileOpen;
    m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    const auto arguments = ClassifyArguments(kiln::GetCommandLineArguments());
    for (size_t i = 0; i < arguments.size(); ++i)
        rCmdInfo.ParseParam(arguments[i].first.c_str(), arguments[i].second, i + 1 == arguments.size());
}
