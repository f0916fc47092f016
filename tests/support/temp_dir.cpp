#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kiln::test {

TempDir::TempDir() {
    std::string base = std::filesystem::temp_directory_path().string() + "/kiln-test-XXXXXX";
    char* made = mkdtemp(base.data());
    if (made == nullptr) throw std::runtime_error("cannot create a temporary folder");
    m_host = made;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_host, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_host, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_host, ec);
}

static std::string ToWin(const std::string& host) {
    std::string s = "Z:" + host;
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

std::string TempDir::win() const { return ToWin(m_host); }
std::string TempDir::win(const std::string& name) const { return ToWin(host(name)); }

void TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(host(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    if (!out) throw std::runtime_error("cannot write " + host(name));
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(host(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::Exists(const std::string& name) const { return std::filesystem::exists(host(name)); }

}  // namespace kiln::test
