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
    bool namedAlone = false;            // <run>.mzML: the export of the file's samples alone
    std::vector<std::int32_t> samples;  // the samples its ids name, ascending; none without sample keys
};

std::optional<std::int32_t> sampleKeyOf(const OpenFormatExport& source, std::size_t index) {
    try {
        return parseWiffNativeId(source.spectrum(index).id).sample;
    } catch (const BadNativeId&) {
        return std::nullopt;  // taken as one without a sample key; reading it names the fault
    }
}

// Which samples an export holds, from its ids. A converter writes a file's
// samples one after another, so an export whose first and last spectra name
// one sample holds that sample alone (reading it refuses ids that go back);
// only an export of several samples is looked through whole here.
ExportFound examine(const std::string& path, const WiffExportSearch& search) {
    ExportFound found;
    found.path = path;
    found.fileName = path.substr(path.find_last_of('/') + 1);
    found.namedAlone = exportBaseName(found.fileName) == search.runName;
    const std::shared_ptr<const OpenFormatExport> source = OpenFormatExport::open(path);
    const std::size_t count = source->spectrumCount();
    if (count == 0) return found;
    const std::optional<std::int32_t> first = sampleKeyOf(*source, 0);
    if (!first) return found;
    found.samples.push_back(*first);
    if (sampleKeyOf(*source, count - 1) == first) return found;
    for (std::size_t i = 1; i < count; ++i) {
        const std::optional<std::int32_t> key = sampleKeyOf(*source, i);
        if (key && std::find(found.samples.begin(), found.samples.end(), *key) == found.samples.end()) {
            found.samples.push_back(*key);
        }
    }
    std::sort(found.samples.begin(), found.samples.end());
    return found;
}

// One sample of one export; no sample key for an export whose ids carry none.
struct SampleFound {
    const ExportFound* in = nullptr;
    std::optional<std::int32_t> sample;
};

// The samples of the file in sample order. The ids say which sample an
// export holds; the names which file it belongs to: <run>.mzML is the export
// of the file's samples alone, so beside it a <run>-<name>.mzML is another
// run's, or left over. Of two exports of one sample the first in name order
// is read. Sample numbers must run without a gap, or a sample's peak lists
// would go out under the next one's name; exports without a sample key
// follow, in name order.
std::vector<SampleFound> chooseSamples(const std::vector<ExportFound>& found, const WiffExportSearch& search,
                                       std::vector<std::string>& notTaken, const char* interfaceName) {
    const auto alone = std::find_if(found.begin(), found.end(), [](const ExportFound& e) { return e.namedAlone; });
    if (alone != found.end()) {
        for (const ExportFound& other : found) {
            if (&other == &*alone) continue;
            notTaken.push_back(formatText("%s is not read: %s, named after the .wiff file alone, holds its %s.",
                                          other.fileName.c_str(), alone->fileName.c_str(),
                                          alone->samples.size() > 1 ? "samples" : "only sample"));
        }
        if (alone->samples.size() <= 1) return {{&*alone, std::nullopt}};
    }
    std::vector<SampleFound> keyed;
    for (const ExportFound& e : found) {
        if (alone != found.end() && &e != &*alone) continue;
        for (const std::int32_t sample : e.samples) keyed.push_back({&e, sample});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const SampleFound& a, const SampleFound& b) { return *a.sample < *b.sample; });
    std::vector<SampleFound> chosen;
    for (const SampleFound& e : keyed) {
        const auto next = static_cast<std::int32_t>(chosen.size()) + 1;
        if (*e.sample < next) {
            const ExportFound& holder = *chosen.back().in;
            notTaken.push_back(e.in->samples.size() > 1
                                   ? formatText("Sample %d of %s is not read: %s holds that sample.", *e.sample,
                                                e.in->fileName.c_str(), holder.fileName.c_str())
                                   : formatText("%s is not read: its spectrum ids name sample %d, which %s holds.",
                                                e.in->fileName.c_str(), *e.sample, holder.fileName.c_str()));
            continue;
        }
        if (*e.sample > next) {
            throw ComError(E_FILENOTFOUND,
                           formatText("No export of sample %d was found in the folder %s: the exports of %s name "
                                      "samples up to %d in their spectrum ids, but none sample %d.",
                                      next, search.folder.c_str(), search.runName.c_str(), *keyed.back().sample, next),
                           interfaceName);
        }
        chosen.push_back(e);
    }
    for (const ExportFound& e : found) {
        if (e.samples.empty() && alone == found.end()) chosen.push_back({&e, std::nullopt});
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
        // An export of several samples is read once for all of them.
        std::map<std::string, std::vector<WiffSample>> read;
        for (const SampleFound& chosen : chooseSamples(found, search, notTaken, interfaceName)) {
            auto [at, fresh] = read.try_emplace(chosen.in->path);
            if (fresh) at->second = readWiffSamples(chosen.in->path);
            std::vector<WiffSample>& held = at->second;
            const auto sample = chosen.sample ? std::find_if(held.begin(), held.end(),
                                                             [&](const WiffSample& w) { return w.sampleKey == chosen.sample; })
                                              : held.begin();
            if (sample == held.end()) {
                throw ExportReadError(formatText("The export %s holds no spectrum of sample %d.",
                                                 chosen.in->path.c_str(), *chosen.sample));
            }
            samples.push_back(std::move(*sample));
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
