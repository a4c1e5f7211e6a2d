#include "frontend/root_paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The kernel gives up after this many links in one path (ELOOP).
constexpr int maxLinksFollowed = 40;

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Component by component, so that /data/root2 is not taken for a folder
// inside /data/root.
bool isWithin(const fs::path& root, const fs::path& candidate) {
    auto rootPart = root.begin();
    auto candidatePart = candidate.begin();
    for (; rootPart != root.end(); ++rootPart, ++candidatePart) {
        if (rootPart->empty()) continue;  // the empty name after a trailing separator
        if (candidatePart == candidate.end() || *candidatePart != *rootPart) return false;
    }
    return true;
}

void pushFront(std::deque<std::string>& pending, const fs::path& path) {
    std::vector<std::string> parts;
    for (const fs::path& part : path.relative_path()) parts.push_back(part.string());
    pending.insert(pending.begin(), parts.begin(), parts.end());
}

// Walks an absolute path the way the kernel does: one component at a time
// from "/", each link replaced by its target where it stands (so a ".."
// after a link leaves the link's target, not the link). Below the first
// component that does not exist the rest is what a program would create:
// plain names only, since the kernel cannot walk ".." out of a folder that
// is not there. Nothing when the kernel would fail: a loop of links, a
// component that cannot be examined, or a file with more path below it.
std::optional<fs::path> resolveAsTheKernelWould(const fs::path& path) {
    std::deque<std::string> pending;
    pushFront(pending, path);
    fs::path resolved = "/";
    bool isFolder = true;
    bool missing = false;
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.front());
        pending.pop_front();
        if (name.empty() || name == ".") continue;
        if (missing) {
            if (name == "..") return std::nullopt;
            resolved /= name;
            continue;
        }
        if (!isFolder) return std::nullopt;
        if (name == "..") {
            resolved = resolved.parent_path();
            continue;
        }
        const fs::path next = resolved / name;
        struct stat status {};
        if (::lstat(next.c_str(), &status) != 0) {
            if (errno != ENOENT) return std::nullopt;
            missing = true;
            resolved = next;
            continue;
        }
        if (S_ISLNK(status.st_mode)) {
            std::error_code error;
            const fs::path target = fs::read_symlink(next, error);
            if (error || ++links > maxLinksFollowed) return std::nullopt;
            if (target.is_absolute()) resolved = "/";
            pushFront(pending, target);
            continue;
        }
        resolved = next;
        isFolder = S_ISDIR(status.st_mode);
    }
    return resolved;
}

}  // namespace

std::optional<fs::path> resolveInsideRoot(const fs::path& root, std::string_view requested) {
    if (requested.empty() || hasControlCharacter(requested)) return std::nullopt;
    std::error_code error;
    const fs::path canonicalRoot = fs::canonical(root, error);
    if (error) return std::nullopt;
    const fs::path asked(requested);
    const std::optional<fs::path> resolved = resolveAsTheKernelWould(asked.is_absolute() ? asked : canonicalRoot / asked);
    if (!resolved || !isWithin(canonicalRoot, *resolved)) return std::nullopt;
    return resolved;
}
