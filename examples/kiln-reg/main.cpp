// kiln-reg: looks at and edits the registry hives that Kiln programs keep their settings in.
//
//   kiln-reg [--user | --machine] list [KEY] [-r]
//   kiln-reg [--user | --machine] get KEY [NAME]
//   kiln-reg [--user | --machine] set KEY NAME dword|sz|expand_sz|binary DATA
//   kiln-reg [--user | --machine] delete-value KEY NAME
//   kiln-reg [--user | --machine] delete-key KEY [-r]
//   kiln-reg [--user | --machine] where
//
// KEY is a path below the hive such as Software\Company\App (an empty KEY is the hive itself), or
// a full key as the Windows registry tools take it: HKCU\Software\..., HKEY_CURRENT_USER\...,
// HKLM\... or HKEY_LOCAL_MACHINE\... (the root's name in any case), which chooses the hive. A hive
// named both ways must be the same one. Commands that change a hive print the key they changed with
// its hive's name, so the output says which hive was used.
// Names are code page 932 in the hive; they are shown in the terminal's character set when they
// convert cleanly, and as their raw bytes otherwise. Arguments are converted the other way.
#include <iconv.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <kiln/kiln.h>
#include <kiln/platform/store/registry.h>
#include <kiln/settings/win_registry.h>

namespace {

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// Hive text (CP932) for the terminal.
std::string Show(const std::string& cp932) { return IsAscii(cp932) ? cp932 : kiln::ToUserCharset(cp932); }

// Terminal text for the hive.
std::string Take(const char* arg) {
    std::string in = arg, out;
    return IsAscii(in) || !kiln::FromUserCharset(in, out) ? in : out;
}

const char* ErrorText(LONG rc) {
    switch (rc) {
    case ERROR_FILE_NOT_FOUND: return "not found";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_INVALID_PARAMETER: return "invalid parameter";
    case ERROR_BAD_PATHNAME: return "bad key path";
    case ERROR_BUSY: return "the hive is busy";
    case ERROR_DISK_FULL: return "disk full";
    case ERROR_OUTOFMEMORY: return "out of memory";
    case ERROR_BADDB: return "the hive's file is damaged";
    case ERROR_CANTOPEN: return "the hive's file cannot be opened";
    case ERROR_CANTREAD: return "the hive's file cannot be read";
    case ERROR_CANTWRITE: return "the hive's file cannot be written";
    case ERROR_KEY_DELETED: return "the key was deleted";
    default: return "registry error";
    }
}

int Fail(const std::string& what, LONG rc) {
    fprintf(stderr, "kiln-reg: %s: %s (error %d)\n", Show(what).c_str(), ErrorText(rc), (int)rc);
    return 1;
}

const char* TypeName(DWORD type) {
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "REG_UNKNOWN";
    }
}

std::string Hex(const std::string& data) {
    std::string out;
    char byte[3];
    for (unsigned char c : data) {
        snprintf(byte, sizeof byte, "%02X", c);
        out += byte;
    }
    return out;
}

std::string Format(DWORD type, const std::string& data) {
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && !data.empty() && data.back() == '\0')
        return Show(data.substr(0, data.find('\0')));
    if (type == REG_DWORD && data.size() == 4) {
        DWORD v;
        memcpy(&v, data.data(), 4);
        char text[32];
        snprintf(text, sizeof text, "0x%08X (%u)", v, v);
        return text;
    }
    return Hex(data);
}

