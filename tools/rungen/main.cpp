// quarrow-rungen: writes a synthetic data-dependent LC/MS/MS run as mzML,
// with a truth table of what each fragment scan fragmented.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "pwiz/data/msdata/MSData.hpp"
#include "pwiz/data/msdata/MSDataFile.hpp"
#include "pwiz/data/msdata/SpectrumListBase.hpp"

#include "tools/rungen/run_plan.h"
#include "tools/rungen/sciex_exports.h"
#include "tools/rungen/synthetic_mzml.h"

namespace msdata = pwiz::msdata;
namespace cv = pwiz::cv;

namespace {

constexpr const char* usage =
    "usage: quarrow-rungen [options]\n"
    "Writes a synthetic data-dependent LC/MS/MS run as mzML.\n"
    "  --output PATH     mzML file to write (default run.mzML); with --folder,\n"
    "                    the run folder X.d, written as X.d/Analysis.mzML\n"
    "  --folder          write the run folder layout X.d/Analysis.mzML\n"
    "  --gzip            compress the file (.gz is appended to its name)\n"
    "  --spectra N       number of spectra, 10 to 50000 (default 1000)\n"
    "  --top N           fragment scans per survey scan (default 5)\n"
    "  --peptides N      number of peptides (default 200)\n"
    "  --fasta FILE      digest the proteins of FILE instead of random sequences\n"
    "  --seed N          random seed (default 1); equal seeds give equal files\n"
    "  --profile         write survey scans in profile mode\n"
    "  --survey-ppm P    survey peaks scatter by P ppm (standard deviation), as\n"
    "                    on a high-resolution analyser, not by 0.003 Th\n"
    "  --fragment-only   no survey scans at all\n"
    "  --run-id TEXT     the run's id (default: the file name)\n"
    "  --truth PATH      truth table (default: the --output path + .truth.tsv)\n"
    "Sciex exports of a .wiff file (--output names the .wiff file, which is not\n"
    "written; its exports go beside it, RUN.mzML or RUN-SampleN.mzML per sample):\n"
    "  --sciex FAMILY    qstar or qtrap: WIFF native ids, survey experiment 1,\n"
    "                    dependent MS/MS experiments 2 to N+1, no spectrum for a\n"
    "                    dependent scan a cycle did not take\n"
    "  --model NAME      instrument model (default QSTAR Elite or 4000 QTRAP)\n"
    "  --samples N       samples of the .wiff file, 1 to 20 (default 1)\n"
    "  --chargeless F    share of MS/MS scans without a precursor charge (0 to 1)\n"
    "  --short-cycles F  share of cycles that skip some or all of their planned\n"
    "                    dependent scans (0 to 1, default 0.25); --spectra counts\n"
    "                    planned scans, skipped ones are not written\n"
    "  --scan-type-codes a \"scan type code\" userParam on every spectrum\n"
    "  --enhanced-resolution  an enhanced-resolution scan (code 12) as\n"
    "                    experiment 2, after each survey scan that chose\n"
    "  --msms-only       leave the survey scans out of the exports, as a\n"
    "                    converter's MS-level filter does (the ids keep their\n"
    "                    cycle and experiment numbers)\n"
    "  --first-cycle N   number the cycles from N (default 1), as in an excerpt\n"
    "  --one-export      every sample in one export, RUN.mzML, one after another\n"
    "  --help            this text\n";

struct Options {
    RunSettings run;
    bool sciex = false;
    SciexSettings sciexSettings;
    std::string output = "run.mzML";
    std::string truth;
    std::string runId;
    bool folder = false;
    bool gzip = false;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "quarrow-rungen: %s\n%s", message.c_str(), usage);
    std::exit(2);
}

double fraction(std::string_view option, const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= 0.0 && value <= 1.0)) {
        fail("option " + std::string(option) + " needs a number from 0 to 1, not \"" + text + "\"");
    }
    return value;
}

InstrumentFamily family(const char* text) {
    const std::string_view name = text;
    if (name == "qstar") return InstrumentFamily::qstar;
    if (name == "qtrap") return InstrumentFamily::qtrap;
    fail("--sciex takes qstar or qtrap, not \"" + std::string(name) + "\"");
}

