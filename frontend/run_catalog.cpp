#include "frontend/run_catalog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>

#include "core/util/text_path.h"
#include "frontend/root_paths.h"
#include "platform/analyst/wiff_exports.h"
#include "platform/msanalysis/ms_analysis.h"
#include "platform/openformat/export_names.h"
#include "platform/openformat/xml_pull.h"

namespace fs = std::filesystem;

namespace {

// The converter writes the sample and the first spectrum ids well within this.
constexpr std::size_t headBytes = 256 * 1024;

bool isWiffFile(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wiff";
}

// The first bytes of an export, inflated when it is gzip-compressed; none
// for anything but a regular file, which is never opened: a FIFO would
// block the search until something wrote to it.
std::string headOf(const fs::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return {};
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return {};
    }
    gzFile stream = gzdopen(descriptor, "rb");
    if (stream == nullptr) {
        ::close(descriptor);
        return {};
    }
    std::string head(headBytes, '\0');
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

// "sample=1 period=1 cycle=96 experiment=2", as the converter writes a
// .wiff file's spectrum ids.
bool isWiffNativeId(std::string_view id) {
    std::size_t end = afterNumber(id, 0, "sample=");
    for (const std::string_view next : {" period=", " cycle=", " experiment="}) {
        if (end != std::string_view::npos) end = afterNumber(id, end, next);
    }
    return end != std::string_view::npos;
}

// What the head of an export says of the run it came from, read as XML:
// the name of its first sample and whether its first spectrum's id is a
// .wiff file's.
struct ExportHead {
    std::optional<std::string> sampleName;
    bool wiffIds = false;
};

ExportHead readHead(std::string_view head) {
    ExportHead found;
    XmlPull pull(head);
    for (XmlTag tag; pull.next(tag);) {
        if (tag.closing) continue;
        if (tag.name == "sample" && !found.sampleName) {
            if (const std::optional<std::string_view> raw = xmlAttribute(tag.attributes, "name")) {
                found.sampleName = xmlAttributeValue(*raw);
            }
        } else if (tag.name == "spectrum") {
            const std::optional<std::string_view> raw = xmlAttribute(tag.attributes, "id");
            const std::optional<std::string> id = raw ? xmlAttributeValue(*raw) : std::nullopt;
            found.wiffIds = id && isWiffNativeId(*id);
            break;
        }
    }
    return found;
}

// The .wiff run an export stands for by its spectrum ids: the converter
// names a single sample's export RUN.mzML and the others RUN-<sample name>.mzML.
std::optional<std::string> sciexRunOf(const fs::path& file, const std::string& base) {
    const ExportHead head = readHead(headOf(file));
    if (!head.wiffIds) return std::nullopt;
    if (head.sampleName) {
        const std::string suffix = "-" + *head.sampleName;
        if (base.size() > suffix.size() && base.ends_with(suffix)) return base.substr(0, base.size() - suffix.size());
    }
    return base;
}

// What an entry of a searched folder is, links followed; an entry that
// cannot be reached (a dangling link, a loop of links) is nothing.
enum class EntryKind { nothing, folder, file, other };

EntryKind kindOf(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return EntryKind::nothing;
    if (S_ISDIR(status.st_mode)) return EntryKind::folder;
    return S_ISREG(status.st_mode) ? EntryKind::file : EntryKind::other;
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
            const EntryKind kind = kindOf(path);
            std::error_code linkError;
            if (entry.is_symlink(linkError)) {
                const std::optional<fs::path> target = resolveInsideRoot(root_, relative.string());
                if (!target) continue;
                // A folder inside is searched where it lies, once: a link to
                // it (or to a folder above it, a loop) would list its runs
                // again. A link named as a run folder is that run.
                if (kind == EntryKind::folder && !isRunFolderName(path.filename().string())) continue;
            }
            if (kind == EntryKind::folder) {
                if (isRunFolderName(path.filename().string())) {
                    if (findAnalysisExport(path)) add(Program::yepharvest, relative / "Analysis.yep", relative);
                } else if (depth + 1 < scope_.maxDepth) {
                    walk(path, depth + 1);
                }
            } else if (kind != EntryKind::file) {
                continue;  // a FIFO, a device or a socket holds no run, and is never opened
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

bool isRunFolderName(std::string_view name) { return name.size() > 2 && endsWithIgnoringCase(name, ".d"); }

std::optional<CatalogRun> runOfNamedPath(const fs::path& named) {
    const fs::path path = named.has_filename() ? named : named.parent_path();
    const std::string fileName = path.filename().string();
    CatalogRun run{.name = "", .program = Program::yepharvest, .path = path.string(), .source = named.string()};
    if (fileName.ends_with(".wiff")) {
        run.program = Program::wiffharvest;
    } else if (isRunFolderName(fileName)) {
        run.path = (path / "Analysis.yep").string();
    } else if (isRunFolderName(path.parent_path().filename().string()) &&
               (equalsIgnoringCase(fileName, "Analysis.yep") ||
                (hasExportEnding(fileName) && equalsIgnoringCase(exportBaseName(fileName), "Analysis")))) {
        // The run folder's own export is the run folder's run.
        run.path = (path.parent_path() / "Analysis.yep").string();
    } else if (hasExportEnding(fileName)) {
        if (const std::optional<CatalogRun> wiff = wiffRunOfExport(path)) {
            run.program = Program::wiffharvest;
            run.path = (path.parent_path() / wiff->path).string();
        }
    } else if (kindOf(path) == EntryKind::folder) {
        return std::nullopt;
    }
    run.name = runNameOfDataFile(run.path);
    return run;
}

std::optional<std::string> missingRun(Program program, const fs::path& dataFile, const fs::path& shownFrom,
                                      const std::string& where) {
    const auto shown = [&](const fs::path& path) {
        return shownFrom.empty() ? path.string() : path.lexically_relative(shownFrom).generic_string();
    };
    if (program == Program::wiffharvest) {
        if (!findWiffExports(dataFile.string()).files.empty()) return std::nullopt;
        const std::string run = dataFile.stem().string();
        return "no export of it lies beside it" + where + " (" + run + ".mzML, " + run + ".mzXML, " + run +
               "-<sample>.mzML or " + run + "-<sample>.mzXML, each also with .gz).";
    }
    fs::path file = dataFile;
    if (!hasExportEnding(dataFile.filename().string()) && dataFile.filename() == "Analysis.yep") {
        const fs::path folder = dataFile.parent_path();
        const std::string folderText = shown(folder);
        if (kindOf(folder) != EntryKind::folder) return "there is no run folder " + folderText + where + ".";
        const std::optional<fs::path> found = findAnalysisExport(folder);
        if (!found) {
            return (folderText == "." ? std::string("the data root") : "the run folder " + folderText) +
                   " holds no run export (Analysis.mzML, Analysis.mzXML, or either with .gz).";
        }
        file = *found;
    }
    // Never opened to find out: a FIFO would hold the call until something wrote to it.
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return "there is no such file" + where + ".";
        return shown(file) + " cannot be reached: " + std::strerror(errno) + ".";
    }
    if (!S_ISREG(status.st_mode)) {
        return shown(file) + " is not a regular file (" + (S_ISDIR(status.st_mode) ? "a folder" : "a FIFO, a device or a socket") +
               "), which no program reads.";
    }
    if (::access(file.c_str(), R_OK) != 0) return shown(file) + " cannot be read: " + std::strerror(errno) + ".";
    return std::nullopt;
}

std::vector<fs::path> runInputs(Program program, const fs::path& dataFile) {
    std::vector<fs::path> inputs = {dataFile};
    if (program == Program::wiffharvest) {
        for (const std::string& file : findWiffExports(dataFile.string()).files) inputs.emplace_back(file);
    } else if (dataFile.filename() == "Analysis.yep") {
        inputs.push_back(dataFile.parent_path());
    }
    return inputs;
}
