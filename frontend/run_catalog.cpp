#include "frontend/run_catalog.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>

#include "platform/analyst/wiff_exports.h"
#include "platform/openformat/export_names.h"
#include "frontend/root_paths.h"

namespace fs = std::filesystem;

namespace {

// The converter writes the sample and the first spectrum ids well within this.
constexpr std::size_t headBytes = 256 * 1024;

bool holdsAnalysisExport(const fs::path& folder) {
    std::error_code error;
    for (const char* name : {"Analysis.mzML", "Analysis.mzXML", "Analysis.mzML.gz", "Analysis.mzXML.gz"}) {
        if (fs::is_regular_file(folder / name, error)) return true;
    }
    return false;
}

bool isWiffFile(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wiff";
}

// The first bytes of an export, inflated when it is gzip-compressed.
std::string headOf(const fs::path& file) {
    std::string head(headBytes, '\0');
    gzFile stream = gzopen(file.c_str(), "rb");
    if (stream == nullptr) return {};
    const int got = gzread(stream, head.data(), static_cast<unsigned>(head.size()));
    gzclose(stream);
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return head;
}

// "<word>=<digits>" at `at`; the position after the digits, or npos.
std::size_t afterNumber(std::string_view text, std::size_t at, std::string_view word) {
    if (text.substr(at, word.size()) != word) return std::string_view::npos;
    std::size_t end = at + word.size();
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    return end > at + word.size() ? end : std::string_view::npos;
}

bool holdsWiffNativeId(std::string_view head) {
    for (std::size_t at = head.find("sample="); at != std::string_view::npos; at = head.find("sample=", at + 1)) {
        std::size_t end = afterNumber(head, at, "sample=");
        for (const std::string_view next : {" period=", " cycle=", " experiment="}) {
            if (end != std::string_view::npos) end = afterNumber(head, end, next);
        }
        if (end != std::string_view::npos) return true;
    }
    return false;
}

// The name attribute of the first <sample> element.
std::optional<std::string> sampleName(std::string_view head) {
    for (std::size_t at = head.find("<sample"); at != std::string_view::npos; at = head.find("<sample", at + 1)) {
        const std::size_t after = at + 7;
        if (after >= head.size() || (head[after] != ' ' && head[after] != '\t' && head[after] != '\n')) continue;
        const std::string_view tag = head.substr(at, head.find('>', at) - at);
        for (std::size_t name = tag.find("name=\""); name != std::string_view::npos; name = tag.find("name=\"", name + 1)) {
            if (!std::isspace(static_cast<unsigned char>(tag[name - 1]))) continue;
            const std::size_t start = name + 6;
            const std::size_t end = tag.find('"', start);
            if (end != std::string_view::npos) return std::string(tag.substr(start, end - start));
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// The .wiff run an export stands for by its spectrum ids: the converter
// names a single sample's export RUN.mzML and the others RUN-<sample name>.mzML.
std::optional<std::string> sciexRunOf(const fs::path& file, const std::string& base) {
    const std::string head = headOf(file);
    if (!holdsWiffNativeId(head)) return std::nullopt;
    if (const std::optional<std::string> sample = sampleName(head)) {
        const std::string suffix = "-" + *sample;
        if (base.size() > suffix.size() && base.ends_with(suffix)) return base.substr(0, base.size() - suffix.size());
    }
    return base;
}

class Search {
public:
    Search(const fs::path& root, const CatalogScope& scope) : root_(root), scope_(scope) {}

    // Throws when the folder at the top cannot be read; below it, a folder
    // that cannot be read holds no runs.
    void walk(const fs::path& folder, int depth) {
        std::vector<fs::directory_entry> entries;
        std::error_code error;
        fs::directory_iterator it = depth == 0 ? fs::directory_iterator(folder)
                                               : fs::directory_iterator(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error)) entries.push_back(*it);
        std::sort(entries.begin(), entries.end());
        std::set<std::string> wiffRuns;
        std::vector<fs::path> exports;
        for (const fs::directory_entry& entry : entries) {
            if (full()) return;
            const fs::path& path = entry.path();
            const fs::path relative = path.lexically_relative(root_);
            std::error_code kindError;
            if (entry.is_symlink(kindError) && !resolveInsideRoot(root_, relative.string())) continue;
            if (entry.is_directory(kindError)) {
                if (path.extension() == ".d") {
                    if (holdsAnalysisExport(path)) add(Program::yepharvest, relative / "Analysis.yep", relative);
                } else if (depth + 1 < scope_.maxDepth) {
                    walk(path, depth + 1);
                }
            } else if (isWiffFile(path)) {
                wiffRuns.insert(path.stem().string());
                add(Program::wiffharvest, relative, relative);
            } else if (hasExportEnding(path.filename().string())) {
                exports.push_back(path);
            }
        }
        for (const fs::path& path : exports) {
            if (full()) return;
            const std::string base = exportBaseName(path.filename().string());
            // wiffharvest reads every export named RUN or RUN-<x> beside RUN.wiff.
            const bool besideWiff = std::any_of(wiffRuns.begin(), wiffRuns.end(), [&](const std::string& run) {
                return base == run || base.starts_with(run + "-");
            });
            if (besideWiff) continue;
            const fs::path relative = path.lexically_relative(root_);
            if (const std::optional<std::string> sciexRun = sciexRunOf(path, base)) {
                add(Program::wiffharvest, relative.parent_path() / (*sciexRun + ".wiff"), relative);
            } else {
                add(Program::yepharvest, relative, relative);
            }
        }
    }

    std::vector<CatalogRun> runs() const {
        std::vector<CatalogRun> found;
        found.reserve(runs_.size());
        for (const auto& [path, run] : runs_) found.push_back(run);
        return found;
    }

private:
    bool full() const { return runs_.size() >= scope_.maxRuns; }

    // The exports of one .wiff file all stand for it: the first (in name
    // order) is the one the user recognises it by.
    void add(Program program, const fs::path& path, const fs::path& source) {
        const std::string key = path.generic_string();
        if (runs_.contains(key)) return;
        runs_.emplace(key, CatalogRun{runNameOfDataFile(key), program, key, source.generic_string()});
    }

    fs::path root_;
    CatalogScope scope_;
    std::map<std::string, CatalogRun> runs_;
};

}  // namespace

std::vector<CatalogRun> catalogRuns(const fs::path& folder, const CatalogScope& scope) {
    Search search(folder, scope);
    if (scope.maxDepth > 0) search.walk(folder, 0);
    return search.runs();
}

std::optional<CatalogRun> wiffRunOfExport(const fs::path& exportPath) {
    std::vector<CatalogRun> runs;
    try {
        runs = catalogRuns(exportPath.parent_path(), CatalogScope{.maxDepth = 1});
    } catch (const fs::filesystem_error&) {
        return std::nullopt;  // the program says what is wrong with the folder
    }
    for (const CatalogRun& run : runs) {
        if (run.program != Program::wiffharvest) continue;
        const std::vector<std::string> exports = findWiffExports((exportPath.parent_path() / run.path).string()).files;
        for (const std::string& file : exports) {
            if (fs::path(file).filename() == exportPath.filename()) return run;
        }
    }
    return std::nullopt;
}

std::vector<CatalogRun> pickerRuns(const fs::path& dataRoot, Program program) {
    std::vector<CatalogRun> runs;
    try {
        runs = catalogRuns(dataRoot, CatalogScope{.maxDepth = 5, .maxRuns = 2000});
    } catch (const fs::filesystem_error&) {
        return {};
    }
    std::erase_if(runs, [&](const CatalogRun& run) { return run.program != program; });
    return runs;
}

std::vector<std::string> findRuns(const fs::path& dataRoot, Program program) {
    std::vector<std::string> paths;
    for (const CatalogRun& run : pickerRuns(dataRoot, program)) paths.push_back(run.path);
    return paths;
}
