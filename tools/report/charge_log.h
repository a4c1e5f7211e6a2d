#pragma once
// parentChargeCheck.txt: the evidence and the decision of each charge
// determination. One spectrum may open several lines (MS-scan evidence, then
// the b/y pair comparison); its decision is the last one logged for it.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/report/log_lines.h"
#include "tools/report/run_names.h"

struct ChargeSelection {
    // Decision label -> number of spectra, e.g. "assigned z = 2".
    std::map<std::string, int> decisions;
    int spectra = 0;             // distinct spectra logged
    int withSurveyEvidence = 0;  // a neighbouring charge state seen in the survey scans
    int withPairCounts = 0;      // b/y pairs counted for charges 2 and 3
    std::vector<int> malformedLines;
};

// The decision label of one spectrum's concatenated log text.
std::string chargeDecision(std::string_view text);

// All of the run's decisions.
ChargeSelection selectChargeDecisions(const LogFile& file, std::string_view run, RunProgram program);

// The run's decisions in the pieces that hold its rows: wiffharvest starts
// each sample with a line "numActualPeriods: N" and its samples' scan names
// repeat, so a spectrum is one spectrum only within its piece. yepharvest's
// rows are one piece.
std::vector<ChargeSelection> selectChargeDecisionsBySample(const LogFile& file, std::string_view run,
                                                           RunProgram program);
