#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes. Files are read and written whole.
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Copies the shipped msparams_quarrow/ folder in, so that the folder can
    // serve as a program's working directory.
    void installParameterFiles() const;

private:
    std::string path_;
};

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
