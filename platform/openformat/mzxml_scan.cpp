#include "platform/openformat/mzxml_scan.h"

#include <algorithm>
#include <charconv>

#include "core/util/format_text.h"
#include "platform/openformat/param_terms.h"

namespace {

struct ScanKind {
    std::string_view scanType;
    const char* spectrumTerm;  // replaces "MS1 spectrum" / "MSn spectrum"
    const char* scanTerm;
    ExportSpectrumType type;
};

constexpr ScanKind kKinds[] = {
    {"SIM", "SIM spectrum", "selected ion monitoring", ExportSpectrumType::sim},
    {"SRM", "SRM spectrum", "selected reaction monitoring", ExportSpectrumType::srm},
    {"MRM", "SRM spectrum", "selected reaction monitoring", ExportSpectrumType::srm},
    {"CRM", "SRM spectrum", "selected reaction monitoring", ExportSpectrumType::srm},
    {"Q1", "precursor ion spectrum", "precursor ion spectrum", ExportSpectrumType::precursorIon},
};

constexpr std::pair<std::string_view, const char*> kActivations[] = {
    {"CID", "collision-induced dissociation"},
    {"ETD", "electron transfer dissociation"},
    {"ECD", "electron capture dissociation"},
    {"HCD", "beam-type collision-induced dissociation"},
};

// Numbers the library makes of mzXML attributes are written as the
// shortest text that reads back the same, with ".0" on whole numbers.
std::string numberText(double value) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    std::string result(text, error == std::errc() ? end : text);
    if (result.find_first_of(".eni") == std::string::npos) result += ".0";
    return result;
}

// xs:duration as mzXML writes times: "PT12.5S", "PT1M2.5S", "PT0.2H".
std::optional<double> durationSeconds(std::string_view text) {
    if (!text.starts_with("PT")) return std::nullopt;
    text.remove_prefix(2);
    double seconds = 0.0;
    bool any = false;
    while (!text.empty()) {
        double part = 0.0;
        const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), part, std::chars_format::fixed);
        if (error != std::errc() || stop == text.data() + text.size()) return std::nullopt;
        const char unit = *stop;
        seconds += part * (unit == 'H' ? 3600.0 : unit == 'M' ? 60.0 : unit == 'S' ? 1.0 : -1e300);
        if (unit != 'H' && unit != 'M' && unit != 'S') return std::nullopt;
        text.remove_prefix(static_cast<std::size_t>(stop - text.data()) + 1);
        any = true;
    }
    if (!any) return std::nullopt;
    return seconds;
}

class ScanReading {
public:
    ScanReading(const MzXMLHeader& header, std::vector<ExportParameter>* parameters)
        : header_(header), parameters_(parameters) {}

    MzXMLScanText read(std::string_view scan) {
        XmlPull pull(scan);
        XmlTag tag;
        bool scanSeen = false;
        while (pull.next(tag)) {
            if (tag.closing) continue;
            if (tag.name == "scan" && !scanSeen) {
                scanSeen = true;
                scanTag(tag);
            } else if (tag.name == "precursorMz") {
                precursor(tag, tag.empty ? std::string_view() : keptXmlText(pull, result_.decodedText));
            } else if (tag.name == "peaks" && !result_.hasPeaks) {
                peaksTag(tag, tag.empty ? std::string_view() : keptXmlText(pull, result_.decodedText));
            }
        }
        if (pull.problem()) throw SpectrumDamage(pull.problem()->what);
        if (!scanSeen) throw SpectrumDamage("its scan tag is missing");
        return std::move(result_);
    }

private:
    std::string attribute(const XmlTag& tag, std::string_view name) const {
        std::optional<std::string> value = attributeValue(tag.attributes, name);
        if (!value) throw SpectrumDamage("an attribute holds an unknown reference");
        return std::move(*value);
    }

    void list(const char* group, std::string name, std::string value = {}) {
        if (parameters_ != nullptr) parameters_->push_back({group, std::move(name), std::move(value)});
    }

    double number(const std::string& text, const char* what) const {
        const std::optional<double> value = numberValue(text);
        if (!value) throw SpectrumDamage(formatText("its %s \"%s\" is not a number", what, text.c_str()));
        return *value;
    }

