// A path a request names, against the launcher's root check, on a small tree
// of links: into the root, out of it (absolute and relative), dangling, a
// loop and "..". Bytes 0 to 15 stand for the tree's names, the others for
// themselves. Whatever the check accepts must lie inside the root with no
// link left in it, and must be what the kernel's own resolution gives: the
// realpath of the longest prefix it resolves, the plain names after it.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "frontend/root_paths.h"

namespace fs = std::filesystem;

namespace {

void makeTree(const std::string& base) {
    fs::create_directories(base + "/root/run.d");
    fs::create_directories(base + "/outside");
    writeFuzzFile(base + "/root/run.d/Analysis.mzML", "");
    writeFuzzFile(base + "/outside/secret", "");
    fs::create_directory_symlink("run.d", base + "/root/inside");
    fs::create_directory_symlink(base + "/outside", base + "/root/out");
    fs::create_directory_symlink("../outside", base + "/root/up");
    fs::create_directory_symlink(base + "/outside/later", base + "/root/later");
    fs::create_directory_symlink("loop", base + "/root/loop");
    fs::create_directory_symlink("..", base + "/root/back");
    fs::create_directory_symlink(base + "/root", base + "/rootlink");
}

// The names of an absolute path, "." and empty ones left out.
std::vector<std::string> names(const fs::path& path) {
    std::vector<std::string> parts;
    for (const fs::path& part : path.relative_path()) {
        if (!part.empty() && part != ".") parts.push_back(part.string());
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts, std::size_t count) {
    std::string path;
    for (std::size_t k = 0; k < count; ++k) path += "/" + parts[k];
    return path.empty() ? "/" : path;
}

using Answer = std::optional<std::string>;  // nothing: refused

// The kernel's answer, where it gives one; none where it stops at a link it
// cannot follow (dangling, a loop) or at a name too long for it.
std::optional<Answer> kernelResolution(const std::string& path) {
    if (path.size() >= PATH_MAX) return std::nullopt;
    const std::vector<std::string> parts = names(path);
    std::size_t resolved = parts.size();
    std::array<char, PATH_MAX> real{};
    while (::realpath(joined(parts, resolved).c_str(), real.data()) == nullptr) --resolved;
    const std::string base = std::string(real.data()) == "/" ? "" : real.data();
    if (resolved == parts.size()) return Answer(base.empty() ? "/" : base);
    struct stat status {};
    if (::stat(base.empty() ? "/" : base.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return Answer();
    if (::lstat((base + "/" + parts[resolved]).c_str(), &status) == 0 || errno != ENOENT) return std::nullopt;
    if (std::find(parts.begin() + static_cast<std::ptrdiff_t>(resolved), parts.end(), "..") != parts.end()) return Answer();
    std::string rest;
    for (std::size_t k = resolved; k < parts.size(); ++k) rest += "/" + parts[k];
    return Answer(base + rest);
}

bool noLinkIn(const fs::path& path) {
    fs::path prefix = "/";
    for (const std::string& part : names(path)) {
        std::error_code error;
        if (fs::is_symlink(fs::symlink_status(prefix /= part, error))) return false;
    }
    return true;
}

[[noreturn]] void finding(const char* what, const std::string& requested, const std::string& resolved) {
    std::fprintf(stderr, "%s: \"%s\" -> \"%s\"\n", what, requested.c_str(), resolved.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    static const std::string base = fs::canonical(fuzzFile("")).string() + "/tree";
    static const bool made = (makeTree(base), true);
    (void)made;
    static const std::array<std::string, 16> tokens = {
        "/", "..", ".", "run.d", "Analysis.mzML", "inside", "out", "up", "later", "loop", "back", "nonexist",
        "secret", base + "/", "root", "rootlink"};
    std::string requested;
    for (std::size_t k = 0; k < size; ++k) requested += data[k] < tokens.size() ? tokens[data[k]] : std::string(1, static_cast<char>(data[k]));

    const std::string root = base + "/root";
    const auto inside = [&](const std::string& path) { return path == root || path.rfind(root + "/", 0) == 0; };
    const std::optional<fs::path> resolved = resolveInsideRoot(root, requested);
    const bool plainText = !requested.empty() && std::none_of(requested.begin(), requested.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (resolved) {
        if (!plainText) finding("accepted a control character", requested, resolved->string());
        if (!inside(resolved->string())) finding("outside the root", requested, resolved->string());
        if (!noLinkIn(*resolved)) finding("a link left in", requested, resolved->string());
    }
    if (!plainText) return 0;
    const std::optional<Answer> kernel = kernelResolution(requested[0] == '/' ? requested : root + "/" + requested);
    if (!kernel) return 0;
    const bool kernelInside = *kernel && inside(**kernel);
    if (kernelInside != resolved.has_value()) finding("not the kernel's decision", requested, kernel->value_or("(refused)"));
    if (resolved && resolved->string() != **kernel) finding("not the kernel's resolution", requested, **kernel);
    return 0;
}
