#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/util/fatal_error.h"

namespace {

std::string& folder() {
    static std::string path;
    return path;
}

[[noreturn]] void throwFatalError(const PageHtml&) { throw FatalErrorReached{}; }

}  // namespace

void fuzzInitialise() {
    if (!folder().empty()) return;
    setErrorPrinter(throwFatalError);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    std::string pattern = (std::filesystem::temp_directory_path() / "quarrow-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder() = pattern;
    std::filesystem::copy(QUARROW_SOURCE_DIR "/msparams_quarrow", folder() + "/msparams_quarrow",
                          std::filesystem::copy_options::recursive);
    if (::chdir(folder().c_str()) != 0) std::abort();
    // The folder goes when the fuzzing process ends normally.
    std::atexit([] { std::filesystem::remove_all(folder()); });
}

std::string fuzzFile(const std::string& name) { return folder() + "/" + name; }

void writeFuzzFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) std::abort();
}
