#include "web/launcher/request_folder.h"

#include <system_error>

#include "core/util/text_path.h"
#include "frontend/root_paths.h"
#include "frontend/time_text.h"

namespace fs = std::filesystem;

std::optional<fs::path> makeRequestFolder(const fs::path& resultsRoot, const std::string& runName,
                                          std::chrono::system_clock::time_point when) {
    const std::string base = runName + "-" + timeText(when, TimeStyle::localStamp);
    // create_directory reports an existing folder, so two requests in the
    // same second never share one.
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const fs::path folder = resultsRoot / (attempt == 1 ? base : base + "-" + std::to_string(attempt));
        std::error_code error;
        if (fs::create_directory(folder, error)) return folder;
        if (error) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<fs::path> requestFolder(const fs::path& resultsRoot, const std::string& name) {
    if (!isPlainFileName(name)) return std::nullopt;
    const std::optional<fs::path> folder = resolveInsideRoot(resultsRoot, name);
    std::error_code error;
    if (!folder || !fs::is_directory(*folder, error) || *folder == resultsRoot) return std::nullopt;
    return folder;
}
