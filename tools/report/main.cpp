// quarrow-report: one run's rows of a log folder as one self-contained HTML page.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/util/committed_file.h"
#include "tools/report/charge_agreement.h"
#include "tools/report/report_page.h"
#include "tools/report/run_report.h"

namespace {

constexpr const char* usage =
    "usage: quarrow-report --logs DIR/ --features NAME --run NAME [--data FILE] --output FILE.html\n"
    "Writes one run's report from the logs of yepharvest or wiffharvest in DIR:\n"
    "  --logs DIR/       the log folder (the logFileDir of the run)\n"
    "  --features NAME   the spectrum-features file in it (the specFeaturesFilename)\n"
    "  --run NAME        the run name, the prefix of its peak-list names\n"
    "  --data FILE       the run's data file (its xtractorDataFilename): yepharvest's\n"
    "                    precursors are drawn against the retention times of its\n"
    "                    export, else against scan number (a .wiff run's peak-list\n"
    "                    names carry their times)\n"
    "  --peaklists DIR/  the peak-list folder (the resultsXtractorDir), whose MGF\n"
    "                    files tell the charges a search engine is given; by\n"
    "                    default the folder peaklists beside the log folder\n"
    "  --output FILE     the HTML page to write\n"
    "  --charges FILE    also write, as tab-separated counts per LC run, the charges\n"
    "                    the MGF states (1+, 2+, ..., none) and how many of them\n"
    "                    agree with the instrument's, where the export carries them\n"
    "  --help            this text\n"
    "  --version         the version\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "quarrow-report: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    ReportRequest request;
    std::string output;
    std::string chargesOutput;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (option == "--version") {
            std::printf("quarrow-report %s\n", QUARROW_VERSION);
            return 0;
        }
        std::string* target = option == "--logs"       ? &request.logDir
                              : option == "--features" ? &request.featuresName
                              : option == "--run"      ? &request.run
                              : option == "--data"     ? &request.dataFilename
                              : option == "--output"   ? &output
                              : option == "--peaklists" ? &request.peakListDir
                              : option == "--charges"  ? &chargesOutput
                                                       : nullptr;
        if (target == nullptr) return fail("unknown option " + std::string(option) + "\n" + usage);
        if (i + 1 >= argc) return fail("option " + std::string(option) + " needs a value");
        *target = argv[++i];
    }
    for (const auto& [name, value] : {std::pair{"--logs", &request.logDir}, std::pair{"--features", &request.featuresName},
                                      std::pair{"--run", &request.run}, std::pair{"--output", &output}}) {
        if (value->empty()) return fail(std::string("missing option ") + name + "\n" + usage);
    }
    if (request.featuresName.find_first_of("/\\") != std::string::npos) {
        return fail("--features names a file in the log folder, not a path: " + request.featuresName);
    }
    std::error_code error;
    if (!std::filesystem::is_directory(request.logDir, error)) {
        return fail("the log folder " + request.logDir + " does not exist or is not a folder");
    }
    std::filesystem::directory_iterator probe(request.logDir, error);
    if (error) return fail("the log folder " + request.logDir + " cannot be read: " + error.message());
    // The programs glue the folder and the file name; a folder given without
    // its separator still means the folder.
    for (std::string* folder : {&request.logDir, &request.peakListDir}) {
        if (!folder->empty() && folder->back() != '/' && folder->back() != '\\') *folder += '/';
    }

    const RunReport report = buildRunReport(request);
    // Under its final name only when whole: a full disk leaves no half page.
    if (const std::optional<FileFailure> failure =
            commitWholeFile(output, renderReportPage(report), "Function: quarrow-report")) {
        return fail("cannot write " + output + ": " + std::strerror(failure->error));
    }
    if (!chargesOutput.empty()) {
        std::vector<std::pair<int, ChargeAgreement>> samples;
        if (report.samples.empty()) samples.emplace_back(1, chargeAgreement(report.wholeRun().spectra));
        for (const RunPart& part : report.samples) samples.emplace_back(part.sample, chargeAgreement(part.spectra));
        if (const std::optional<FileFailure> failure = commitWholeFile(
                chargesOutput, chargeAgreementTable(samples), "Function: quarrow-report")) {
            return fail("cannot write " + chargesOutput + ": " + std::strerror(failure->error));
        }
    }
    for (const std::string& notice : report.notices) std::fprintf(stderr, "quarrow-report: note: %s\n", notice.c_str());
    return 0;
}
