// The shell's file-type entries of the document type, per user under
// HKEY_CURRENT_USER\Software\Classes (which HKEY_CLASSES_ROOT shows the user), and their removal
// together with the profile. A per-user program writes nothing machine-wide.
#include "platform/Win32.h"

#include <shellapi.h>

#include "DocTemplate.h"
#include "WinApp.h"

namespace {
const CString kUserClasses = "Software\\Classes\\";

// Sets a value of the user's class key (made when missing): the default value without valueName.
bool SetClassesValue(const CString& key, const CString& value, const char* valueName = nullptr,
                     DWORD type = REG_SZ) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, (kUserClasses + key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(hKey, valueName, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                 type == REG_NONE ? 0 : static_cast<DWORD>(value.size() + 1));
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS;
}

// The default value of key under root; empty when the key or value is missing.
CString GetClassesValue(HKEY root, const CString& key) {
    char buffer[MAX_PATH] = "";
    LONG size = sizeof buffer;
    if (RegQueryValueA(root, key.c_str(), buffer, &size) != ERROR_SUCCESS) return CString();
    return buffer;
}

// The class of an extension as the shell sees it for this user: the user's own first.
CString ExtensionClass(const CString& ext) {
    CString own = GetClassesValue(HKEY_CURRENT_USER, kUserClasses + ext);
    return own.empty() ? GetClassesValue(HKEY_CLASSES_ROOT, ext) : own;
}

// Deletes key with everything below it; true when it is gone.
bool DeleteKeyTree(HKEY hParent, const CString& key) {
    HKEY hKey = nullptr;
    LONG result = RegOpenKeyExA(hParent, key.c_str(), 0, KEY_READ | KEY_WRITE, &hKey);
    if (result == ERROR_FILE_NOT_FOUND) return true;
    if (result != ERROR_SUCCESS) return false;
    bool done = true;
    char name[256];
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(hKey, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteKeyTree(hKey, name)) {
            done = false;
            break;
        }
    }
    RegCloseKey(hKey);
    return RegDeleteKeyA(hParent, key.c_str()) == ERROR_SUCCESS && done;
}

// Deletes key when it holds neither values nor sub-keys.
void DeleteKeyIfEmpty(HKEY hParent, const CString& key) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hParent, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return;
    DWORD subKeys = 1, values = 1;
    RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(hKey);
    if (subKeys == 0 && values == 0) RegDeleteKeyA(hParent, key.c_str());
}

CString ModuleShortPath() {
    char path[MAX_PATH] = "";
    char shortPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    if (GetShortPathNameA(path, shortPath, sizeof shortPath) == 0) return path;
    return shortPath;
}
} // namespace

void CWinApp::RegisterShellFileTypes() {
    CSingleDocTemplate* pTemplate = GetDocTemplate();
    CString fileTypeId, fileTypeName, filterExt;
    if (pTemplate == nullptr || !pTemplate->GetDocString(fileTypeId, CSingleDocTemplate::regFileTypeId) ||
        fileTypeId.empty())
        return;
    pTemplate->GetDocString(fileTypeName, CSingleDocTemplate::regFileTypeName);
    pTemplate->GetDocString(filterExt, CSingleDocTemplate::filterExt);

    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    CString program = ModuleShortPath();
    bool hasDocIcon =
        reinterpret_cast<UINT_PTR>(ExtractIconA(m_hInstance, module, static_cast<UINT>(-1))) >= 2;

    // Each entry in order; the first that cannot be written stops the rest.
    const CString entries[][2] = {
        {fileTypeId, fileTypeName},
        {fileTypeId + "\\DefaultIcon", program + (hasDocIcon ? ",1" : ",0")},
        {fileTypeId + "\\shell\\open\\command", program + " \"%1\""},
        {fileTypeId + "\\shell\\print\\command", program + " /p \"%1\""},
        {fileTypeId + "\\shell\\printto\\command", program + " /pt \"%1\" \"%2\" \"%3\" \"%4\""},
    };
    for (const auto& entry : entries)
        if (!SetClassesValue(entry[0], entry[1])) return;

    // The program offers itself in the extension's "Open with" list; it claims the extension
    // only when no other class has it.
    if (filterExt.empty()) return;
    if (!SetClassesValue(filterExt + "\\OpenWithProgids", "", fileTypeId.c_str(), REG_NONE)) return;
    CString current = ExtensionClass(filterExt);
    if (!current.empty() && current != fileTypeId) return;
    if (!SetClassesValue(filterExt, fileTypeId)) return;
    SetClassesValue(filterExt + "\\ShellNew", "", "NullFile");
}

BOOL CWinApp::UnregisterShellFileTypes() {
    CSingleDocTemplate* pTemplate = GetDocTemplate();
    CString fileTypeId, filterExt;
    if (pTemplate == nullptr || !pTemplate->GetDocString(fileTypeId, CSingleDocTemplate::regFileTypeId) ||
        fileTypeId.empty())
        return TRUE;
    pTemplate->GetDocString(filterExt, CSingleDocTemplate::filterExt);
    bool done = DeleteKeyTree(HKEY_CURRENT_USER, kUserClasses + fileTypeId);
    if (filterExt.empty()) return done ? TRUE : FALSE;
    // Of the extension's key, only what is ours goes; the key itself when nothing else is left.
    CString extKey = kUserClasses + filterExt;
    LONG result = RegDeleteKeyValueA(HKEY_CURRENT_USER, (extKey + "\\OpenWithProgids").c_str(), fileTypeId.c_str());
    done = (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) && done;
    if (GetClassesValue(HKEY_CURRENT_USER, extKey) == fileTypeId) {
        done = DeleteKeyTree(HKEY_CURRENT_USER, extKey + "\\ShellNew") && done;
        result = RegDeleteKeyValueA(HKEY_CURRENT_USER, extKey.c_str(), nullptr);
        done = (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) && done;
    }
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, extKey + "\\OpenWithProgids");
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, extKey);
    return done ? TRUE : FALSE;
}

BOOL CWinApp::Unregister() {
    if (m_pszRegistryKey.empty()) return TRUE;
    CString company = "Software\\" + m_pszRegistryKey;
    bool done = DeleteKeyTree(HKEY_CURRENT_USER, company + "\\" + m_pszAppName);
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, company.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        DWORD subKeys = 0;
        RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(hKey);
        if (subKeys == 0) done = RegDeleteKeyA(HKEY_CURRENT_USER, company.c_str()) == ERROR_SUCCESS && done;
    }
    return done ? TRUE : FALSE;
}
