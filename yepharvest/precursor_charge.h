#pragma once
// Sets the precursor charge of every record from three kinds of evidence: a
// singly-charged test on the fragments, the same molecule at neighbouring
// charge states in the survey scans, and b/y pairs fitting charge 2 and 3.
// In the full mode every finding goes to parentChargeCheck.txt.
#include <cstdint>
#include <deque>
#include <optional>

#include "core/extractor/extraction_context.h"
#include "core/peaks/peak_picking.h"
#include "yepharvest/ms_scan.h"

// The picks the charge decision made as for a doubly charged precursor, by
// record, for the filters to take over: a spectrum whose charge stays
// undetermined or 2 is filtered against the same parent, so its pick would
// be the same.
class DoublyChargedPicks {
public:
    // Records come in order; a record without a pick may be left out.
    void keep(std::int32_t index, PickedPeaks pick);
    // Record `index`'s pick, once; several threads may take different records' at once.
    std::optional<PickedPeaks> take(std::int32_t index);
    // The records before `index` are filtered.
    void forgetBefore(std::int32_t index);

private:
    std::int32_t first_ = 0;
    std::deque<std::optional<PickedPeaks>> picks_;  // record first_ + k at k
};

// Records [first, end): every record of their merged groups and the survey
// scans those span must be final. The picks of MS/MS spectra still to be
// filtered go to `picks`, when given.
void determinePrecursorCharges(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context,
                               DoublyChargedPicks* picks = nullptr);