    void scanTag(const XmlTag& tag) {
        ExportSpectrum& s = result_.description;
        const std::string num = attribute(tag, "num");
        s.id = header_.thermoIds ? "controllerType=0 controllerNumber=1 scan=" + num : "scan=" + num;
        const std::string count = attribute(tag, "peaksCount");
        const std::string text = count.empty() ? "0" : count;
        const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), result_.peaksCount);
        if (error != std::errc() || stop != text.data() + text.size()) {
            throw SpectrumDamage(formatText("its peaksCount \"%s\" is not a count", count.c_str()));
        }
        const std::string level = attribute(tag, "msLevel");
        if (!level.empty()) {
            s.msLevel = static_cast<std::int32_t>(number(level, "msLevel"));
            list("spectrum", "ms level", level);
        }
        const std::string polarity = attribute(tag, "polarity");
        if (polarity == "+" || polarity == "-") list("spectrum", polarity == "+" ? "positive scan" : "negative scan");
        const std::string scanType = attribute(tag, "scanType");
        const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                       [&](const ScanKind& k) { return k.scanType == scanType; });
        if (kind != std::end(kKinds)) {
            s.type = kind->type;
            list("spectrum", kind->spectrumTerm);
        } else if (!level.empty()) {
            s.isMs1Spectrum = s.msLevel == 1;
            list("spectrum", s.msLevel == 1 ? "MS1 spectrum" : "MSn spectrum");
        }
        const std::string centroided = attribute(tag, "centroided");
        const std::optional<bool> centroid = centroided.empty() ? header_.centroided
                                                                : std::optional<bool>(centroided == "1" || centroided == "true");
        if (centroid) list("spectrum", *centroid ? "centroid spectrum" : "profile spectrum");
        const std::pair<const char*, const char*> summaries[] = {{"lowMz", "lowest observed m/z"},
                                                                 {"highMz", "highest observed m/z"},
                                                                 {"basePeakMz", "base peak m/z"},
                                                                 {"basePeakIntensity", "base peak intensity"},
                                                                 {"totIonCurrent", "total ion current"}};
        for (const auto& [attributeName, term] : summaries) {
            std::string value = attribute(tag, attributeName);
            if (value.empty()) continue;
            if (std::string_view(attributeName) == "totIonCurrent") s.totalIonCurrent = value;
            list("spectrum", term, std::move(value));
        }
        if (kind != std::end(kKinds)) list("scan", kind->scanTerm);
        const std::string time = attribute(tag, "retentionTime");
        if (!time.empty()) {
            const std::optional<double> seconds = durationSeconds(time);
            if (!seconds) throw SpectrumDamage(formatText("its retentionTime \"%s\" is not a duration", time.c_str()));
            const std::string problem = retentionTimeProblem(*seconds);
            if (!problem.empty()) {
                throw SpectrumDamage(formatText("its retentionTime \"%s\" is %s", time.c_str(), problem.c_str()));
            }
            s.scanStartSeconds = *seconds;
            const bool plain = time.size() > 3 && time.ends_with('S') && time.find_first_of("HM") == std::string::npos;
            list("scan", "scan start time", plain ? time.substr(2, time.size() - 3) : numberText(*seconds));
        }
        const auto window = [&](const char* wanted, const char* fallback, const char* term) {
            std::string value = attribute(tag, wanted);
            if (value.empty()) value = attribute(tag, fallback);
            if (!value.empty()) list("scanWindow", term, numberText(number(value, wanted)));
        };
        window("startMz", "lowMz", "scan window lower limit");
        window("endMz", "highMz", "scan window upper limit");
        energy_ = attribute(tag, "collisionEnergy");
        if (!energy_.empty()) energyValue_ = number(energy_, "collisionEnergy");
    }

    void precursor(const XmlTag& tag, std::string_view text) {
        ExportPrecursor p;
        std::string mz(text);
        while (!mz.empty() && isXmlSpace(mz.back())) mz.pop_back();
        mz.erase(0, std::min(mz.size(), mz.find_first_not_of(" \t\r\n")));
        const std::string wideness = attribute(tag, "windowWideness");
        if (!wideness.empty()) {
            const std::string half = numberText(number(wideness, "windowWideness") / 2);
            list("isolationWindow", "isolation window lower offset", half);
            list("isolationWindow", "isolation window upper offset", half);
        }
        const std::string intensity = attribute(tag, "precursorIntensity");
        // The library leaves out an intensity of 0, which converters write for none.
        if (!intensity.empty() && numberValue(intensity) != 0.0) list("selectedIon", "peak intensity", intensity);
        const std::string charge = attribute(tag, "precursorCharge");
        if (!charge.empty()) {
            p.chargeState = charge;
            list("selectedIon", "charge state", charge);
        }
        if (!mz.empty()) {
            p.selectedIonMz = number(mz, "precursorMz");
            list("selectedIon", "selected ion m/z", mz);
        }
        p.mz = p.selectedIonMz.value_or(0.0);
        p.collisionEnergy = energyValue_;
        if (!energy_.empty()) list("activation", "collision energy", energy_);
        const std::string method = attribute(tag, "activationMethod");
        const auto activation = std::find_if(std::begin(kActivations), std::end(kActivations),
                                             [&](const auto& known) { return known.first == method; });
        list("activation", activation != std::end(kActivations) ? activation->second : kActivations[0].second);
        result_.description.precursors.push_back(std::move(p));
    }

    void peaksTag(const XmlTag& tag, std::string_view text) {
        BinaryLayout& layout = result_.layout;
        layout.order = ByteOrder::big;
        const auto given = [&](std::string_view name, const char* absent) {
            std::string value = attribute(tag, name);
            return value.empty() ? std::string(absent) : value;
        };
        const std::string precision = given("precision", "32");
        const std::string compression = given("compressionType", "none");
        const std::string order = given("byteOrder", "network");
        std::string pairs = attribute(tag, "contentType");
        if (pairs.empty()) pairs = given("pairOrder", "m/z-int");
        const auto refuse = [](const char* what, const std::string& value) {
            throw SpectrumDamage(formatText("its peaks have the %s \"%s\", which this reader does not decode", what, value.c_str()));
        };
        if (precision != "32" && precision != "64") refuse("precision", precision);
        if (compression != "none" && compression != "zlib") refuse("compressionType", compression);
        if (order != "network") refuse("byteOrder", order);
        if (pairs != "m/z-int" && pairs != "m/z-intensity") refuse("contentType", pairs);
        layout.bits = precision == "64" ? 64 : 32;
        layout.zlib = compression == "zlib";
        result_.peaks = text;
        result_.hasPeaks = true;
    }

    const MzXMLHeader& header_;
    std::vector<ExportParameter>* parameters_;
    MzXMLScanText result_;
    std::string energy_;
    double energyValue_ = 0.0;
};

}  // namespace

