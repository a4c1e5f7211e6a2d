#include "tools/rungen/sciex_exports.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>

#include "pwiz/data/msdata/MSData.hpp"
#include "pwiz/data/msdata/SpectrumListBase.hpp"

#include "tools/rungen/synthetic_mzml.h"

namespace msdata = pwiz::msdata;
namespace cv = pwiz::cv;

namespace {

constexpr double enhancedResolutionWindow = 5.0;  // Th on either side of the chosen precursor

struct SciexScan {
    std::size_t planIndex;      // the planned spectrum; for an enhanced-resolution scan, its survey scan
    bool enhancedResolution;
    std::int32_t cycle;
    std::int32_t experiment;
    std::int16_t scanTypeCode;  // what the object model reports for it
    bool withCharge;
    double collisionEnergy;
};

// Rolling collision energy: rising with m/z, lower for higher charges.
double rollingCollisionEnergy(double mz, std::int32_t charge) {
    return std::round(0.05 * mz + (charge == 1 ? 8.0 : charge == 2 ? 5.0 : 3.0));
}

std::mt19937_64 decisionRandom(std::uint64_t seed, std::size_t what, std::uint64_t purpose) {
    std::seed_seq sequence{seed, static_cast<std::uint64_t>(what), purpose};
    return std::mt19937_64(sequence);
}

bool chargeless(std::uint64_t seed, std::size_t index, double fraction) {
    if (fraction <= 0.0) return false;
    std::mt19937_64 random = decisionRandom(seed, index, 0x5c1e7c4a26e5u);
    return std::uniform_real_distribution<double>(0.0, 1.0)(random) < fraction;
}

// How many of its dependent scans a cycle takes: all of them, or in a
// short cycle only the first k, k from 0 to all but one.
std::size_t takenInCycle(std::uint64_t seed, std::int32_t cycle, std::size_t planned, double shortFraction) {
    if (planned == 0 || shortFraction <= 0.0) return planned;
    std::mt19937_64 random = decisionRandom(seed, static_cast<std::size_t>(cycle), 0x6b1f5e2d9a03u);
    if (std::uniform_real_distribution<double>(0.0, 1.0)(random) >= shortFraction) return planned;
    return std::uniform_int_distribution<std::size_t>(0, planned - 1)(random);
}

std::vector<SciexScan> layOut(const RunPlan& plan, const RunSettings& run, const SciexSettings& sciex) {
    // The enhanced-resolution scan is experiment 2 of every cycle, taken or not.
    const std::int32_t shift = sciex.enhancedResolution && !run.fragmentOnly ? 1 : 0;
    const std::vector<PlannedSpectrum>& spectra = plan.spectra();
    std::vector<SciexScan> scans;
    for (std::size_t first = 0; first < spectra.size();) {
        const std::int32_t planned = spectra[first].cycle;
        std::size_t end = first;
        while (end < spectra.size() && spectra[end].cycle == planned) ++end;
        const auto cycle = static_cast<std::int32_t>(planned + static_cast<std::int32_t>(sciex.firstCycle) - 1);
        const bool survey = spectra[first].msLevel == 1;
        const std::size_t dependents = end - first - (survey ? 1 : 0);
        const std::size_t taken = takenInCycle(run.seed, planned, dependents, sciex.shortCycleFraction);
        if (survey && !sciex.msmsOnly) {
            scans.push_back({first, false, cycle, 1, surveyScanTypeCode(sciex.family), false, 0.0});
            if (sciex.enhancedResolution && taken > 0) scans.push_back({first, true, cycle, 2, 12, false, 0.0});
        }
        for (std::size_t i = end - dependents; i < end - dependents + taken; ++i) {
            const Analyte& analyte = plan.analytes()[static_cast<std::size_t>(spectra[i].analyte)];
            scans.push_back({i, false, cycle, spectra[i].experiment + shift, productScanTypeCode(sciex.family),
                             !chargeless(run.seed, i, sciex.chargelessFraction),
                             rollingCollisionEnergy(analyte.monoisotopicMz, analyte.charge)});
        }
        first = end;
    }
    return scans;
}

std::string nativeId(std::size_t sample, const SciexScan& scan) {
    return "sample=" + std::to_string(sample) + " period=1 cycle=" + std::to_string(scan.cycle) +
           " experiment=" + std::to_string(scan.experiment);
}

// The survey peaks around the precursor that the cycle chose first, half a
// scan after the survey scan.
msdata::SpectrumPtr enhancedResolutionSpectrum(const RunPlan& plan, const SciexScan& scan, std::size_t index,
                                               const std::string& id, bool getBinaryData) {
    const PlannedSpectrum& survey = plan.spectra()[scan.planIndex];
    const PlannedSpectrum& chosen = plan.spectra()[scan.planIndex + 1];
    const double center = plan.analytes()[static_cast<std::size_t>(chosen.analyte)].monoisotopicMz;
    msdata::SpectrumPtr spectrum(new msdata::Spectrum);
    spectrum->index = index;
    spectrum->id = id;
    spectrum->set(cv::MS_ms_level, 1);
    spectrum->set(cv::MS_MS1_spectrum);
    spectrum->set(cv::MS_positive_scan);
    spectrum->set(cv::MS_centroid_spectrum);
    spectrum->scanList.set(cv::MS_no_combination);
    msdata::Scan timing;
    timing.set(cv::MS_scan_start_time, (survey.seconds + 0.125) / 60.0, cv::UO_minute);
    timing.scanWindows.push_back(
        msdata::ScanWindow(center - enhancedResolutionWindow, center + enhancedResolutionWindow, cv::MS_m_z));
    spectrum->scanList.scans.push_back(timing);

    const SyntheticPeaks all = plan.peaks(scan.planIndex);
    SyntheticPeaks window;
    for (std::size_t p = 0; p < all.mz.size(); ++p) {
        if (std::fabs(all.mz[p] - center) > enhancedResolutionWindow) continue;
        window.mz.push_back(all.mz[p]);
        window.intensity.push_back(all.intensity[p]);
    }
    spectrum->defaultArrayLength = window.mz.size();
    if (getBinaryData) spectrum->setMZIntensityArrays(window.mz, window.intensity, cv::MS_number_of_detector_counts);
    return spectrum;
}

class SciexSpectrumList : public msdata::SpectrumListBase {
public:
    SciexSpectrumList(const RunPlan& plan, std::vector<SciexScan> scans, std::size_t sample, bool writeCodes)
        : plan_(plan), scans_(std::move(scans)), writeCodes_(writeCodes) {
        for (std::size_t i = 0; i < scans_.size(); ++i) {
            msdata::SpectrumIdentity identity;
            identity.index = i;
            identity.id = nativeId(sample, scans_[i]);
            identities_.push_back(identity);
        }
    }
    std::size_t size() const override { return identities_.size(); }
    const msdata::SpectrumIdentity& spectrumIdentity(std::size_t index) const override { return identities_.at(index); }

