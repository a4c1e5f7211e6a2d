#include "frontend/run_batch.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "platform/openformat/export_names.h"

namespace {

bool isUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || at + length > text.size()) return false;
        unsigned long code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next >> 6) != 0x2) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, UTF-16 surrogates and code points past Unicode's are no UTF-8.
        static constexpr unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        at += length;
    }
    return true;
}

}  // namespace

std::string runNameProblem(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return "its name cannot be a folder of its own";
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        return "its name holds a line break, a tab or another control character, which would split its rows";
    }
    if (!isUtf8(name)) return "its name is not UTF-8 text";
    return {};
}

std::string runProblem(std::string_view name, std::string_view dataPath) {
    if (std::string problem = runNameProblem(name); !problem.empty()) return problem;
    if (dataPath.find('\\') != std::string_view::npos) {
        return "its path holds a backslash, which the programs take for a folder separator (as Windows paths have it)";
    }
    // ".mzML" alone is no export of a run: the programs take it for a run folder.
    const std::string fileName = std::filesystem::path(dataPath).filename().string();
    if (!hasExportEnding(fileName) && hasExportEnding("x" + fileName)) {
        return "its file name is an export's ending alone, with no run name before it";
    }
    return {};
}

std::vector<std::string> batchProblems(const std::vector<CatalogRun>& runs, const std::string& folder) {
    std::map<std::string, int> named;
    for (const CatalogRun& run : runs) ++named[run.name];
    std::vector<std::string> problems;
    problems.reserve(runs.size());
    for (const CatalogRun& run : runs) {
        std::string problem = runProblem(run.name, run.path);
        if (problem.empty() && named[run.name] > 1) {
            problem = "another run of " + folder + " is named " + run.name +
                      " too, and the run name prefixes every peak list and log row";
        }
        problems.push_back(std::move(problem));
    }
    return problems;
}
