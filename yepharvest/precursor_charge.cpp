#include "yepharvest/precursor_charge.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "core/peaks/fragment_charge.h"
#include "core/peaks/fragment_pairs.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"
#include "core/util/printable_real.h"
#include "core/util/two_cores.h"
#include "yepharvest/survey_scan_queries.h"

namespace {

constexpr double protonMass = 1.007825035;       // H, as the evidence ladder has always used it
constexpr double twoProtonMass = 2.01565007;     // H2

void assignCharge(MSscan& scan, std::int32_t charge, ChargeSource source) {
    scan.setCharge(charge, source);
    scan.chargePending = false;
}

// The survey-scan part of the decision, for one record.
class ChargeEvidence {
public:
    ChargeEvidence(const RunTable& run, std::int32_t index, const ExtractionContext& context)
        : run_(run), scan_(run[index]), index_(index), runName_(context.runName), parameters_(context.parameters),
          log_(context.getParentChargeCheckStream()) {}

    double signalNoise(double mz) const {
        return parentSignalNoiseInMSscans(run_, mz, index_, parameters_.parentTolerance);
    }
    bool found(double signalNoiseValue) const { return signalNoiseValue > parameters_.minMSsignalNoise; }

    // Entries that open a line start with the run name and scan number;
    // the others continue the line opened before them.
    LogSink& openLine() const {
        log_.print("\n%s.%04d", runName_.c_str(), scan_.scanNumber);
        return log_;
    }
    LogSink& log() const { return log_; }

