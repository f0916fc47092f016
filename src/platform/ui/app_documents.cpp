// CWinApp's documents, its shell commands and its message loop.
#include <kiln/platform/ui/win_app.h>

#include <cstdlib>
#include <string>

#include <kiln/platform/runtime/system.h>
#include <kiln/platform/store/registry.h>
#include <kiln/platform/ui/command_line_info.h>
#include <kiln/platform/ui/doc_template.h>
#include <kiln/platform/ui/document.h>
#include <kiln/platform/ui/frame_wnd.h>
#include <kiln/platform/ui/recent_file_list.h>
#include <kiln/platform/ui/view.h>

#include "list_position.h"

namespace {

const char kClassesKey[] = "Software\\Classes";

LONG SetDefaultValue(const std::string& path, const std::string& value) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return result;
    result = RegSetValueExA(key, nullptr, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
    return result;
}

// Deletes the key and everything below it.
void DeleteTree(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    char name[256];
    while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) {
        const std::string child = path + "\\" + name;
        DeleteTree(parent, child);
        HKEY check = nullptr;
        if (RegOpenKeyExA(parent, child.c_str(), 0, KEY_READ, &check) == ERROR_SUCCESS) {
            RegCloseKey(check);
            break;  // could not be deleted: stop rather than loop
        }
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, path.c_str());
}

std::string ProgramPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

}  // namespace

void CWinApp::ReleaseFrameState() {
    for (CDocTemplate* docTemplate : m_templates) delete docTemplate;
    m_templates.clear();
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    std::free(const_cast<char*>(m_pszRegistryKey));
    std::free(const_cast<char*>(m_pszProfileName));
    m_pszRegistryKey = m_pszProfileName = nullptr;
}

int CWinApp::Run() {
    // Without a main window nothing could ever end the loop: it ends at once rather than wait.
    if (m_pMainWnd == nullptr) PostQuitMessage(0);
    return CWinThread::Run();
}

int CWinApp::ExitInstance() {
    SaveStdProfileSettings();
    return CWinThread::ExitInstance();
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
    pTemplate->LoadTemplate();
    m_templates.push_back(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const { return kiln::FirstPosition(m_templates); }

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const { return kiln::NextAt(m_templates, pos); }

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName) {
    if (lpszFileName == nullptr || m_templates.empty()) return nullptr;
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    for (CDocTemplate* docTemplate : m_templates) {
        CDocument* open = nullptr;
        const CDocTemplate::Confidence match = docTemplate->MatchDocType(lpszFileName, open);
        if (match == CDocTemplate::yesAlreadyOpen) {
            // The document is open already: bring its frame forward.
            POSITION pos = open->GetFirstViewPosition();
            if (CView* view = open->GetNextView(pos))
                if (CFrameWnd* frame = view->GetParentFrame()) frame->ActivateFrame();
            return open;
        }
        if (match > bestMatch) {
            bestMatch = match;
            best = docTemplate;
        }
    }
    return best != nullptr ? best->OpenDocumentFile(lpszFileName) : nullptr;
}

void CWinApp::OnFileNew() {
    if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

BOOL CWinApp::SaveAllModified() {
    for (CDocTemplate* docTemplate : m_templates)
        if (!docTemplate->SaveAllModified()) return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession) {
    for (CDocTemplate* docTemplate : m_templates) docTemplate->CloseAllDocuments(bEndSession);
}

void CWinApp::EnableShellOpen() { m_bShellOpen = TRUE; }

void CWinApp::RegisterShellFileTypes(BOOL bCompat) {
    const std::string program = "\"" + ProgramPath() + "\"";
    for (CDocTemplate* docTemplate : m_templates) {
        CString typeId, typeName, ext;
        if (!docTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId)) continue;
        docTemplate->GetDocString(typeName, CDocTemplate::regFileTypeName);
        const std::string type = std::string(kClassesKey) + "\\" + (LPCTSTR)typeId;
        SetDefaultValue(type, (LPCTSTR)typeName);
        SetDefaultValue(type + "\\shell\\open\\command", program + " \"%1\"");
        if (bCompat) {
            SetDefaultValue(type + "\\shell\\print\\command", program + " /p \"%1\"");
            SetDefaultValue(type + "\\shell\\printto\\command", program + " /pt \"%1\" \"%2\" \"%3\" \"%4\"");
        }
        if (docTemplate->GetDocString(ext, CDocTemplate::filterExt) && ext[0] == '.')
            SetDefaultValue(std::string(kClassesKey) + "\\" + (LPCTSTR)ext, (LPCTSTR)typeId);
    }
}

BOOL CWinApp::Unregister() {
    for (CDocTemplate* docTemplate : m_templates) {
        CString typeId, ext;
        if (!docTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId)) continue;
        DeleteTree(HKEY_CURRENT_USER, std::string(kClassesKey) + "\\" + (LPCTSTR)typeId);
        // The extension's key goes only while it still names this type.
        if (docTemplate->GetDocString(ext, CDocTemplate::filterExt)) {
            const std::string extKey = std::string(kClassesKey) + "\\" + (LPCTSTR)ext;
            char value[256] = "";
            DWORD size = sizeof value;
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, extKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
                const bool ours =
                    RegQueryValueExA(key, nullptr, nullptr, nullptr, (LPBYTE)value, &size) == ERROR_SUCCESS &&
                    typeId.Compare(value) == 0;
                RegCloseKey(key);
                if (ours) DeleteTree(HKEY_CURRENT_USER, extKey);
            }
        }
    }
    if (m_pszRegistryKey != nullptr && *m_pszRegistryKey != '\0' && m_pszProfileName != nullptr)
        DeleteTree(HKEY_CURRENT_USER, std::string("Software\\") + m_pszRegistryKey + "\\" + m_pszProfileName);
    return TRUE;
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr)) OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen: return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // There is no printer to print to: the document is opened hidden and the program ends, as
        // it does once printing is done.
        m_nCmdShow = 0;  // SW_HIDE
        if (OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr && m_pMainWnd != nullptr)
            m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
        return FALSE;
    case CCommandLineInfo::AppRegister: RegisterShellFileTypes(TRUE); return FALSE;
    case CCommandLineInfo::AppUnregister: Unregister(); return FALSE;
    default:
        // FileDDE waits for a conversation with the desktop that never comes here: nothing to do.
        return TRUE;
    }
}
