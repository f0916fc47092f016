// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace kiln::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Host path of the folder (no trailing slash), and of a name inside it.
    const std::string& host() const { return m_host; }
    std::string host(const std::string& name) const { return m_host + "/" + name; }
    // The same as Windows paths (Z:\tmp\...), as the library takes them.
    std::string win() const;
    std::string win(const std::string& name) const;

    // Writes or reads a whole file (host path relative to the folder).
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string m_host;
};

}  // namespace kiln::test
