#include "yepharvest/precursor_charge.h"

#include <cstdio>
#include <optional>
#include <string>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/peaks/fragment_charge.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"
#include "core/peaks/fragment_pairs.h"
#include "core/util/printable_real.h"
#include "yepharvest/ms_scan.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/peak_window.h"
#include "yepharvest/run_name.h"

namespace {

constexpr double protonMass = 1.007825035;       // H, as the evidence ladder has always used it
constexpr double twoProtonMass = 2.01565007;     // H2

void assignCharge(MSscan& scan, std::int32_t charge) {
    scan.charge = charge;
    scan.chargePending = 0;
}

// The survey-scan part of the decision, for one record.
class ChargeEvidence {
public:
    ChargeEvidence(MSscan& scan, std::int32_t index, const std::string& runName)
        : scan_(scan), index_(index), runName_(runName), parameters_(extractorParameters()),
          log_(getParentChargeCheckStream()) {}

    double signalNoise(double mz) const { return parentSignalNoiseInMSscans(mz, index_, parameters_.parentTolerance); }
    bool found(double signalNoiseValue) const { return signalNoiseValue > parameters_.minMSsignalNoise; }

    // Entries that open a line start with the run name and scan number;
    // the others continue the line opened before them.
    std::FILE* openLine() const {
        std::fprintf(log_, "\n%s.%04d", runName_.c_str(), scan_.scanNumber);
        return log_;
    }
    std::FILE* log() const { return log_; }

