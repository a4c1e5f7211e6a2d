#include "web/launcher/report_maker.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

#include "frontend/program_run.h"
#include "web/launcher/request_record.h"

namespace fs = std::filesystem;

std::optional<std::string> makeRunReport(const fs::path& tool, Program program,
                                         const CheckedRequest& request) {
    if (::access(tool.c_str(), X_OK) != 0) {
        return "no run report: quarrow-report is not installed on this server (no program at " + tool.string() + ")";
    }
    std::vector<std::string> command = {tool.string(),    "--logs",   request.logDir.string() + "/",
                                        "--features",     request.specFeaturesFilename,
                                        "--run",          request.runName,
                                        "--output",       (request.requestFolder / reportFileName).string()};
    // yepharvest's precursors are drawn against the retention times of its
    // export; a .wiff run's peak-list names carry theirs.
    if (program == Program::yepharvest) command.insert(command.end(), {"--data", request.dataFile.string()});
    const fs::path logFile = request.requestFolder / reportLogFileName;
    const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) return "no run report: " + logFile.string() + " cannot be written";
    const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const ProgramOutcome made = runTool(command, "", nothing, log);
    ::close(nothing);
    ::close(log);
    if (made.started && made.exitStatus == 0) return std::nullopt;
    std::ifstream said(logFile);
    std::string line;
    std::getline(said, line);
    return "no run report: quarrow-report failed" + (line.empty() ? std::string() : " (" + line + ")");
}
