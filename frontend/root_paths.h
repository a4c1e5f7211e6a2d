#pragma once
// Every path a request names must stay inside the root it belongs to, after
// "..", absolute paths and symbolic links have been resolved.
#include <filesystem>
#include <optional>
#include <string_view>

// The canonical form of `requested` when it lies inside `root` or is the root
// itself; relative paths start at the root. The path is resolved as the
// kernel resolves it, every link followed where it stands; the part below
// the first missing component (what a program creates) may hold only plain
// names. Nothing for a path the kernel could not walk.
std::optional<std::filesystem::path> resolveInsideRoot(const std::filesystem::path& root, std::string_view requested);
