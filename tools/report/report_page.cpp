#include "tools/report/report_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "core/util/format_text.h"
#include "tools/report/charge_agreement.h"
#include "tools/report/html_text.h"
#include "tools/report/svg_charts.h"

namespace {

constexpr const char* style = R"(
body { font-family: "DejaVu Sans", "Helvetica Neue", Arial, sans-serif; color: #1f2530; background: #f6f7f9;
       margin: 0; }
main { max-width: 1000px; margin: 0 auto; padding: 24px 28px 40px; background: #fff; }
h1 { font-size: 26px; margin: 0 0 6px; }
h2, h3 { font-size: 19px; margin: 34px 0 10px; padding-bottom: 4px; border-bottom: 2px solid #e3e6ea; }
section.sample > h2 { font-size: 22px; margin-top: 44px; padding: 8px 12px; background: #eef1f5; border: none;
                      border-left: 5px solid #0072b2; }
section.sample > h2 .output-name { font-size: 15px; font-weight: normal; color: #4a5260; }
p.meta { color: #4a5260; margin: 2px 0; font-size: 14px; }
code { font-family: "DejaVu Sans Mono", monospace; font-size: 0.95em; }
.notices { background: #fff6e5; border-left: 5px solid #e69f00; padding: 8px 16px; margin-top: 18px; }
.notices h2 { border: none; margin: 6px 0; font-size: 17px; }
.notices li { margin: 4px 0; }
.figures { display: flex; flex-wrap: wrap; gap: 12px; margin-top: 18px; }
.figure { flex: 1 1 150px; border: 1px solid #e3e6ea; border-radius: 6px; padding: 10px 14px; }
.figure .value { font-size: 26px; font-weight: bold; }
.figure .label { font-size: 13px; color: #4a5260; }
table { border-collapse: collapse; margin: 10px 0; font-size: 14px; }
th, td { border-bottom: 1px solid #e3e6ea; padding: 5px 12px; text-align: left; }
td.number, th.number { text-align: right; font-variant-numeric: tabular-nums; }
th { background: #f0f2f5; }
svg.chart { width: 100%; height: auto; display: block; margin: 12px 0 4px; }
svg.chart text { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 13px; fill: #1f2530; }
svg.chart .chart-title { font-size: 15px; font-weight: bold; }
svg.chart .axis-label { font-size: 14px; fill: #4a5260; }
svg.chart .bar-value { font-weight: bold; }
svg.chart .chart-note, svg.chart .chart-empty { fill: #4a5260; }
p.explain { color: #4a5260; font-size: 13px; margin: 2px 0 10px; }
nav#contents { border: 1px solid #e3e6ea; border-radius: 6px; padding: 4px 16px; margin-top: 18px; font-size: 14px; }
nav#contents h2 { border: none; margin: 8px 0 4px; font-size: 17px; }
nav#contents li { margin: 3px 0; }
p.warning { background: #fdecea; border-left: 5px solid #c0392b; padding: 6px 12px; font-size: 13px; }
)";

const char* chargeColor(int charge) {
    switch (charge) {
        case 0: return "#8a8f98";
        case 1: return "#e69f00";
        case 2: return "#0072b2";
        case 3: return "#009e73";
        case 4: return "#cc79a7";
        default: return "#d55e00";
    }
}

// A single run's sections stand under the page's title; a sample's under
// the sample's own heading.
std::string heading(const std::string& ids, const std::string& text) {
    const char* level = ids.empty() ? "h2" : "h3";
    return std::string("<") + level + ">" + text + "</" + level + ">\n";
}

std::string chargeLabel(int charge) { return charge == 0 ? "undetermined" : "z = " + std::to_string(charge); }

std::string cell(const std::optional<long>& value, const std::string& id) {
    const std::string attribute = id.empty() ? "" : " id=\"" + id + "\"";
    return "<td class=\"number\"" + attribute + ">" + (value ? std::to_string(*value) : "&mdash;") + "</td>";
}

std::string figure(const std::string& id, const std::string& value, const std::string& label) {
    return "<div class=\"figure\"><div class=\"value\" id=\"" + id + "\">" + escapeHtml(value) +
           "</div><div class=\"label\">" + escapeHtml(label) + "</div></div>\n";
}

std::string header(const RunReport& report) {
    const ReportRequest& request = report.request;
    std::string html = "<h1>Run report: <code>" + escapeHtml(request.run) + "</code></h1>\n";
    html += "<p class=\"meta\">Log folder <code>" + escapeHtml(request.logDir) + "</code>, spectrum features in <code>" +
            escapeHtml(request.featuresName) + "</code>; written by " +
            (report.program == RunProgram::yepharvest ? "yepharvest" : "wiffharvest") + ".</p>\n";
    if (const StatsBlock* block = report.statsBlock()) {
        if (!block->filePath.empty()) {
            html += "<p class=\"meta\">Data file <code>" + escapeHtml(block->filePath) + "</code></p>\n";
        }
        for (const auto& [name, value] : block->identity) {
            html += "<p class=\"meta\">" + escapeHtml(name) + ": " + (value.empty() ? "(none)" : escapeHtml(value)) +
                    "</p>\n";
        }
    }
    return html;
}

std::string notices(const RunReport& report) {
    if (report.notices.empty()) return "";
    std::string html = "<section class=\"notices\" id=\"notices\"><h2>What the logs do not tell</h2><ul>\n";
    for (const std::string& notice : report.notices) html += "<li>" + escapeHtml(notice) + "</li>\n";
    return html + "</ul></section>\n";
}

std::string keyFigures(const RunPart& part, const std::string& ids) {
    const std::vector<WrittenSpectrum>& spectra = part.spectra;
    const long written = static_cast<long>(spectra.size());
    const long charged =
        std::count_if(spectra.begin(), spectra.end(), [](const WrittenSpectrum& s) { return givenCharge(s) > 0; });
    const std::optional<long> collected = part.counter("numMSMSscansCollected");
    std::string merged = "n/a";
    std::string filtered = "n/a";
    if (const std::optional<RejectSelection>& rejects = part.rejects) {
        merged = std::to_string(rejects->count(RejectKind::merged));
        filtered = std::to_string(rejects->count(RejectKind::parentRange) + rejects->count(RejectKind::tooFewPeaks) +
                                  rejects->count(RejectKind::sequenceTag) + rejects->count(RejectKind::other));
    }
    std::string html = "<div class=\"figures\">\n";
    html += figure(ids + "figure-collected", collected ? std::to_string(*collected) : "n/a",
                   collected ? "MS/MS spectra collected" : "MS/MS spectra collected (no statistics block)");
    html += figure(ids + "figure-written", std::to_string(written), "peak lists written");
    html += figure(ids + "figure-merged", merged, "spectra merged into another");
    html += figure(ids + "figure-filtered", filtered, "spectra rejected by the filters");
    char share[32];
    std::snprintf(share, sizeof share, "%.0f %%", written ? 100.0 * static_cast<double>(charged) / static_cast<double>(written) : 0.0);
    html += figure(ids + "figure-charged", written ? share : "n/a", "written spectra with a stated charge");
    return html + "</div>\n";
}

std::string stages(const RunPart& part, RunProgram program, const std::string& ids) {
    const std::vector<StageCount> counts = stageCounts(part, program);
    std::vector<Bar> bars;
    for (const StageCount& count : counts) {
        const std::optional<long> value = count.fromStatistics ? count.fromStatistics : count.fromRows;
        if (!value || count.key == "merged-groups") continue;
        const char* color = count.key == "collected"    ? "#4a5260"
                            : count.key == "scan-range" ? "#b0b6bf"
                            : count.key == "merged"     ? "#7e57c2"
                            : count.key == "written"    ? "#009e73"
                                                        : "#d55e00";
        bars.push_back({count.label, static_cast<double>(*value), color});
    }
    std::string html = "<section id=\"" + ids + "stages\">" + heading(ids, part.sample == 0 ? "Spectra per stage, all samples" : "Spectra per stage");
    html += horizontalBarChart("Spectra at each stage of the run", bars, Axis{"spectra (count)"});
    html += "<p class=\"explain\">Collected comes from the run's statistics block when there is one, otherwise from the "
            "rows of the logs (written + merged + rejected by the filters). Scan-range rows count survey scans "
            "too.</p>\n";
    html += "<table><tr><th>Stage</th><th class=\"number\">runStats.txt</th><th class=\"number\">rows in the logs</th></tr>\n";
    for (const StageCount& count : counts) {
        html += "<tr><td>" + escapeHtml(count.label) + "</td>" + cell(count.fromStatistics, ids + "stats-" + count.key) +
                cell(count.fromRows, ids + "rows-" + count.key) + "</tr>\n";
    }
    html += "</table>\n";
    if (part.rejects && !part.rejects->otherReasons.empty()) {
        html += "<table><tr><th>Other reject reason</th><th class=\"number\">spectra</th></tr>\n";
        for (const auto& [reason, number] : part.rejects->otherReasons) {
            html += "<tr><td>" + escapeHtml(reason) + "</td><td class=\"number\">" + std::to_string(number) + "</td></tr>\n";
        }
        html += "</table>\n";
    }
    return html + "</section>\n";
}

std::string percentText(long part, long whole) { return formatText("%.0f %%", 100.0 * part / whole); }

// The stated charges against the instrument's, and the share of 1+.
std::string chargeChecks(const ChargeAgreement& a, const std::string& ids) {
    std::string html;
    if (a.withInstrumentCharge > 0) {
        html += "<p class=\"explain\" id=\"" + ids + "charge-agreement\">The export carries the instrument's charge for " +
                std::to_string(a.withInstrumentCharge) + " of the " + std::to_string(a.written) +
                " written spectra: " + std::to_string(a.charged) + " of them are given a charge, and " +
                std::to_string(a.agreeing) + " of those agree with the instrument's" +
                (a.charged > 0 ? " (" + percentText(a.agreeing, a.charged) + ")" : "") + ".</p>\n";
    }
    if (a.manySinglyCharged()) {
        html += "<p class=\"warning\" id=\"" + ids + "singly-charged-warning\">Warning: " +
                std::to_string(a.singlyCharged()) + " of the " + std::to_string(a.written) + " written spectra (" +
                percentText(a.singlyCharged(), a.written) +
                ") are given 1+, more than 10 %. Tryptic peptides seldom are: these charges are probably wrong, and "
                "a search engine searches a stated charge alone.</p>\n";
    }
    return html;
}

std::string charges(const RunPart& part, const std::string& ids) {
    const ChargeAgreement agreement = chargeAgreement(part.spectra);
    // Read from the MGF file only when every spectrum's block was found.
    const bool fromMgf = !part.spectra.empty() && std::all_of(part.spectra.begin(), part.spectra.end(), [](const WrittenSpectrum& s) {
        return s.statedCharge.has_value();
    });
    std::vector<Bar> chargeBars;
    for (const auto& [charge, number] : agreement.stated) {
        const std::string label = charge != 0 ? "z = " + std::to_string(charge) : fromMgf ? "none" : "undetermined";
        chargeBars.push_back({label, static_cast<double>(number), chargeColor(charge)});
    }
    std::string html = "<section id=\"" + ids + "charges\">" + heading(ids, "Charges");
    if (fromMgf) {
        html += columnChart("Charges the MGF file states", chargeBars,
                            Axis{"CHARGE line (none: the search engine tries the charges itself)"},
                            Axis{"spectra (count)"});
    } else {
        html += columnChart("Precursor charge of the .pkl files", chargeBars, Axis{"charge in the .pkl header"},
                            Axis{"peak lists (count)"});
    }
    html += chargeChecks(agreement, ids);
    if (!part.charges) {
        return html + "<p class=\"explain\">The rows of parentChargeCheck.txt could not be given to this sample (see "
                      "above).</p>\n</section>\n";
    }
    std::vector<std::pair<std::string, int>> decisions(part.charges->decisions.begin(), part.charges->decisions.end());
    std::sort(decisions.begin(), decisions.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<Bar> decisionBars;
    for (const auto& [label, number] : decisions) {
        const bool assigned = label.find("assigned") == 0;
        const int charge = assigned ? label.back() - '0' : 0;
        decisionBars.push_back({label, static_cast<double>(number), assigned ? chargeColor(charge) : "#d55e00"});
    }
    html += horizontalBarChart("Decisions logged in parentChargeCheck.txt (one per spectrum)", decisionBars,
                               Axis{"spectra (count)"});
    html += "<p class=\"explain\" id=\"" + ids + "charge-evidence\">" + std::to_string(part.charges->spectra) +
            " spectra have charge-check rows; " + std::to_string(part.charges->withSurveyEvidence) +
            " with a neighbouring charge state in the survey scans, " + std::to_string(part.charges->withPairCounts) +
            " with b/y pair counts. A spectrum without such evidence, or found singly charged from its fragments, "
            "leaves no row; survey scans and rejected spectra may leave rows too.</p>\n";
    return html + "</section>\n";
}

std::string precursors(const RunPart& part, const RunReport& report, const std::string& ids) {
    // Times only when every spectrum has one: a chart never mixes its axes.
    const bool timed = report.times != TimeSource::none &&
                       std::all_of(part.spectra.begin(), part.spectra.end(),
                                   [](const WrittenSpectrum& s) { return s.retentionMinutes || !s.parentMz; });
    std::map<int, Series> byCharge;
    long undrawn = 0;
    for (const WrittenSpectrum& spectrum : part.spectra) {
        const std::optional<double> x = timed ? spectrum.retentionMinutes
                                              : spectrum.scanNumber ? std::optional<double>(static_cast<double>(*spectrum.scanNumber))
                                                                    : std::nullopt;
        if (!x || !spectrum.parentMz) {
            ++undrawn;
            continue;
        }
        char tip[64];
        std::snprintf(tip, sizeof tip, timed ? ": %.3f min, m/z %.2f" : ": scan %.0f, m/z %.2f", *x, *spectrum.parentMz);
        byCharge[givenCharge(spectrum)].points.push_back({*x, *spectrum.parentMz, spectrum.name + tip});
    }
    std::vector<Series> series;
    for (auto& [charge, points] : byCharge) {
        points.label = chargeLabel(charge);
        points.color = chargeColor(charge);
        series.push_back(std::move(points));
    }
    const std::string against = timed ? "retention time" : "scan number";
    const std::string axis = !timed ? "scan number (first scan of the group)"
                             : report.times == TimeSource::runExport
                                 ? "retention time of the first scan (min)"
                                 : "retention time of the first scan (min, in the 0.1 min steps of the peak-list names)";
    std::string html = "<section id=\"" + ids + "precursors\">" + heading(ids, "Precursor m/z against " + against);
    html += scatterChart("Precursor m/z of each written peak list", series, Axis{axis}, Axis{"precursor m/z (Th)"});
    if (undrawn > 0) {
        html += "<p class=\"explain\">" + std::to_string(undrawn) + " peak lists have no " +
                (timed ? "retention time" : "scan number") + " or precursor m/z in the log and are not drawn.</p>\n";
    }
    if (!timed && report.program == RunProgram::yepharvest && report.request.dataFilename.empty()) {
        html += "<p class=\"explain\">yepharvest's logs carry no times: given the run's data file "
                "(<code>quarrow-report --data</code>), the page reads them from its export.</p>\n";
    }
    return html + "</section>\n";
}

std::string signalNoise(const RunPart& part, const std::vector<std::string>& columns, const std::string& ids) {
    std::vector<double> parent;
    std::vector<double> basePeak;
    for (const WrittenSpectrum& spectrum : part.spectra) {
        if (spectrum.parentSignalNoise) parent.push_back(*spectrum.parentSignalNoise);
        if (spectrum.maxIntensity && spectrum.noiseMean && spectrum.noiseStandardDeviation &&
            *spectrum.noiseStandardDeviation > 0) {
            basePeak.push_back((*spectrum.maxIntensity - *spectrum.noiseMean) / *spectrum.noiseStandardDeviation);
        }
    }
    std::string html = "<section id=\"" + ids + "signal-noise\">" + heading(ids, "Signal-to-noise");
    const bool hasParentColumn = std::find(columns.begin(), columns.end(), "parentSignalNoise") != columns.end();
    if (hasParentColumn) {
        html += histogramChart("Precursor signal-to-noise in the surrounding survey scans (parentSignalNoise)",
                               makeDecadeHistogram(parent),
                               Axis{"signal-to-noise ratio (precursor intensity above noise mean / noise SD; bins widen by decade)"},
                               "#0072b2");
    } else {
        html += "<p class=\"explain\">This features file has no parentSignalNoise column.</p>\n";
    }
    html += histogramChart("MS/MS base peak above noise: (maxIntensity \u2212 noiseMean) / noiseStandardDeviation",
                           makeDecadeHistogram(basePeak),
                           Axis{"signal-to-noise ratio (counts above noise mean / noise SD in counts; bins widen by decade)"},
                           "#009e73");
    return html + "</section>\n";
}

std::string peakCounts(const RunPart& part, const std::string& ids) {
    std::vector<double> picked;
    std::vector<double> original;
    for (const WrittenSpectrum& spectrum : part.spectra) {
        if (spectrum.numPeaks) picked.push_back(static_cast<double>(*spectrum.numPeaks));
        if (spectrum.numOriginalPeaks) original.push_back(static_cast<double>(*spectrum.numOriginalPeaks));
    }
    std::string html = "<section id=\"" + ids + "peak-counts\">" + heading(ids, "Peak counts");
    html += histogramChart("Peaks kept by peak picking (numPeaks)", makeHistogram(picked, 12), Axis{"peaks per spectrum"},
                           "#cc79a7");
    html += histogramChart("Peaks in the written peak list (numOriginalPeaks)", makeHistogram(original, 12),
                           Axis{"peaks per spectrum"}, "#7e57c2");
    return html + "</section>\n";
}

std::string statistics(const RunReport& report) {
    const StatsBlock* block = report.statsBlock();
    std::string html = "<section id=\"statistics\"><h2>Statistics block of runStats.txt</h2>\n";
    if (!block) return html + "<p>No statistics block was found for this run.</p></section>\n";
    html += "<p class=\"explain\" id=\"statistics-found\">Starting at line " + std::to_string(block->firstLine) +
            (report.stats.foundByExportId.empty()
                 ? std::string(".")
                 : ", named " + escapeHtml(report.stats.foundByExportId) +
                       ": the run id of this run's export, whose sample name and date it carries" +
                       (report.stats.toldApartByRows
                            ? formatText("; of the %zu such blocks the one that counts as many peak lists as the "
                                         "run's rows.",
                                         report.stats.indistinct.size())
                            : std::string("."))) +
            "</p>\n";
    // One column per sample: wiffharvest writes one block per sample.
    std::vector<std::string> counters;
    for (const StatsSample& sample : block->samples) {
        for (const auto& [name, value] : sample.counters) {
            if (std::find(counters.begin(), counters.end(), name) == counters.end()) counters.push_back(name);
        }
    }
    if (counters.empty()) return html + "<p>The block has no counters.</p></section>\n";
    const bool perSample = block->samples.size() > 1;
    html += "<table><tr><th>Counter</th>";
    for (const StatsSample& sample : block->samples) {
        html += "<th class=\"number\">" +
                (perSample ? "sample " + std::to_string(sample.index) + (sample.name.empty() ? "" : ": " + escapeHtml(sample.name))
                           : std::string("value")) +
                "</th>";
    }
    html += perSample ? "<th class=\"number\">all samples</th></tr>\n" : "</tr>\n";
    for (const std::string& counter : counters) {
        html += "<tr><td><code>" + escapeHtml(counter) + "</code></td>";
        for (const StatsSample& sample : block->samples) {
            std::optional<long> value;
            for (const auto& [name, number] : sample.counters) {
                if (name == counter) value = number;
            }
            html += cell(value, "");
        }
        if (perSample) html += cell(block->total(counter), "");
        html += "</tr>\n";
    }
    html += "</table>\n";
    return html + "</section>\n";
}

std::string filesRead(const RunReport& report) {
    std::string html = "<section id=\"files\"><h2>Logs read</h2>\n<table><tr><th>File</th><th>State</th></tr>\n";
    for (const LogFileSummary& file : report.files) {
        html += "<tr><td><code>" + escapeHtml(file.path) + "</code></td><td>" + describeState(file.state) + "</td></tr>\n";
    }
    html += "</table>\n<p class=\"explain\">Spectrum-features header: " + describeLayout(report.features.layout) +
            ".</p>\n";
    return html + "</section>\n";
}

// The LC run as its export shows it, before anything the program did.
std::string lcRun(const RunPart& part, const RunReport& report, const std::string& ids) {
    std::string html = "<section id=\"" + ids + "lc-run\">" + heading(ids, "The LC run");
    if (!part.chromatogram) {
        const bool notGiven = report.program == RunProgram::yepharvest && report.request.dataFilename.empty();
        return html + "<p class=\"explain\">" +
               (notGiven ? "Given the run's data file (<code>quarrow-report --data</code>), the page draws its "
                           "chromatogram from its export."
                         : "No chromatogram is drawn: the run's export was not read, or its spectra are not "
                           "those the logs name (see above).") +
               "</p>\n</section>\n";
    }
    const RunChromatogram& run = *part.chromatogram;
    const Axis minutes{"retention time (min)"};
    // Counts run to many digits: the axes give them in thousands or millions.
    double highest = 0.0;
    for (const SurveyPoint& point : run.survey) highest = std::max(highest, point.totalIonCurrent);
    const double unit = highest >= 1e7 ? 1e6 : highest >= 1e4 ? 1e3 : 1.0;
    const Axis intensity{unit == 1e6 ? "intensity (million counts)" : unit == 1e3 ? "intensity (thousand counts)"
                                                                                    : "intensity (counts)"};
    if (run.survey.empty()) {
        html += "<p class=\"explain\">The export holds no survey scans with a start time: no chromatogram.</p>\n";
    } else {
        Series tic{"total ion current", "#0072b2", {}};
        Series base{"base peak", "#d55e00", {}};
        for (const SurveyPoint& point : run.survey) {
            tic.points.push_back({point.minutes, point.totalIonCurrent / unit, ""});
            base.points.push_back({point.minutes, point.basePeak / unit, ""});
        }
        html += scatterChart("Survey scans: total ion current and base peak", {tic, base}, minutes, intensity,
                             Marks::lines);
    }
    Histogram perMinute;
    const MinuteCounts minuteCounts = msmsPerMinute(run);
    perMinute.counts = minuteCounts.counts;
    for (std::size_t i = 0; i <= perMinute.counts.size(); ++i) {
        perMinute.edges.push_back(static_cast<double>(minuteCounts.first) + static_cast<double>(i));
    }
    perMinute.total = static_cast<long>(run.msms.size());
    html += histogramChart("MS/MS spectra per minute", perMinute, minutes, "#009e73");
    Series intensities{"precursors", "#cc79a7", {}};
    for (const MsmsPoint& point : run.msms) {
        if (point.precursorIntensity <= 0.0) continue;
        intensities.points.push_back(
            {point.minutes, point.precursorIntensity / unit,
             formatText("%.3f min, m/z %.2f: %.0f", point.minutes, point.precursorMz, point.precursorIntensity)});
    }
    if (!run.survey.empty()) {
        html += scatterChart("Precursor intensity in the survey scan before", {intensities}, minutes, intensity);
    }
    html += "<p class=\"explain\" id=\"" + ids + "lc-run-counts\">" + std::to_string(run.survey.size()) +
            " survey scans, " + std::to_string(run.msms.size()) + " MS/MS spectra in the export";
    if (!run.survey.empty()) {
        html += formatText("; a precursor's intensity is the highest point within %.2f Th of its m/z in the last "
                           "survey scan before it (",
                           precursorWindowMz) +
                std::to_string(run.msms.size() - intensities.points.size()) + " have none and are not drawn)";
    }
    if (run.untimed > 0) html += "; " + std::to_string(run.untimed) + " spectra without a start time are left out";
    return html + ".</p>\n</section>\n";
}

// Everything the page shows of one LC run.
std::string runSections(const RunPart& part, const RunReport& report, const std::string& ids) {
    return lcRun(part, report, ids) + keyFigures(part, ids) + stages(part, report.program, ids) + charges(part, ids) + precursors(part, report, ids) +
           signalNoise(part, report.features.columns, ids) + peakCounts(part, ids);
}

// Several samples make a long page: where each one starts.
std::string contents(const RunReport& report) {
    std::string html = "<nav id=\"contents\"><h2>Contents</h2>\n<ol>\n";
    for (const RunPart& sample : report.samples) {
        const std::string id = "sample-" + std::to_string(sample.sample);
        html += "<li><a href=\"#" + id + "\">Sample " + std::to_string(sample.sample) +
                (sample.name.empty() ? "" : ": " + escapeHtml(sample.name)) + "</a> (" +
                std::to_string(sample.spectra.size()) + " peak lists): <a href=\"#" + id +
                "-lc-run\">LC run</a>, <a href=\"#" + id + "-stages\">stages</a>, <a href=\"#" + id +
                "-charges\">charges</a>, <a href=\"#" + id + "-precursors\">precursors</a></li>\n";
    }
    return html + "<li><a href=\"#statistics\">Statistics block</a></li>\n<li><a href=\"#files\">Logs read</a></li>\n"
                  "</ol>\n</nav>\n";
}

}  // namespace

std::string renderReportPage(const RunReport& report) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Run report: " +
                       escapeHtml(report.request.run) + "</title>\n<style>" + style + "</style>\n</head>\n<body>\n<main>\n";
    html += header(report);
    html += notices(report);
    if (report.samples.size() <= 1) {
        html += runSections(report.samples.empty() ? report.wholeRun() : report.samples.front(), report, "");
    } else {
        // A .wiff file's samples are LC runs of their own: the file's totals
        // first, then each sample on its own.
        const RunPart whole = report.wholeRun();
        html += contents(report);
        html += keyFigures(whole, "") + stages(whole, report.program, "");
        for (const RunPart& sample : report.samples) {
            const std::string ids = "sample-" + std::to_string(sample.sample) + "-";
            html += "<section class=\"sample\" id=\"sample-" + std::to_string(sample.sample) + "\"><h2>Sample " +
                    std::to_string(sample.sample) + (sample.name.empty() ? "" : ": " + escapeHtml(sample.name)) +
                    " <span class=\"output-name\">(peak lists <code>" + escapeHtml(sample.outputName) +
                    ".*</code>)</span></h2>\n";
            html += runSections(sample, report, ids) + "</section>\n";
        }
    }
    html += statistics(report);
    html += filesRead(report);
    return html + "</main>\n</body>\n</html>\n";
}