    // Tries g = maxCharge down to 2; returns the charge the survey scans
    // show (0 for none) and whether charge 4 was seen above a charge 3.
    std::int32_t seek(bool& upperConfirmed) const;

private:
    MSscan& scan_;
    std::int32_t index_;
    const std::string& runName_;
    const ExtractorParameters& parameters_;
    std::FILE* log_;
};

std::int32_t ChargeEvidence::seek(bool& upperConfirmed) const {
    const double c = scan_.parentMzCentroid;
    const std::int32_t maxCharge = parameters_.maxCharge;
    const double parentMz = scan_.parentMz;
    for (std::int32_t g = maxCharge; g >= 2; --g) {
        if (!(c >= 500.0) || (g >= 5 && !(c >= 600.0))) continue;
        const double x1 = (g * c - protonMass) / (g - 1);
        const double s1 = signalNoise(x1);
        if (g <= 3 && found(s1)) {
            std::fprintf(openLine(), "\tz= %d (%.1f) MS peak z = %d (%.1f) S/N: %.1f", g, parentMz, g - 1, x1, s1);
            return g;
        }
        if (g >= 4 && found(s1)) {
            const double x2 = (g * c - twoProtonMass) / (g - 2);
            const double s2 = signalNoise(x2);
            if (found(s2)) {
                std::fprintf(openLine(), "\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", g, parentMz, g - 1, x1, s1);
                std::fprintf(log_, ", z = %d (%.1f) S/N: %.1f", g - 2, x2, s2);
                return g;
            }
            if (g < maxCharge) {
                const double x3 = (g * c + protonMass) / (g + 1);
                const double s3 = signalNoise(x3);
                if (found(s3)) {
                    std::fprintf(openLine(), "\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", g, parentMz, g - 1, x1, s1);
                    std::fprintf(log_, ", z = %d (%.1f) S/N: %.1f", g + 1, x3, s3);
                    return g;
                }
            }
        }
        // No evidence for g yet: look one and two protons heavier.
        if (g >= maxCharge || parentMz < 600.0) continue;
        const double x3 = (g * c + protonMass) / (g + 1);
        const double s3 = signalNoise(x3);
        if (g == 2 && found(s3)) {
            std::fprintf(openLine(), "\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", 2, parentMz, 3, x3, s3);
            return 2;
        }
        if (g >= 3 && g <= maxCharge - 2 && found(s3)) {
            const double x4 = (g * c + twoProtonMass) / (g + 2);
            const double s4 = signalNoise(x4);
            if (found(s4)) {
                std::fprintf(openLine(), "\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", g, parentMz, g + 1, x3, s3);
                std::fprintf(log_, ",z = %d (%.1f) S/N: %.1f", g + 2, x4, s4);
                if (g == 3) upperConfirmed = true;
                return g;
            }
        }
    }
    return 0;
}

// The b/y-pair notes that end a line: the counts for charge 2 and 3 and
// what they decided.
enum class PairNote { assigned2, assigned3, conflict, conflictWithZ2, conflictWithZ4 };

void writePairNote(std::FILE* log, PairNote note, double mz, std::int32_t b2, std::int32_t b3) {
    std::fprintf(log, "\tz = 2 (%.1f) %d b/y pairs found\t z = 3 (%.1f) b/y pairs found %d; ", mz, b2, mz, b3);
    switch (note) {
        case PairNote::assigned2: std::fputs("\tassigned z = 2", log); break;
        case PairNote::assigned3: std::fputs("\tassigned z = 3", log); break;
        case PairNote::conflict: std::fputs("b/y pair conflict z not assigned", log); break;
        case PairNote::conflictWithZ2: std::fputs("b/y pair, z2 in MS scan conflict z not assigned", log); break;
        case PairNote::conflictWithZ4: std::fputs("b/y pair, z4 in MS scan conflict z not assigned", log); break;
    }
}

void decideCharge(MSscan& scan, std::int32_t index, const std::string& runName, bool findMode) {
    const ExtractorParameters& parameters = extractorParameters();
    const KestranePeak parent2 = makeParentKestranePeak(scan.parentMz, 2, parameters.parentTolerance);
    PeakList picked = pickPeaks(toKestranePeaks(scan.peaks), parent2);

    if (chargeFromFragmentsAbovePrecursor(picked, parent2) == 1) {
        scan.parentMzCentroid = scan.parentMz;
        assignCharge(scan, 1);
        return;
    }
    // A record that no survey scan precedes has no survey evidence: its
    // centroid stays 0, as in a run without survey scans.
    const std::optional<std::int32_t> survey = noMSscans() == 0 ? preceedingMSscan(index) : std::nullopt;
    const bool surveyed = survey.has_value();
    if (surveyed) {
        scan.parentMzCentroid = parentCentroidInMSscan(scan.parentMz, *survey,
                                                       scan.scanNumber, parameters.parentTolerance);
    }
    if (!findMode) return;

    const std::int32_t b2 = countBYpairs(picked, parent2);
    std::int32_t b3 = 0;
    if (b2 >= 3) b3 = countBYpairs(picked, makeParentKestranePeak(scan.parentMz, 3, 2.5));

    const ChargeEvidence evidence(scan, index, runName);
    bool upperConfirmed = false;
    const std::int32_t zMS = surveyed && parameters.maxCharge > 1 ? evidence.seek(upperConfirmed) : 0;
    if (zMS >= 4) {
        std::fprintf(evidence.log(), "\tassigned z = %d", zMS);
        assignCharge(scan, zMS);
        return;
    }

    const double mz = scan.parentMz;
    const auto pairNote = [&](PairNote note) { writePairNote(evidence.log(), note, mz, b2, b3); };
    const double c = scan.parentMzCentroid;
    if (b2 < 3) {
        if (zMS >= 2) {
            std::fprintf(evidence.log(), ";\tassigned z = %d", zMS);
            assignCharge(scan, zMS);
        }
        return;
    }
    const double x4 = (3.0 * c + protonMass) / 4.0;
    if (zMS == 3) {
        if (upperConfirmed) {
            pairNote(PairNote::assigned3);
            assignCharge(scan, 3);
            return;
        }
        const double s4 = evidence.signalNoise(x4);
        if (evidence.found(s4) || b3 > 1) {
            std::fprintf(evidence.log(), ", z = 4 (%.1f) S/N: %.1f", x4, s4);
            pairNote(PairNote::assigned3);
            assignCharge(scan, 3);
        } else {
            pairNote(PairNote::conflictWithZ2);
        }
        return;
    }
    const double s4 = evidence.signalNoise(x4);
    std::fprintf(evidence.openLine(), "\tz = 4 (%.1f) S/N: %.1f", printableReal(x4), s4);
    if (b3 >= 3) {
        pairNote(PairNote::assigned3);
        assignCharge(scan, 3);
    } else if (evidence.found(s4)) {
        if (b3 > 1 && x4 > 450.0) {
            pairNote(PairNote::assigned3);
            assignCharge(scan, 3);
        } else {
            pairNote(PairNote::conflictWithZ4);
        }
    } else if (b3 > 0) {
        pairNote(PairNote::conflict);
    } else {
        pairNote(PairNote::assigned2);
        assignCharge(scan, 2);
    }
}

}  // namespace

void determinePrecursorCharges() {
    const ExtractorParameters& parameters = extractorParameters();
    const std::string mode = parameters.autoCharge.value_or("");
    const bool defaultMode = parameters.autoCharge.has_value() && mode == "Default";
    const bool findMode = parameters.autoCharge.has_value() && mode == "Find";
    const std::string runName = getRunName(parameters.xtractorDataFilename);
    std::vector<MSscan>& table = runTable();
    // Every record is visited, survey scans and rejected records included.
    for (std::int32_t i = 0; i < numScans(); ++i) {
        MSscan& scan = table[static_cast<std::size_t>(i)];
        if (!defaultMode && !findMode) {
            if (parameters.lowCharge == parameters.highCharge) assignCharge(scan, parameters.lowCharge);
            continue;
        }
        decideCharge(scan, i, runName, findMode);
    }
}

double parentCentroidInMSscan(double mz, std::int32_t msScanIndex, std::int32_t /*scanNumber*/, double tolerance) {
    const double upper = extractorParameters().findMonoisotopicParent != 0 ? mz + 2.0 * tolerance : mz + tolerance;
    const WindowSums sums = sumsInWindow(runTable()[static_cast<std::size_t>(msScanIndex)].peaks, mz - tolerance, upper);
    // An empty window is 0/0, not a number: every threshold test on it
    // fails, and the features row prints it as "nan".
    return sums.weightedMz / sums.intensity;
}