    msdata::SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override {
        const SciexScan& scan = scans_.at(index);
        msdata::SpectrumPtr spectrum =
            scan.enhancedResolution
                ? enhancedResolutionSpectrum(plan_, scan, index, identities_[index].id, getBinaryData)
                : syntheticSpectrum(plan_, scan.planIndex, identities_[index].id,
                                    {scan.withCharge, scan.collisionEnergy}, getBinaryData);
        spectrum->index = index;
        // The converter writes the total ion current; the arrays are needed for it either way.
        const msdata::SpectrumPtr withArrays = getBinaryData ? spectrum : this->spectrum(index, true);
        double total = 0.0;
        if (const msdata::BinaryDataArrayPtr intensity = withArrays->getIntensityArray()) {
            for (const double value : intensity->data) total += value;
        }
        spectrum->set(cv::MS_total_ion_current, total);
        if (writeCodes_ || scan.enhancedResolution) spectrum->userParams.emplace_back("scan type code", std::to_string(scan.scanTypeCode));
        return spectrum;
    }

    const std::vector<SciexScan>& scans() const { return scans_; }

private:
    const RunPlan& plan_;
    std::vector<SciexScan> scans_;
    bool writeCodes_;
    std::vector<msdata::SpectrumIdentity> identities_;
};

// The spectra of several samples one after another: one export of them all.
class SamplesSpectrumList : public msdata::SpectrumListBase {
public:
    explicit SamplesSpectrumList(std::vector<msdata::SpectrumListPtr> samples) : samples_(std::move(samples)) {
        for (std::size_t s = 0; s < samples_.size(); ++s) {
            for (std::size_t i = 0; i < samples_[s]->size(); ++i) {
                msdata::SpectrumIdentity identity = samples_[s]->spectrumIdentity(i);
                identity.index = identities_.size();
                identities_.push_back(identity);
                places_.emplace_back(s, i);
            }
        }
    }
    std::size_t size() const override { return identities_.size(); }
    const msdata::SpectrumIdentity& spectrumIdentity(std::size_t index) const override { return identities_.at(index); }
    msdata::SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override {
        const auto [sample, within] = places_.at(index);
        msdata::SpectrumPtr spectrum = samples_[sample]->spectrum(within, getBinaryData);
        spectrum->index = index;
        return spectrum;
    }

private:
    std::vector<msdata::SpectrumListPtr> samples_;
    std::vector<msdata::SpectrumIdentity> identities_;
    std::vector<std::pair<std::size_t, std::size_t>> places_;  // sample, index within it
};

// `first` is the index of the sample's first spectrum in its export.
void writeTruthRows(std::ofstream& truth, const RunPlan& plan, const SciexSpectrumList& list, std::size_t sample,
                    std::size_t first) {
    char line[640];
    for (std::size_t i = 0; i < list.scans().size(); ++i) {
        const SciexScan& scan = list.scans()[i];
        const PlannedSpectrum& planned = plan.spectra()[scan.planIndex];
        const double seconds = scan.enhancedResolution ? planned.seconds + 0.125 : planned.seconds;
        const std::string id = list.spectrumIdentity(i).id;
        const std::size_t index = first + i;
        if (planned.msLevel == 1) {
            std::snprintf(line, sizeof line, "%zu\t%zu\t%s\t%d\t%d\t1\t%d\t%.3f\t\t0\t0\t0\t0\n", sample, index, id.c_str(),
                          scan.cycle, scan.experiment, scan.scanTypeCode, seconds);
        } else {
            const Analyte& analyte = plan.analytes()[static_cast<std::size_t>(planned.analyte)];
            std::snprintf(line, sizeof line, "%zu\t%zu\t%s\t%d\t%d\t2\t%d\t%.3f\t%s\t%d\t%d\t%g\t%.10f\n", sample, index,
                          id.c_str(), scan.cycle, scan.experiment, scan.scanTypeCode, seconds, analyte.sequence.c_str(),
                          analyte.charge, scan.withCharge ? 1 : 0, scan.collisionEnergy, analyte.monoisotopicMz);
        }
        truth << line;
    }
}

void describeSamples(msdata::MSData& data, const std::string& runId, const std::vector<std::string>& sampleNames,
                     const std::string& model) {
    data.id = runId;
    data.run.id = runId;
    data.run.startTimeStamp = "2024-03-05T09:41:00Z";
    data.fileDescription.fileContent.set(cv::MS_MS1_spectrum);
    data.fileDescription.fileContent.set(cv::MS_MSn_spectrum);
    msdata::Contact contact;
    contact.set(cv::MS_contact_name, "quarrow-rungen");
    data.fileDescription.contacts.push_back(contact);
    for (const std::string& name : sampleNames) data.samplePtrs.push_back(msdata::SamplePtr(new msdata::Sample(name, name)));
    data.run.samplePtr = data.samplePtrs.front();
    msdata::InstrumentConfigurationPtr instrument(new msdata::InstrumentConfiguration("IC1"));
    // The vocabulary's own term where it has one, else the generic term with the name.
    if (model == "QSTAR Elite") instrument->set(cv::MS_QSTAR_Elite);
    else if (model == "4000 QTRAP") instrument->set(cv::MS_4000_QTRAP);
    else instrument->set(cv::MS_instrument_model, model);
    data.instrumentConfigurationPtrs.push_back(instrument);
    data.run.defaultInstrumentConfigurationPtr = instrument;
}

}  // namespace

