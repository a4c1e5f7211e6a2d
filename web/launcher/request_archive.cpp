#include "web/launcher/request_archive.h"

#include <fcntl.h>
#include <unistd.h>

#include <iostream>
#include <set>
#include <system_error>

#include "web/launcher/page_frame.h"
#include "frontend/program_run.h"
#include "web/launcher/request_folder.h"
#include "web/launcher/request_record.h"
#include "frontend/root_paths.h"

namespace fs = std::filesystem;

namespace {

// The archive's paths, relative to the results root: every file of the
// request folder, then the files the run wrote elsewhere, each checked
// against the root where it is now.
std::set<std::string> archivedFiles(const fs::path& root, const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (it->is_regular_file(kindError) && !it->is_symlink(kindError)) {
            names.insert(it->path().lexically_relative(root).generic_string());
        }
    }
    for (const fs::path& written : readFileList(folder)) {
        const std::optional<fs::path> file = resolveInsideRoot(root, written.string());
        std::error_code kindError;
        if (file && fs::is_regular_file(*file, kindError)) names.insert(file->lexically_relative(root).generic_string());
    }
    return names;
}

}  // namespace

int sendArchive(const LaunchConfig& config, const std::string& requestName) {
    const std::optional<fs::path> folder = requestFolder(config.roots.results, requestName);
    if (!folder) {
        std::cout << errorResponse(404, "Results", "There is no request \"" + requestName + "\" under the results root.")
                  << std::flush;
        return 0;
    }
    std::string list;
    for (const std::string& name : archivedFiles(config.roots.results, *folder)) list += name + '\0';
    // The folder's name is made of plain characters, but a download name
    // is no place for anything else.
    std::string download = folder->filename().string();
    for (char& c : download) {
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    std::cout << "Content-Type: application/gzip\nContent-Disposition: attachment; filename=\"" << download
              << ".tar.gz\"\n\n"
              << std::flush;
    const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    runTool({"tar", "--create", "--gzip", "--file=-", "--directory=" + config.roots.results.string(), "--no-recursion",
             "--null", "--verbatim-files-from", "--files-from=-"},
            list, STDOUT_FILENO, nothing);
    ::close(nothing);
    return 0;
}
