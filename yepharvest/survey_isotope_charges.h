#pragma once
// Opt-in (query key chargeFromSurveyIsotopes): after the charge determination
// of "Find" or "Default", every live MS/MS record left without a charge, or
// called singly charged by its fragments, takes the charge that the resolved
// isotope envelope of its precursor shows in the preceding survey scan, when
// the envelope is unambiguous. Each such reading is a row of
// parentChargeCheck.txt.
#include <optional>

#include "core/extractor/extraction_context.h"
#include "core/peaks/resolved_envelope.h"
#include "yepharvest/ms_scan.h"

// The tolerance of the envelope's peaks: high-resolution survey scans place
// a precursor within a few ppm.
inline constexpr double kSurveyIsotopePpm = 15.0;

// What the survey scan preceding MS/MS record `index` shows of its
// precursor's charge; nothing when no survey scan precedes it or its
// envelope is unresolved or ambiguous.
std::optional<EnvelopeReading> surveyEnvelope(const RunTable& run, std::int32_t index, std::int32_t maxCharge);

// Records [first, end), once their charges are determined.
void chargePrecursorsFromSurveyIsotopes(RunTable& run, std::int32_t first, std::int32_t end,
                                        const ExtractionContext& context);