std::string defaultModel(InstrumentFamily family) {
    switch (family) {
        case InstrumentFamily::qstar: return "QSTAR Elite";
        case InstrumentFamily::qtrap: return "4000 QTRAP";
        case InstrumentFamily::unknown: break;
    }
    return "API 4000";  // a model of neither family
}

std::vector<std::string> writeSciexExports(const RunSettings& run, const SciexSettings& sciex,
                                           const std::string& wiffPath, bool gzip, const std::string& truthPath) {
    const std::filesystem::path wiff(wiffPath);
    const std::string runName = wiff.stem().string();
    if (wiff.has_parent_path()) std::filesystem::create_directories(wiff.parent_path());
    const std::string model = sciex.model.empty() ? defaultModel(sciex.family) : sciex.model;
    std::ofstream truth(truthPath);
    if (!truth) throw std::runtime_error("cannot write the truth table " + truthPath);
    truth << "sample\tindex\tid\tcycle\texperiment\tms_level\tscan_type_code\tretention_seconds\tpeptide\tcharge\t"
             "charge_written\tcollision_energy\tmonoisotopic_mz\n";

    std::vector<std::string> written;
    const auto exportPath = [&](const std::string& exportName) {
        const std::string path = (wiff.parent_path() / (exportName + ".mzML")).string();
        return gzip ? path + ".gz" : path;
    };
    std::vector<std::unique_ptr<RunPlan>> plans;  // the spectrum lists make their spectra from them
    std::vector<msdata::SpectrumListPtr> lists;
    std::vector<std::string> sampleNames;
    std::size_t spectraBefore = 0;  // in the one export, of the samples before
    for (std::size_t s = 1; s <= sciex.samples; ++s) {
        RunSettings settings = run;
        settings.seed = run.seed + s - 1;
        const RunPlan& plan = *plans.emplace_back(std::make_unique<RunPlan>(settings));
        const std::string sampleName = "Sample" + std::to_string(s);
        const boost::shared_ptr<SciexSpectrumList> list(
            new SciexSpectrumList(plan, layOut(plan, settings, sciex), s, sciex.scanTypeCodes));
        writeTruthRows(truth, plan, *list, s, sciex.oneExport ? spectraBefore : 0);
        spectraBefore += list->size();
        lists.push_back(list);
        sampleNames.push_back(sampleName);
        if (sciex.oneExport) continue;
        const std::string exportName = sciex.samples == 1 ? runName : runName + "-" + sampleName;
        msdata::MSData data;
        describeSamples(data, exportName, {sampleName}, model);
        data.run.spectrumListPtr = list;
        writeSyntheticMzML(data, exportPath(exportName), gzip);
        written.push_back(exportPath(exportName));
    }
    if (sciex.oneExport) {
        msdata::MSData data;
        describeSamples(data, runName, sampleNames, model);
        data.run.spectrumListPtr = msdata::SpectrumListPtr(new SamplesSpectrumList(std::move(lists)));
        writeSyntheticMzML(data, exportPath(runName), gzip);
        written.push_back(exportPath(runName));
    }
    return written;
}
