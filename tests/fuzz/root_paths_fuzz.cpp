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
#include "web/launcher/root_paths.h"

namespace fs = std::filesystem;

namespace {

void makeTree(const std::string& base) {
    fs::create_directories(base + "/root/run.d");
    fs::create_directories(base + "/outside");
    fs::create_directories(base + "/root2");
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

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (const std::string part = path.substr(start, end - start); !part.empty() && part != ".") parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts, std::size_t from, std::size_t to) {
    std::string path;
    for (std::size_t k = from; k < to; ++k) path += "/" + parts[k];
    return path;
}

// The kernel's answer, where it gives one: nullopt inside for a path it
// would refuse to walk, no answer at all where it stops at a link it cannot
// follow (dangling, a loop) or at a name too long for it.
std::optional<std::optional<std::string>> kernelResolution(const std::string& path) {
    if (path.size() >= PATH_MAX) return std::nullopt;
    const std::vector<std::string> parts = components(path);
    std::size_t resolvedParts = parts.size();
    std::array<char, PATH_MAX> real{};
    while (::realpath(resolvedParts == 0 ? "/" : joined(parts, 0, resolvedParts).c_str(), real.data()) == nullptr) {
        --resolvedParts;
    }
    const std::string base = std::string(real.data()) == "/" ? "" : real.data();
    if (resolvedParts == parts.size()) return std::optional<std::string>(base.empty() ? "/" : base);
    struct stat status {};
    if (::stat(base.empty() ? "/" : base.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return std::optional<std::optional<std::string>>(std::nullopt);
    }
    if (::lstat((base + "/" + parts[resolvedParts]).c_str(), &status) == 0 || errno != ENOENT) return std::nullopt;
    for (std::size_t k = resolvedParts; k < parts.size(); ++k) {
        if (parts[k] == "..") return std::optional<std::optional<std::string>>(std::nullopt);
    }
    return std::optional<std::string>(base + joined(parts, resolvedParts, parts.size()));
}

bool noLinkIn(const std::string& path) {
    const std::vector<std::string> parts = components(path);
    struct stat status {};
    for (std::size_t k = 1; k <= parts.size(); ++k) {
        if (::lstat(joined(parts, 0, k).c_str(), &status) != 0) return true;
        if (S_ISLNK(status.st_mode)) return false;
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
    static const std::array<std::string, 16> names = {"/",     "..",   ".",    "run.d",    "Analysis.mzML", "inside",
                                                      "out",   "up",   "later", "loop",    "back",          "nonexist",
                                                      "secret", base + "/", "root", "rootlink"};
    std::string requested;
    for (std::size_t k = 0; k < size; ++k) requested += data[k] < names.size() ? names[data[k]] : std::string(1, static_cast<char>(data[k]));

    const std::string root = base + "/root";
    const std::optional<fs::path> resolved = resolveInsideRoot(root, requested);
    const bool plainText = !requested.empty() && std::none_of(requested.begin(), requested.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (resolved) {
        const std::string path = resolved->string();
        if (!plainText) finding("accepted a control character", requested, path);
        if (path != root && path.rfind(root + "/", 0) != 0) finding("outside the root", requested, path);
        if (!noLinkIn(path)) finding("a link left in", requested, path);
    }
    if (!plainText) return 0;
    const auto kernel = kernelResolution(requested[0] == '/' ? requested : root + "/" + requested);
    if (!kernel) return 0;
    const bool kernelInside = *kernel && (**kernel == root || (*kernel)->rfind(root + "/", 0) == 0);
    if (kernelInside != resolved.has_value()) {
        finding(kernelInside ? "refused a path inside" : "accepted a path the kernel refuses", requested,
                kernel->value_or("(refused)"));
    }
    if (resolved && resolved->string() != **kernel) finding("not the kernel's resolution", requested, **kernel);
    return 0;
}
