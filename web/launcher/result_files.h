#pragma once
// The files a run leaves under the results root and the links to them,
// served as text under /results/.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

inline constexpr const char* resultsUrlPrefix = "/results/";

// The modification time of every file in a folder, taken before a run, so
// that afterwards the files of this run can be told from earlier ones (a
// folder the request names may hold other runs' peak lists).
using FolderSnapshot = std::map<std::string, std::filesystem::file_time_type>;
FolderSnapshot snapshotFolder(const std::filesystem::path& folder);
// The files that are new or changed since `before`, by name.
std::vector<std::filesystem::path> changedFiles(const std::filesystem::path& folder, const FolderSnapshot& before);

std::string resultUrl(const std::filesystem::path& resultsRoot, const std::filesystem::path& file);
// The page of one request, and the archive of its files.
std::string requestUrl(const std::string& requestName);
std::string archiveUrl(const std::string& requestName);

std::uintmax_t sizeOrZero(const std::filesystem::path& file);
// The bytes from `offset` to the end, at most `limit` of them.
std::string readTail(const std::filesystem::path& file, std::uintmax_t offset, std::size_t limit);
