#include "web/launcher/result_files.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "web/launcher/html_text.h"

namespace fs = std::filesystem;

namespace {

template <typename Visit>
void forEachPeakList(const fs::path& folder, Visit visit) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".pkl" && it->is_regular_file(error)) visit(it->path());
    }
}

fs::file_time_type timeOf(const fs::path& file) {
    std::error_code error;
    return fs::last_write_time(file, error);
}

}  // namespace

PeakListSnapshot snapshotPeakLists(const fs::path& folder) {
    PeakListSnapshot snapshot;
    forEachPeakList(folder, [&](const fs::path& file) { snapshot[file.filename().string()] = timeOf(file); });
    return snapshot;
}

std::vector<fs::path> changedPeakLists(const fs::path& folder, const PeakListSnapshot& before) {
    std::vector<fs::path> changed;
    forEachPeakList(folder, [&](const fs::path& file) {
        const auto earlier = before.find(file.filename().string());
        if (earlier == before.end() || earlier->second != timeOf(file)) changed.push_back(file);
    });
    std::sort(changed.begin(), changed.end());
    return changed;
}

std::string resultUrl(const fs::path& resultsRoot, const fs::path& file) {
    return resultsUrlPrefix + percentEncode(file.lexically_relative(resultsRoot).generic_string(), true);
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