struct HiveName {
    const char* shortName;
    const char* longName;
    HKEY hive;
};
const HiveName kHives[] = {{"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                           {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}};

bool SameAsciiNoCase(const std::string& a, const char* b) {
    if (a.size() != strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && !(a[i] >= 'a' && a[i] <= 'z' && a[i] - 0x20 == b[i])) return false;
    return true;
}

struct Tool {
    HKEY hive = HKEY_CURRENT_USER;
    const char* hiveName = "HKEY_CURRENT_USER";
    bool hiveChosen = false;  // by --user or --machine

    // Takes a leading HKCU\, HKEY_LOCAL_MACHINE\, ... off key and chooses its hive; an error text
    // for a root that has no hive here or that contradicts the option given.
    const char* TakeRoot(std::string& key) {
        std::string first = key.substr(0, key.find('\\'));
        if (first.size() < 3 || !SameAsciiNoCase(first.substr(0, 2), "HK")) return nullptr;
        for (const HiveName& h : kHives) {
            if (!SameAsciiNoCase(first, h.shortName) && !SameAsciiNoCase(first, h.longName)) continue;
            if (hiveChosen && hive != h.hive) return "the key names another hive than the option";
            hive = h.hive;
            hiveName = h.longName;
            key.erase(0, first.size() < key.size() ? first.size() + 1 : first.size());
            return nullptr;
        }
        static const char* const otherRoots[] = {
            "HKCR", "HKU", "HKCC", "HKEY_CLASSES_ROOT", "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
        for (const char* root : otherRoots)
            if (SameAsciiNoCase(first, root)) return "only HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE exist";
        return nullptr;
    }

    int Changed(const std::string& path, const std::string& name = std::string()) const {
        printf("%s\n", Show(name.empty() ? Title(path) : Title(path) + "\\" + name).c_str());
        return 0;
    }

    std::string Title(const std::string& path) const {
        return path.empty() ? hiveName : hiveName + ("\\" + path);
    }

    // A registry is at most 512 levels deep: a deeper tree is a damaged store whose keys loop.
    int List(HKEY key, const std::string& path, bool recursive, unsigned depth = 0) {
        if (depth == 512) return Fail(Title(path), ERROR_BADDB);
        printf("%s\n", Show(Title(path)).c_str());
        char name[1024];
        std::vector<char> data;
        for (DWORD i = 0;; ++i) {
            DWORD cch = sizeof name, type = 0, size = 0;
            LONG rc = RegEnumValueA(key, i, name, &cch, nullptr, &type, nullptr, &size);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS) return Fail(Title(path), rc);
            data.resize(size + 1);
            rc = RegQueryValueExA(key, name, nullptr, &type, (BYTE*)data.data(), &size);
            if (rc != ERROR_SUCCESS) return Fail(Title(path), rc);
            std::string shown = cch == 0 ? "(Default)" : Show(name);
            printf("    %s    %s    %s\n", shown.c_str(), TypeName(type),
                   Format(type, std::string(data.data(), size)).c_str());
        }
        std::vector<std::string> subkeys;
        for (DWORD i = 0;; ++i) {
            LONG rc = RegEnumKeyA(key, i, name, sizeof name);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS) return Fail(Title(path), rc);
            subkeys.emplace_back(name);
        }
        if (!recursive) {
            for (const auto& s : subkeys)
                printf("%s\n", Show(Title(path.empty() ? s : path + "\\" + s)).c_str());
            return 0;
        }
        for (const auto& s : subkeys) {
            printf("\n");
            HKEY sub = nullptr;
            LONG rc = RegOpenKeyExA(key, s.c_str(), 0, KEY_READ, &sub);
            if (rc != ERROR_SUCCESS) return Fail(Title(path + "\\" + s), rc);
            int result = List(sub, path.empty() ? s : path + "\\" + s, true, depth + 1);
            RegCloseKey(sub);
            if (result != 0) return result;
        }
        return 0;
    }

    int Get(const std::string& path, const char* name) {
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key);
        if (rc != ERROR_SUCCESS) return Fail(Title(path), rc);
        DWORD type = 0, size = 0;
        rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        std::string data(size, '\0');
        if (rc == ERROR_SUCCESS) rc = RegQueryValueExA(key, name, nullptr, &type, (BYTE*)data.data(), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) return Fail(Title(path) + "\\" + (name[0] ? name : "(Default)"), rc);
        printf("%s\n", Format(type, data.substr(0, size)).c_str());
        return 0;
    }

    // text is already code page 932.
    int Set(const std::string& path, const std::string& name, const std::string& type,
            const std::string& value) {
        const char* text = value.c_str();
        std::string data;
        DWORD regType;
        if (type == "dword") {
            char* end = nullptr;
            errno = 0;
            unsigned long long v = strtoull(text, &end, 0);
            if (*text == '\0' || *end != '\0' || errno != 0 || v > 0xFFFFFFFFull)
                return Usage("not a 32-bit number");
            DWORD d = (DWORD)v;
            data.assign((const char*)&d, 4);
            regType = REG_DWORD;
        } else if (type == "sz" || type == "expand_sz") {
            data = value;
            data += '\0';
            regType = type == "sz" ? REG_SZ : REG_EXPAND_SZ;
        } else if (type == "binary") {
            std::string digits;
            for (const char* p = text; *p; ++p)
                if (*p != ' ' && *p != ':') digits += *p;
            if (digits.size() % 2 != 0 ||
                digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return Usage("binary data is pairs of hexadecimal digits");
            for (size_t i = 0; i < digits.size(); i += 2)
                data += (char)strtoul(digits.substr(i, 2).c_str(), nullptr, 16);
            regType = REG_BINARY;
        } else {
            return Usage("the type is dword, sz, expand_sz or binary");
        }
        HKEY key = nullptr;
        LONG rc = RegCreateKeyExA(hive, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                  &key, nullptr);
        if (rc != ERROR_SUCCESS) return Fail(Title(path), rc);
        rc = RegSetValueExA(key, name.c_str(), 0, regType, (const BYTE*)data.data(), (DWORD)data.size());
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? Changed(path, name) : Fail(Title(path) + "\\" + name, rc);
    }

    int DeleteValue(const std::string& path, const std::string& name) {
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExA(hive, path.c_str(), 0, KEY_SET_VALUE, &key);
        if (rc != ERROR_SUCCESS) return Fail(Title(path), rc);
        rc = RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? Changed(path, name) : Fail(Title(path) + "\\" + name, rc);
    }

    int DeleteKey(const std::string& path, bool recursive) {
        if (path.empty()) return Usage("the hive itself cannot be deleted");
        CWinRegistry reg(0, nullptr);
        LONG rc = recursive ? reg.DelRegTree(hive, path.c_str()) : RegDeleteKeyA(hive, path.c_str());
        if (rc == ERROR_ACCESS_DENIED && !recursive) {
            fprintf(stderr, "kiln-reg: %s: access denied; a key with subkeys needs -r\n",
                    Show(Title(path)).c_str());
            return 1;
        }
        return rc == ERROR_SUCCESS ? Changed(path) : Fail(Title(path), rc);
    }

    static int Usage(const char* problem) {
        fprintf(stderr, "kiln-reg: %s\n", problem);
        PrintUsage(stderr);
        return 2;
    }

    static void PrintUsage(FILE* out) {
        fprintf(
            out,
            "usage: kiln-reg [--user | --machine] list [KEY] [-r]\n"
            "       kiln-reg [--user | --machine] get KEY [NAME]\n"
            "       kiln-reg [--user | --machine] set KEY NAME dword|sz|expand_sz|binary DATA\n"
            "       kiln-reg [--user | --machine] delete-value KEY NAME\n"
            "       kiln-reg [--user | --machine] delete-key KEY [-r]\n"
            "       kiln-reg [--user | --machine] where\n"
            "KEY is a path such as Software\\Company\\App, or HKCU\\..., HKLM\\..., HKEY_CURRENT_USER\\...,\n"
            "HKEY_LOCAL_MACHINE\\...; --user (HKEY_CURRENT_USER) is the default.\n");
    }
};

}  // namespace