double positiveReal(std::string_view option, const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value > 0.0 && value <= 1000.0)) {
        fail("option " + std::string(option) + " needs a number above 0 and up to 1000, not \"" + text + "\"");
    }
    return value;
}

std::size_t number(std::string_view option, const char* text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0') fail("option " + std::string(option) + " needs a whole number, not \"" + text + "\"");
    return static_cast<std::size_t>(value);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const auto value = [&]() -> const char* {
            if (i + 1 >= argc) fail("option " + std::string(option) + " needs a value");
            return argv[++i];
        };
        if (option == "--help") {
            std::fputs(usage, stdout);
            std::exit(0);
        } else if (option == "--output") options.output = value();
        else if (option == "--folder") options.folder = true;
        else if (option == "--gzip") options.gzip = true;
        else if (option == "--spectra") options.run.spectra = number(option, value());
        else if (option == "--top") options.run.topN = number(option, value());
        else if (option == "--peptides") options.run.peptideCount = number(option, value());
        else if (option == "--fasta") options.run.fastaPath = value();
        else if (option == "--seed") options.run.seed = number(option, value());
        else if (option == "--profile") options.run.profileSurveys = true;
        else if (option == "--survey-ppm") options.run.surveyPpm = positiveReal(option, value());
        else if (option == "--fragment-only") options.run.fragmentOnly = true;
        else if (option == "--run-id") options.runId = value();
        else if (option == "--truth") options.truth = value();
        else if (option == "--sciex") {
            options.sciex = true;
            options.sciexSettings.family = family(value());
        } else if (option == "--model") options.sciexSettings.model = value();
        else if (option == "--samples") options.sciexSettings.samples = number(option, value());
        else if (option == "--chargeless") options.sciexSettings.chargelessFraction = fraction(option, value());
        else if (option == "--short-cycles") options.sciexSettings.shortCycleFraction = fraction(option, value());
        else if (option == "--scan-type-codes") options.sciexSettings.scanTypeCodes = true;
        else if (option == "--enhanced-resolution") options.sciexSettings.enhancedResolution = true;
        else if (option == "--msms-only") options.sciexSettings.msmsOnly = true;
        else if (option == "--first-cycle") options.sciexSettings.firstCycle = number(option, value());
        else if (option == "--one-export") options.sciexSettings.oneExport = true;
        else fail("unknown option " + std::string(option));
    }
    const SciexSettings plain;
    const bool sciexOnly = options.sciexSettings.model != plain.model || options.sciexSettings.samples != plain.samples ||
                           options.sciexSettings.chargelessFraction != plain.chargelessFraction ||
                           options.sciexSettings.shortCycleFraction != plain.shortCycleFraction ||
                           options.sciexSettings.scanTypeCodes || options.sciexSettings.enhancedResolution ||
                           options.sciexSettings.msmsOnly || options.sciexSettings.firstCycle != plain.firstCycle ||
                           options.sciexSettings.oneExport;
    if (sciexOnly && !options.sciex) {
        fail("--model, --samples, --chargeless, --short-cycles, --scan-type-codes, --enhanced-resolution, --msms-only, "
             "--first-cycle and --one-export need --sciex");
    }
    if (options.sciexSettings.firstCycle < 1 || options.sciexSettings.firstCycle > 1000000000) {
        fail("--first-cycle must lie between 1 and 1000000000");
    }
    if (options.sciex && (options.folder || !options.runId.empty())) fail("--folder and --run-id do not go with --sciex");
    if (options.sciexSettings.samples < 1 || options.sciexSettings.samples > 20) fail("--samples must lie between 1 and 20");
    if (options.run.spectra < 10 || options.run.spectra > 50000) fail("--spectra must lie between 10 and 50000");
    if (options.run.topN < 1) fail("--top must be at least 1");
    if (options.run.peptideCount < 1) fail("--peptides must be at least 1");
    return options;
}