MzXMLScanText readMzXMLScan(std::string_view scan, const MzXMLHeader& header, std::vector<ExportParameter>* parameters) {
    return ScanReading(header, parameters).read(scan);
}

std::string decodeMzXMLPeaks(const MzXMLScanText& scan, ExportArrays& arrays) {
    arrays.mz.clear();
    arrays.intensity.clear();
    const std::size_t count = scan.peaksCount;
    // Two values a peak: a count this large cannot be one.
    if (count > (std::size_t{1} << 40)) return formatText("its peaksCount %zu is more than any spectrum holds", count);
    if (!scan.hasPeaks) {
        if (count != 0) return formatText("its peaksCount is %zu but it holds no peaks", count);
        return {};
    }
    thread_local std::vector<double> values;
    std::string problem = decodeBinaryArray(scan.peaks, scan.layout, 2 * count, values);
    if (!problem.empty() && count == 0) {
        // Some converters write one zero pair for a scan without peaks.
        const bool onePair = decodeBinaryArray(scan.peaks, scan.layout, 2, values).empty() &&
                             std::all_of(values.begin(), values.end(), [](double v) { return v == 0.0; });
        if (onePair) return {};
    }
    if (!problem.empty()) return formatText("its peaks disagree with its peaksCount of %zu: %s", count, problem.c_str());
    arrays.mz.resize(count);
    arrays.intensity.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        arrays.mz[i] = values[2 * i];
        arrays.intensity[i] = values[2 * i + 1];
    }
    return {};
}