int main(int argc, char** argv) {
    setlocale(LC_ALL, "");
    Tool tool;
    std::vector<std::string> args;
    bool recursive = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--user") {
            tool.hive = HKEY_CURRENT_USER;
            tool.hiveName = "HKEY_CURRENT_USER";
            tool.hiveChosen = true;
        } else if (a == "--machine") {
            tool.hive = HKEY_LOCAL_MACHINE;
            tool.hiveName = "HKEY_LOCAL_MACHINE";
            tool.hiveChosen = true;
        } else if (a == "-r" || a == "--recursive") {
            recursive = true;
        } else if (a == "-h" || a == "--help") {
            Tool::PrintUsage(stdout);
            return 0;
        } else {
            args.push_back(Take(argv[i]));
        }
    }
    if (args.empty()) return Tool::Usage("no command");
    const std::string& command = args[0];
    size_t n = args.size();
    if (n >= 2 && command != "where") {
        if (const char* problem = tool.TakeRoot(args[1])) return Tool::Usage(problem);
    }
    if (command == "where" && n == 1) {
        printf("%s\n", kiln::RegistryHivePath(tool.hive).c_str());
        return 0;
    }
    if (command == "list" && n <= 2) {
        std::string path = n == 2 ? args[1] : std::string();
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExA(tool.hive, path.c_str(), 0, KEY_READ, &key);
        if (rc != ERROR_SUCCESS) return Fail(tool.Title(path), rc);
        int result = tool.List(key, path, recursive);
        RegCloseKey(key);
        return result;
    }
    if (command == "get" && (n == 2 || n == 3)) return tool.Get(args[1], n == 3 ? args[2].c_str() : "");
    if (command == "set" && n == 5) return tool.Set(args[1], args[2], args[3], args[4]);
    if (command == "delete-value" && n == 3) return tool.DeleteValue(args[1], args[2]);
    if (command == "delete-key" && n == 2) return tool.DeleteKey(args[1], recursive);
    return Tool::Usage("unknown command or wrong number of arguments");
}