    // Tries g = maxCharge down to 2; returns the charge the survey scans
    // show (0 for none) and whether charge 4 was seen above a charge 3.
    std::int32_t seek(bool& upperConfirmed) const;

private:
    const RunTable& run_;
    const MSscan& scan_;
    std::int32_t index_;
    const std::string& runName_;
    const ExtractorParameters& parameters_;
    LogSink& log_;
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
            openLine().print("\tz= %d (%.1f) MS peak z = %d (%.1f) S/N: %.1f", g, parentMz, g - 1, x1, s1);
            return g;
        }
        if (g >= 4 && found(s1)) {
            const double x2 = (g * c - twoProtonMass) / (g - 2);
            const double s2 = signalNoise(x2);
            if (found(s2)) {
                openLine().print("\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", g, parentMz, g - 1, x1, s1);
                log_.print(", z = %d (%.1f) S/N: %.1f", g - 2, x2, s2);
                return g;
            }
            if (g < maxCharge) {
                const double x3 = (g * c + protonMass) / (g + 1);
                const double s3 = signalNoise(x3);
                if (found(s3)) {
                    openLine().print("\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", g, parentMz, g - 1, x1, s1);
                    log_.print(", z = %d (%.1f) S/N: %.1f", g + 1, x3, s3);
                    return g;
                }
            }
        }
        // No evidence for g yet: look one and two protons heavier.
        if (g >= maxCharge || parentMz < 600.0) continue;
        const double x3 = (g * c + protonMass) / (g + 1);
        const double s3 = signalNoise(x3);
        if (g == 2 && found(s3)) {
            openLine().print("\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", 2, parentMz, 3, x3, s3);
            return 2;
        }
        if (g >= 3 && g <= maxCharge - 2 && found(s3)) {
            const double x4 = (g * c + twoProtonMass) / (g + 2);
            const double s4 = signalNoise(x4);
            if (found(s4)) {
                openLine().print("\tz= %d (%.1f) MS peaks z = %d (%.1f) S/N: %.1f", g, parentMz, g + 1, x3, s3);
                log_.print(",z = %d (%.1f) S/N: %.1f", g + 2, x4, s4);
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

void writePairNote(LogSink& log, PairNote note, double mz, std::int32_t b2, std::int32_t b3) {
    log.print("\tz = 2 (%.1f) %d b/y pairs found\t z = 3 (%.1f) b/y pairs found %d; ", mz, b2, mz, b3);
    switch (note) {
        case PairNote::assigned2: log.write("\tassigned z = 2"); break;
        case PairNote::assigned3: log.write("\tassigned z = 3"); break;
        case PairNote::conflict: log.write("b/y pair conflict z not assigned"); break;
        case PairNote::conflictWithZ2: log.write("b/y pair, z2 in MS scan conflict z not assigned"); break;
        case PairNote::conflictWithZ4: log.write("b/y pair, z4 in MS scan conflict z not assigned"); break;
    }
}

// A survey scan is decided too, against a precursor of m/z 0: its charge is
// never read, so the decision counts only by the rows it may leave, and it
// leaves none (the costly pick can be spared) when
// - the mode is "Default", which logs nothing; or
// - in "Find", no survey evidence can be sought (it needs a centroid of 500
//   or more, and the window around m/z 0 holds none) and no b/y pair can be
//   found: a pair needs a fragment at or below the middle of the parent's
//   M+H and its tolerance, and every picked fragment carries the M+H of a
//   peak of the scan (pickPeaks), which is its m/z.
bool surveyDecisionLeavesNoRow(const RunTable& run, std::int32_t index, const ExtractionContext& context,
                               bool findMode) {
    const MSscan& scan = run[index];
    if (scan.msLevel != 1 || scan.parentMz != 0.0) return false;
    if (!findMode) return true;
    const ExtractorParameters& parameters = context.parameters;
    if (parentCentroidInMSscan(run, scan.parentMz, index, parameters.parentTolerance,
                               parameters.findMonoisotopicParent != 0) >= 500.0) {
        return false;
    }
    const KestranePeak parent2 =
        makeParentKestranePeak(scan.parentMz, 2, parameters.parentTolerance, context.chemistry.groups);
    const double middle = (parent2.tolerance + parent2.mPlusH) * 0.5;
    return std::all_of(scan.peaks.begin(), scan.peaks.end(), [&](const SpectrumPoint& peak) { return peak.mOverZ > middle; });
}

// The fragments as a doubly charged precursor leaves them: the evidence of
// the b/y pairs and of fragments above the precursor.
PickedPeaks pickedAsDoublyCharged(const MSscan& scan, const ExtractionContext& context) {
    const KestranePeak parent2 = makeParentKestranePeak(scan.parentMz, 2, context.parameters.parentTolerance, context.chemistry.groups);
    return pickPeaks(toKestranePeaks(scan.peaks), parent2, context.peakPickSettings());
}

void decideCharge(RunTable& run, std::int32_t index, PeakList& picked, const ExtractionContext& context,
                  bool findMode) {
    MSscan& scan = run[index];
    const ExtractorParameters& parameters = context.parameters;
    const KestranePeak parent2 = makeParentKestranePeak(scan.parentMz, 2, parameters.parentTolerance, context.chemistry.groups);

    if (chargeFromFragmentsAbovePrecursor(picked, parent2) == 1) {
        scan.parentMzCentroid = scan.parentMz;
        // Never stated, not even where the survey scan's resolved envelope
        // reads 1 too: on real ion-trap runs such pairs disagreed with the
        // instrument more often than not.
        assignCharge(scan, 1, ChargeSource::fragmentsAlone);
        return;
    }
    // A record that no survey scan precedes (in a run without survey scans,
    // none does) has no survey evidence: its centroid stays 0.
    const std::optional<std::int32_t> survey = preceedingMSscan(run, index);
    const bool surveyed = survey.has_value();
    if (surveyed) {
        scan.parentMzCentroid = parentCentroidInMSscan(run, scan.parentMz, *survey, parameters.parentTolerance,
                                                       parameters.findMonoisotopicParent != 0);
    }
    if (!findMode) return;

    const std::int32_t b2 = countBYpairs(picked, parent2, context.chemistry.groups);
    std::int32_t b3 = 0;
    if (b2 >= 3) {
        b3 = countBYpairs(picked, makeParentKestranePeak(scan.parentMz, 3, 2.5, context.chemistry.groups),
                          context.chemistry.groups);
    }

    const ChargeEvidence evidence(run, index, context);
    bool upperConfirmed = false;
    const std::int32_t zMS = surveyed && parameters.maxCharge > 1 ? evidence.seek(upperConfirmed) : 0;
    if (zMS >= 4) {
        evidence.log().print("\tassigned z = %d", zMS);
        assignCharge(scan, zMS, ChargeSource::surveyScan);
        return;
    }

    const double mz = scan.parentMz;
    const auto pairNote = [&](PairNote note) { writePairNote(evidence.log(), note, mz, b2, b3); };
    const double c = scan.parentMzCentroid;
    if (b2 < 3) {
        if (zMS >= 2) {
            evidence.log().print(";\tassigned z = %d", zMS);
            assignCharge(scan, zMS, ChargeSource::surveyScan);
        }
        return;
    }
    const double x4 = (3.0 * c + protonMass) / 4.0;
    if (zMS == 3) {
        if (upperConfirmed) {
            pairNote(PairNote::assigned3);
            assignCharge(scan, 3, ChargeSource::surveyScan);
            return;
        }
        const double s4 = evidence.signalNoise(x4);
        if (evidence.found(s4) || b3 > 1) {
            evidence.log().print(", z = 4 (%.1f) S/N: %.1f", x4, s4);
            pairNote(PairNote::assigned3);
            assignCharge(scan, 3, ChargeSource::surveyScan);
        } else {
            pairNote(PairNote::conflictWithZ2);
        }
        return;
    }
    const double s4 = evidence.signalNoise(x4);
    evidence.openLine().print("\tz = 4 (%.1f) S/N: %.1f", printableReal(x4), s4);
    // Charge 3 rests on the survey scans where they show the precursor at
    // charge 4; charge 2 where they showed it at charge 3.
    const bool seenAtFour = evidence.found(s4);
    if (b3 >= 3) {
        pairNote(PairNote::assigned3);
        assignCharge(scan, 3, seenAtFour ? ChargeSource::surveyScan : ChargeSource::fragmentPairs);
    } else if (seenAtFour) {
        if (b3 > 1 && x4 > 450.0) {
            pairNote(PairNote::assigned3);
            assignCharge(scan, 3, ChargeSource::surveyScan);
        } else {
            pairNote(PairNote::conflictWithZ4);
        }
    } else if (b3 > 0) {
        pairNote(PairNote::conflict);
    } else {
        pairNote(PairNote::assigned2);
        assignCharge(scan, 2, zMS == 2 ? ChargeSource::surveyScan : ChargeSource::fragmentPairs);
    }
}

}  // namespace

void DoublyChargedPicks::keep(std::int32_t index, PickedPeaks pick) {
    while (first_ + static_cast<std::int32_t>(picks_.size()) < index) picks_.emplace_back();
    picks_.emplace_back(std::move(pick));
}

std::optional<PickedPeaks> DoublyChargedPicks::take(std::int32_t index) {
    const std::int32_t at = index - first_;
    if (at < 0 || at >= static_cast<std::int32_t>(picks_.size())) return std::nullopt;
    return std::exchange(picks_[static_cast<std::size_t>(at)], std::nullopt);
}

void DoublyChargedPicks::forgetBefore(std::int32_t index) {
    for (; first_ < index && !picks_.empty(); ++first_) picks_.pop_front();
    first_ = std::max(first_, index);
}

void determinePrecursorCharges(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context,
                               DoublyChargedPicks* picks) {
    const ExtractorParameters& parameters = context.parameters;
    const bool findMode = parameters.chargeMode == ChargeMode::find;
    if (parameters.chargeMode == ChargeMode::fixed) {
        if (parameters.lowCharge != parameters.highCharge) return;
        for (std::int32_t i = first; i < end; ++i) assignCharge(run[i], parameters.lowCharge, ChargeSource::fixed);
        return;
    }
    // Every record is visited, survey scans and rejected records included.
    const RunTable& records = run;
    computeOnTwoCoresConsumeInOrder<std::optional<PickedPeaks>>(
        first, end,
        [&](std::int32_t i) -> std::optional<PickedPeaks> {
            if (surveyDecisionLeavesNoRow(records, i, context, findMode)) return std::nullopt;
            return pickedAsDoublyCharged(records[i], context);
        },
        [&](std::int32_t i, std::optional<PickedPeaks> picked) {
            if (!picked) return;
            // The b/y pair count reorders the list it is given.
            PeakList evidence = picked->peaks;
            decideCharge(run, i, evidence, context, findMode);
            const MSscan& scan = run[i];
            if (picks != nullptr && scan.msLevel == 2 && !scan.rejected) picks->keep(i, std::move(*picked));
        });
}
