#include "platform/ui/special_folder.h"

#include <cstdlib>
#include <fstream>

#include <kiln/platform/ui/shell_folder.h>

namespace kiln {

namespace {

std::string Home() {
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? home : "/";
}

// An XDG base directory: the variable when it holds an absolute path, else home + fallback.
std::string BaseDirectory(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] == '/' ? value : Home() + fallback;
}

// XDG_<name>_DIR from user-dirs.dirs: a quoted "$HOME/..." or absolute path. Lines of other forms
// are passed over, as xdg-user-dirs itself does.
std::string UserDirectory(const std::string& name) {
    std::ifstream file(BaseDirectory("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
    const std::string key = "XDG_" + name + "_DIR=";
    std::string found;
    for (std::string line; std::getline(file, line);) {
        line.erase(0, line.find_first_not_of(" \t"));
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() < 2 || value.front() != '"' || value.find('"', 1) == std::string::npos) continue;
        value = value.substr(1, value.find('"', 1) - 1);
        if (value == "$HOME" || value.compare(0, 6, "$HOME/") == 0)
            found = Home() + value.substr(5);
        else if (!value.empty() && value[0] == '/')
            found = value;
    }
    if (!found.empty()) return found;
    return name == "DESKTOP" ? Home() + "/Desktop" : Home();
}

}  // namespace

bool SpecialFolderHostPath(int csidl, std::string& host) {
    switch (csidl & ~CSIDL_FLAG_MASK) {
    case CSIDL_DESKTOP:
    case CSIDL_DRIVES:
    case CSIDL_WINDOWS:
    case CSIDL_SYSTEM: host = "/"; return true;
    case CSIDL_DESKTOPDIRECTORY: host = UserDirectory("DESKTOP"); return true;
    case CSIDL_PERSONAL:
    case CSIDL_MYDOCUMENTS: host = UserDirectory("DOCUMENTS"); return true;
    case CSIDL_MYMUSIC: host = UserDirectory("MUSIC"); return true;
    case CSIDL_MYPICTURES: host = UserDirectory("PICTURES"); return true;
    case CSIDL_MYVIDEO: host = UserDirectory("VIDEOS"); return true;
    case CSIDL_TEMPLATES: host = UserDirectory("TEMPLATES"); return true;
    case CSIDL_COMMON_DOCUMENTS: host = UserDirectory("PUBLICSHARE"); return true;
    case CSIDL_PROFILE: host = Home(); return true;
    case CSIDL_APPDATA: host = BaseDirectory("XDG_CONFIG_HOME", "/.config"); return true;
    case CSIDL_LOCAL_APPDATA: host = BaseDirectory("XDG_DATA_HOME", "/.local/share"); return true;
    case CSIDL_INTERNET_CACHE: host = BaseDirectory("XDG_CACHE_HOME", "/.cache"); return true;
    case CSIDL_COMMON_APPDATA: host = "/usr/share"; return true;
    case CSIDL_COMMON_TEMPLATES: host = "/usr/share/templates"; return true;
    case CSIDL_FONTS: host = "/usr/share/fonts"; return true;
    default: return false;
    }
}

}  // namespace kiln
