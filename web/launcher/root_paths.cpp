#include "web/launcher/root_paths.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace {

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

}  // namespace

std::optional<fs::path> resolveInsideRoot(const fs::path& root, std::string_view requested) {
    if (requested.empty() || hasControlCharacter(requested)) return std::nullopt;
    std::error_code error;
    const fs::path canonicalRoot = fs::canonical(root, error);
    if (error) return std::nullopt;
    const fs::path asked(requested);
    const fs::path joined = asked.is_absolute() ? asked : canonicalRoot / asked;
    fs::path resolved = fs::weakly_canonical(joined, error);
    if (error) return std::nullopt;
    // weakly_canonical keeps the trailing separator of a folder path.
    if (!resolved.has_filename() && resolved.has_relative_path()) resolved = resolved.parent_path();
    if (!isWithin(canonicalRoot, resolved)) return std::nullopt;
    return resolved;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (hasControlCharacter(name)) return false;
    return name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos;
}
