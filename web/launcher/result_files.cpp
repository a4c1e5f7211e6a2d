#include "web/launcher/result_files.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "core/util/cgi_query.h"

namespace fs = std::filesystem;

namespace {

template <typename Visit>
void forEachFile(const fs::path& folder, Visit visit) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (it->is_regular_file(kindError)) visit(it->path());
    }
}

fs::file_time_type timeOf(const fs::path& file) {
    std::error_code error;
    return fs::last_write_time(file, error);
}

}  // namespace

FolderSnapshot snapshotFolder(const fs::path& folder) {
    FolderSnapshot snapshot;
    forEachFile(folder, [&](const fs::path& file) { snapshot[file.filename().string()] = timeOf(file); });
    return snapshot;
}

std::vector<fs::path> changedFiles(const fs::path& folder, const FolderSnapshot& before) {
    std::vector<fs::path> changed;
    forEachFile(folder, [&](const fs::path& file) {
        const auto earlier = before.find(file.filename().string());
        if (earlier == before.end() || earlier->second != timeOf(file)) changed.push_back(file);
    });
    std::sort(changed.begin(), changed.end());
    return changed;
}

std::string resultUrl(const fs::path& resultsRoot, const fs::path& file) {
    return resultsUrlPrefix + percentEncode(file.lexically_relative(resultsRoot).generic_string());
}

std::string requestUrl(const std::string& requestName) {
    return "/cgi-bin/results?" + formatQueryString({{"request", requestName}});
}

std::string archiveUrl(const std::string& requestName) {
    return "/cgi-bin/results?" + formatQueryString({{"archive", requestName}});
}

std::uintmax_t sizeOrZero(const fs::path& file) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    return error ? 0 : size;
}

std::string readTail(const fs::path& file, std::uintmax_t offset, std::size_t limit) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return {};
    stream.seekg(static_cast<std::streamoff>(offset));
    std::string text(limit, '\0');
    stream.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(stream.gcount()));
    return text;
}
