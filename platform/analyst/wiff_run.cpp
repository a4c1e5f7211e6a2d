#include "platform/analyst/wiff_run.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "core/util/format_text.h"
#include "platform/analyst/wiff_exports.h"
#include "platform/analyst/wiff_native_id.h"
#include "platform/com/com_runtime.h"

namespace {

[[noreturn]] void outOfRange(const char* what, std::int32_t index, std::int32_t first, std::int32_t count,
                             const char* interfaceName) {
    throw ComError(E_INVALIDARG,
                   count == 0 ? formatText("%s %d requested; there is none.", what, index)
                              : formatText("%s %d requested; valid are %d to %d.", what, index, first, first + count - 1),
                   interfaceName);
}

struct ExportFound {
    std::string path;
    std::string fileName;
    bool namedAlone = false;           // <run>.mzML: a single-sample file's export
    std::optional<std::int32_t> sample;  // the sample its ids name
};

ExportFound examine(const std::string& path, const WiffExportSearch& search) {
    ExportFound found;
    found.path = path;
    found.fileName = path.substr(path.find_last_of('/') + 1);
    found.namedAlone = exportBaseName(found.fileName) == search.runName;
    const std::shared_ptr<const OpenFormatExport> source = OpenFormatExport::open(path);
    if (source->spectrumCount() == 0) return found;
    try {
        found.sample = parseWiffNativeId(source->spectrum(0).id).sample;
    } catch (const BadNativeId&) {
        // Taken as one without a sample key; reading it names the fault.
    }
    return found;
}

// The exports that are the file's samples, in sample order. The ids say
// which sample an export holds; the names which file it belongs to:
// <run>.mzML is the export of a single-sample file, so beside it a
// <run>-<name>.mzML is another run's, or left over. Of two exports of one
// sample the first in name order is read. Sample numbers must run without
// a gap, or a sample's peak lists would go out under the next one's name;
// exports without a sample key follow, in name order.
std::vector<std::string> chooseSamples(const std::vector<ExportFound>& found, const WiffExportSearch& search,
                                       std::vector<std::string>& notTaken, const char* interfaceName) {
    const auto alone = std::find_if(found.begin(), found.end(), [](const ExportFound& e) { return e.namedAlone; });
    if (alone != found.end()) {
        for (const ExportFound& other : found) {
            if (&other == &*alone) continue;
            notTaken.push_back(formatText("%s is not read: %s, named after the .wiff file alone, holds its only sample.",
                                          other.fileName.c_str(), alone->fileName.c_str()));
        }
        return {alone->path};
    }
    std::vector<const ExportFound*> keyed;
    for (const ExportFound& e : found) {
        if (e.sample) keyed.push_back(&e);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const ExportFound* a, const ExportFound* b) { return *a->sample < *b->sample; });
    std::vector<std::string> chosen;
    const ExportFound* previous = nullptr;
    for (const ExportFound* e : keyed) {
        const auto next = static_cast<std::int32_t>(chosen.size()) + 1;
        if (*e->sample < next) {
            notTaken.push_back(formatText("%s is not read: its spectrum ids name sample %d, which %s holds.",
                                          e->fileName.c_str(), *e->sample, previous->fileName.c_str()));
            continue;
        }
        if (*e->sample > next) {
            throw ComError(E_FILENOTFOUND,
                           formatText("No export of sample %d was found in the folder %s: the exports of %s name "
                                      "samples up to %d in their spectrum ids, but none sample %d.",
                                      next, search.folder.c_str(), search.runName.c_str(), *keyed.back()->sample, next),
                           interfaceName);
        }
        chosen.push_back(e->path);
        previous = e;
    }
    for (const ExportFound& e : found) {
        if (!e.sample) chosen.push_back(e.path);
    }
    return chosen;
}

std::shared_ptr<const WiffRun> readWiffRun(const std::string& wiffPath, const char* interfaceName,
                                           std::vector<std::string>& notTaken) {
    const WiffExportSearch search = findWiffExports(wiffPath);
    if (search.files.empty()) throw ComError(E_FILENOTFOUND, describeMissingExports(search), interfaceName);
    std::vector<WiffSample> samples;
    try {
        std::vector<ExportFound> found;
        for (const std::string& file : search.files) found.push_back(examine(file, search));
        for (const std::string& file : chooseSamples(found, search, notTaken, interfaceName)) {
            samples.push_back(readWiffSample(file));
        }
    } catch (const ExportReadError& error) {
        throw ComError(E_FAIL, error.what(), interfaceName);
    }
    return std::make_shared<const WiffRun>(std::move(samples), notTaken);
}

std::map<std::string, std::vector<std::string>>& notTakenByPath() {
    static std::map<std::string, std::vector<std::string>> notTaken;
    return notTaken;
}

std::string registryKey(const std::string& wiffPath) {
    std::string local = wiffPath;
    std::replace(local.begin(), local.end(), '\\', '/');
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(local, error);
    return error ? local : canonical.string();
}

}  // namespace

const WiffSample& WiffRun::sample(std::int32_t sample, const char* interfaceName) const {
    if (sample < 1 || sample > sampleCount()) outOfRange("Sample", sample, 1, sampleCount(), interfaceName);
    return samples_[static_cast<std::size_t>(sample - 1)];
}

const WiffPeriod& WiffRun::period(std::int32_t sample, std::int32_t period, const char* interfaceName) const {
    const WiffSample& found = this->sample(sample, interfaceName);
    if (period < 0 || period >= found.periodCount) outOfRange("Period", period, 0, found.periodCount, interfaceName);
    return found.period(period);
}

void WiffRun::checkExperiment(const WiffPeriod& period, std::int32_t experiment, const char* interfaceName) {
    if (experiment < 0 || experiment >= period.experimentCount) {
        outOfRange("Experiment", experiment, 0, period.experimentCount, interfaceName);
    }
}

void WiffRun::checkCycle(const WiffPeriod& period, std::int32_t cycle, const char* interfaceName) {
    if (cycle < 0 || cycle >= period.cycleCount) outOfRange("Cycle", cycle, 0, period.cycleCount, interfaceName);
}

std::shared_ptr<const WiffRun> openWiffRun(const std::string& wiffPath, const char* interfaceName) {
    static std::map<std::string, std::shared_ptr<const WiffRun>> opened;
    const std::string key = registryKey(wiffPath);
    if (const auto found = opened.find(key); found != opened.end()) return found->second;
    std::vector<std::string>& notTaken = notTakenByPath()[key];
    notTaken.clear();
    std::shared_ptr<const WiffRun> run = readWiffRun(wiffPath, interfaceName, notTaken);
    opened.emplace(key, run);
    return run;
}

std::vector<std::string> exportsNotTaken(const std::string& wiffPath) {
    const auto found = notTakenByPath().find(registryKey(wiffPath));
    return found != notTakenByPath().end() ? found->second : std::vector<std::string>();
}