// Spectra are made when the writer asks for them, so memory stays small
// whatever the size of the run.
class SyntheticSpectrumList : public msdata::SpectrumListBase {
public:
    explicit SyntheticSpectrumList(const RunPlan& plan) : plan_(plan) {
        for (std::size_t i = 0; i < plan.spectra().size(); ++i) {
            msdata::SpectrumIdentity identity;
            identity.index = i;
            identity.id = "scan=" + std::to_string(i + 1);
            identities_.push_back(identity);
        }
    }
    std::size_t size() const override { return identities_.size(); }
    const msdata::SpectrumIdentity& spectrumIdentity(std::size_t index) const override { return identities_.at(index); }

    msdata::SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override {
        return syntheticSpectrum(plan_, index, identities_[index].id, PrecursorLabel{}, getBinaryData);
    }

private:
    const RunPlan& plan_;
    std::vector<msdata::SpectrumIdentity> identities_;
};

void writeTruth(const RunPlan& plan, const std::string& path) {
    std::ofstream truth(path);
    if (!truth) throw std::runtime_error("cannot write the truth table " + path);
    truth << "index\tscan\tms_level\tretention_seconds\tpeptide\tcharge\tmonoisotopic_mz\n";
    char line[512];
    for (std::size_t i = 0; i < plan.spectra().size(); ++i) {
        const PlannedSpectrum& planned = plan.spectra()[i];
        if (planned.msLevel == 1) {
            std::snprintf(line, sizeof line, "%zu\t%zu\t1\t%.3f\t\t0\t0\n", i, i + 1, planned.seconds);
        } else {
            const Analyte& analyte = plan.analytes()[static_cast<std::size_t>(planned.analyte)];
            std::snprintf(line, sizeof line, "%zu\t%zu\t2\t%.3f\t%s\t%d\t%.6f\n", i, i + 1, planned.seconds,
                          analyte.sequence.c_str(), analyte.charge, analyte.monoisotopicMz);
        }
        truth << line;
    }
}

int writeSciex(const Options& options) {
    const std::string wiffPath = options.output == "run.mzML" ? "run.wiff" : options.output;
    const std::string truthPath = options.truth.empty() ? wiffPath + ".truth.tsv" : options.truth;
    const std::vector<std::string> written =
        writeSciexExports(options.run, options.sciexSettings, wiffPath, options.gzip, truthPath);
    for (const std::string& path : written) std::printf("%s\n", path.c_str());
    std::printf("%s\n", truthPath.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    try {
        if (options.sciex) return writeSciex(options);
        std::filesystem::path file = options.output;
        if (options.folder) {
            std::filesystem::create_directories(file);
            file /= "Analysis.mzML";
        }
        std::string filePath = file.string();
        if (options.gzip) filePath += ".gz";
        const std::string truthPath = options.truth.empty() ? options.output + ".truth.tsv" : options.truth;

        const RunPlan plan(options.run);
        msdata::MSData data;
        data.id = options.runId.empty() ? std::filesystem::path(options.output).stem().string() : options.runId;
        data.run.id = data.id;
        data.run.startTimeStamp = "2024-03-05T09:41:00Z";
        data.fileDescription.fileContent.set(cv::MS_MS1_spectrum);
        data.fileDescription.fileContent.set(cv::MS_MSn_spectrum);
        msdata::Contact contact;
        contact.set(cv::MS_contact_name, "quarrow-rungen");
        data.fileDescription.contacts.push_back(contact);
        data.samplePtrs.push_back(msdata::SamplePtr(new msdata::Sample("sample1", "synthetic digest")));
        data.run.samplePtr = data.samplePtrs.front();
        msdata::InstrumentConfigurationPtr instrument(new msdata::InstrumentConfiguration("IC1"));
        instrument->set(cv::MS_ion_trap);
        data.instrumentConfigurationPtrs.push_back(instrument);
        data.run.defaultInstrumentConfigurationPtr = instrument;
        data.run.spectrumListPtr = msdata::SpectrumListPtr(new SyntheticSpectrumList(plan));

        writeSyntheticMzML(data, filePath, options.gzip);
        writeTruth(plan, truthPath);
        std::printf("%s: %zu spectra\n%s\n", filePath.c_str(), plan.spectra().size(), truthPath.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quarrow-rungen: %s\n", error.what());
        return 1;
    }
    return 0;
}
