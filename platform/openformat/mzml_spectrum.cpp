#include "platform/openformat/mzml_spectrum.h"

#include <algorithm>
#include <charconv>

#include "core/util/format_text.h"

namespace {

// The elements whose terms are the spectrum's parameters.
bool listedElement(std::string_view element, std::string_view parent) {
    return element == "spectrum" || (element == "scan" && parent == "scanList") || element == "scanWindow" ||
           (element == "precursor" && parent == "precursorList") || element == "isolationWindow" ||
           element == "selectedIon" || element == "activation";
}

double number(const std::string& text, const char* what) {
    const std::optional<double> value = numberValue(text);
    if (!value) throw SpectrumDamage(formatText("its %s \"%s\" is not a number", what, text.c_str()));
    return *value;
}

double secondsPer(std::string_view unit) {
    if (unit == "UO:0000031") return 60.0;
    if (unit == "UO:0000032") return 3600.0;
    if (unit == "UO:0000028") return 0.001;
    return 1.0;
}

struct ArrayCoding {
    std::string_view accession;
    int bits;  // 0: a compression, not a data type
    bool zlib;
    Numpress numpress;
};

constexpr ArrayCoding kCodings[] = {
    {"MS:1000521", 32, false, Numpress::none},      {"MS:1000523", 64, false, Numpress::none},
    {"MS:1000576", 0, false, Numpress::none},       {"MS:1000574", 0, true, Numpress::none},
    {"MS:1002312", 0, false, Numpress::linear},     {"MS:1002313", 0, false, Numpress::pic},
    {"MS:1002314", 0, false, Numpress::slof},       {"MS:1002746", 0, true, Numpress::linear},
    {"MS:1002747", 0, true, Numpress::pic},         {"MS:1002748", 0, true, Numpress::slof},
};

// Data types and compressions this reader does not decode.
constexpr std::string_view kOtherCodings[] = {"MS:1000518", "MS:1000519", "MS:1000520", "MS:1000522",
                                              "MS:1001479", "MS:1002478"};

// What one spectrum element has to say, term by term.
class Reading {
public:
    Reading(const ParamGroups& groups, std::vector<ExportParameter>* parameters)
        : groups_(groups), parameters_(parameters) {}

    MzmlSpectrumText read(std::string_view element) {
        ExportSpectrum& s = result_.description;
        XmlPull pull(element);
        XmlTag tag;
        while (pull.next(tag)) {
            if (tag.closing) {
                if (open_.empty() || open_.back() != tag.name) {
                    throw SpectrumDamage(formatText("its elements do not nest (</%.*s>)", static_cast<int>(tag.name.size()),
                                                    tag.name.data()));
                }
                close(tag.name);
                open_.pop_back();
                continue;
            }
            start(tag, pull);
            if (tag.empty) {
                close(tag.name);
            } else {
                open_.push_back(tag.name);
            }
        }
        if (pull.problem()) throw SpectrumDamage(pull.problem()->what);
        if (!open_.empty()) throw SpectrumDamage("it ends before its elements do");
        if (msLevel_ && !msLevel_->empty()) s.msLevel = static_cast<std::int32_t>(number(*msLevel_, "ms level"));
        s.scanTypeCode = spectrumCode_ ? spectrumCode_ : scanCode_;
        return std::move(result_);
    }

private:
    std::string_view parent() const { return open_.size() < 2 ? std::string_view() : open_[open_.size() - 2]; }
    std::string_view current() const { return open_.empty() ? std::string_view() : open_.back(); }

    std::string attribute(const XmlTag& tag, std::string_view name) const {
        std::optional<std::string> value = attributeValue(tag.attributes, name);
        if (!value) throw SpectrumDamage("an attribute holds an unknown reference");
        return std::move(*value);
    }

    // An element's cvParams are listed before its userParams, whatever
    // their order in the text, as the library lists them.
    void settleListed() {
        if (parameters_ == nullptr) return;
        std::vector<std::pair<bool, ExportParameter>> run;
        for (std::size_t i = listedFrom_; i < parameters_->size(); ++i) run.emplace_back(userListed_[i], std::move((*parameters_)[i]));
        std::stable_partition(run.begin(), run.end(), [](const auto& entry) { return !entry.first; });
        for (std::size_t i = 0; i < run.size(); ++i) {
            (*parameters_)[listedFrom_ + i] = std::move(run[i].second);
            userListed_[listedFrom_ + i] = run[i].first;
        }
        listedFrom_ = parameters_->size();
    }

    void start(const XmlTag& tag, const XmlPull& pull) {
        const std::string_view name = tag.name;
        const std::string_view where = current();
        const bool isTerm = name == "cvParam" || name == "userParam" || name == "referenceableParamGroupRef";
        if (!isTerm) settleListed();
        if (name == "cvParam" || name == "userParam") {
            std::optional<ParamTerm> term = readTerm(tag);
            if (!term) throw SpectrumDamage("a parameter holds an unknown reference");
            take(*term, where, parent());
        } else if (name == "referenceableParamGroupRef") {
            const std::string ref = attribute(tag, "ref");
            const auto group = groups_.find(ref);
            if (group == groups_.end()) {
                if (result_.missingGroup.empty()) result_.missingGroup = ref;
                return;
            }
            for (const ParamTerm& term : group->second) take(term, where, parent());
        } else if (name == "spectrum") {
            result_.description.id = attribute(tag, "id");
            const std::string length = attribute(tag, "defaultArrayLength");
            const auto [stop, error] =
                std::from_chars(length.data(), length.data() + length.size(), result_.declaredPoints);
            if (error != std::errc() || stop != length.data() + length.size()) {
                throw SpectrumDamage(formatText("its defaultArrayLength \"%s\" is not a count", length.c_str()));
            }
        } else if (name == "scan" && where == "scanList") {
            ++scans_;
        } else if (name == "precursor" && where == "precursorList") {
            result_.description.precursors.emplace_back();
            inPrecursor_ = true;
            selectedIons_ = 0;
            selectedMz_.reset();
            target_.reset();
            energy_.reset();
        } else if (name == "selectedIon" && parentIs("selectedIonList")) {
            ++selectedIons_;
        } else if (name == "binaryDataArray") {
            array_ = MzmlArrayText{};
            array_.arrayLength = xmlAttribute(tag.attributes, "arrayLength").value_or(std::string_view());
            kind_ = 0;
            unknownCoding_.clear();
            otherName_.clear();
            typed_ = false;
        } else if (name == "binary" && where == "binaryDataArray") {
            array_.binary = tag.empty ? std::string_view() : keptXmlText(pull, result_.decodedText);
        }
    }

    bool parentIs(std::string_view name) const { return current() == name; }

    void close(std::string_view name) {
        if (name != "cvParam" && name != "userParam" && name != "referenceableParamGroupRef") settleListed();
        if (name == "precursor" && inPrecursor_) {
            finishPrecursor();
            inPrecursor_ = false;
        } else if (name == "binaryDataArray") {
            finishArray();
        }
    }

    // `where` is the element holding the term, `above` the one holding that.
    void take(const ParamTerm& term, std::string_view where, std::string_view above) {
        if (parameters_ != nullptr && listedElement(where, above)) {
            parameters_->push_back({std::string(where), term.name, term.value});
            userListed_.push_back(term.user);
        }
        ExportSpectrum& s = result_.description;
        if (term.user) {
            if (term.name != "scan type code") return;
            if (where == "spectrum" && !spectrumCode_) spectrumCode_ = term.value;
            if (where == "scan" && above == "scanList" && !scanCode_) scanCode_ = term.value;
            return;
        }
        const std::string_view accession = term.accession;
        if (where == "spectrum") {
            spectrumTerm(term);
        } else if (where == "scan" && above == "scanList") {
            if (accession == "MS:1000016" && scans_ == 1 && s.scanStartSeconds < 0.0 && !term.value.empty()) {
                s.scanStartSeconds = number(term.value, "scan start time") * secondsPer(term.unitAccession);
                const std::string problem = retentionTimeProblem(s.scanStartSeconds);
                if (!problem.empty()) {
                    throw SpectrumDamage(formatText("its scan start time \"%s\" is %s", term.value.c_str(), problem.c_str()));
                }
            }
        } else if (where == "selectedIon" && selectedIons_ == 1 && inPrecursor_) {
            if (accession == "MS:1000744" && !selectedMz_) selectedMz_ = term.value;
            if (accession == "MS:1000041" && !s.precursors.back().chargeState) s.precursors.back().chargeState = term.value;
        } else if (where == "isolationWindow" && above == "precursor") {
            if (accession == "MS:1000827" && !target_) target_ = term.value;
        } else if (where == "activation" && above == "precursor") {
            if (accession == "MS:1000045" && !energy_) energy_ = term.value;
        } else if (where == "binaryDataArray") {
            arrayTerm(term);
        }
    }

    void spectrumTerm(const ParamTerm& term) {
        ExportSpectrum& s = result_.description;
        const std::string_view accession = term.accession;
        if (accession == "MS:1000511") {
            if (!msLevel_) msLevel_ = term.value;
        } else if (accession == "MS:1000579") {
            s.isMs1Spectrum = true;
        } else if (accession == "MS:1000285") {
            if (!s.totalIonCurrent) s.totalIonCurrent = term.value;
        } else {
            ExportSpectrumType type = ExportSpectrumType::other;
            if (accession == "MS:1000341") type = ExportSpectrumType::precursorIon;
            if (accession == "MS:1000326") type = ExportSpectrumType::constantNeutralLoss;
            if (accession == "MS:1000583") type = ExportSpectrumType::srm;
            if (accession == "MS:1000582") type = ExportSpectrumType::sim;
            if (type != ExportSpectrumType::other && (s.type == ExportSpectrumType::other || type < s.type)) s.type = type;
        }
    }

    void arrayTerm(const ParamTerm& term) {
        const std::string_view accession = term.accession;
        if (accession == "MS:1000514" || accession == "MS:1000515") {
            const int kind = accession == "MS:1000514" ? 1 : 2;
            kind_ = kind_ == 0 ? kind : -1;
            return;
        }
        for (const ArrayCoding& coding : kCodings) {
            if (coding.accession != accession) continue;
            if (coding.bits != 0) {
                array_.layout.bits = coding.bits;
                typed_ = true;
            } else {
                array_.layout.zlib = coding.zlib;
                array_.layout.numpress = coding.numpress;
            }
            return;
        }
        for (const std::string_view other : kOtherCodings) {
            if (other == accession && unknownCoding_.empty()) unknownCoding_ = term.name;
        }
        if (otherName_.empty() && term.name.ends_with("array")) {
            otherName_ = term.value.empty() ? term.name : term.name + " \"" + term.value + "\"";
        }
    }

    void finishPrecursor() {
        ExportPrecursor& p = result_.description.precursors.back();
        if (selectedMz_ && !selectedMz_->empty()) p.selectedIonMz = number(*selectedMz_, "selected ion m/z");
        if (target_ && !target_->empty()) p.isolationTargetMz = number(*target_, "isolation window target m/z");
        p.mz = p.selectedIonMz.value_or(p.isolationTargetMz.value_or(0.0));
        if (energy_ && !energy_->empty()) p.collisionEnergy = number(*energy_, "collision energy");
    }

    void finishArray() {
        if (kind_ == -1) throw SpectrumDamage("one of its arrays is called both m/z and intensity array");
        if (kind_ == 0) {
            if (result_.otherArray.empty()) result_.otherArray = otherName_.empty() ? "an unnamed array" : otherName_;
            return;
        }
        MzmlArrayText& slot = kind_ == 1 ? result_.mz : result_.intensity;
        if (slot.found) return;
        const char* name = kind_ == 1 ? "m/z" : "intensity";
        if (!unknownCoding_.empty() && array_.layout.numpress == Numpress::none) {
            throw SpectrumDamage(formatText("its %s array is coded as \"%s\", which this reader does not decode", name,
                                            unknownCoding_.c_str()));
        }
        if (!typed_ && array_.layout.numpress == Numpress::none) {
            throw SpectrumDamage(formatText("its %s array names no data type", name));
        }
        slot = array_;
        slot.found = true;
    }

    const ParamGroups& groups_;
    std::vector<ExportParameter>* parameters_;
    std::vector<bool> userListed_;  // of each listed parameter
    std::size_t listedFrom_ = 0;    // the listed parameters not yet settled
    MzmlSpectrumText result_;
    std::vector<std::string_view> open_;
    std::optional<std::string> msLevel_;
    std::optional<std::string> spectrumCode_, scanCode_;
    std::size_t scans_ = 0;
    std::size_t selectedIons_ = 0;
    std::optional<std::string> selectedMz_, target_, energy_;
    bool inPrecursor_ = false;  // a stray closing tag must not finish a precursor never opened
    MzmlArrayText array_;
    int kind_ = 0;  // 1 m/z, 2 intensity, -1 both
    bool typed_ = false;
    std::string unknownCoding_;
    std::string otherName_;
};

}  // namespace

MzmlSpectrumText readMzmlSpectrum(std::string_view element, const ParamGroups& groups,
                                  std::vector<ExportParameter>* parameters) {
    return Reading(groups, parameters).read(element);
}

std::string decodeMzmlArrays(const MzmlSpectrumText& spectrum, ExportArrays& arrays) {
    const std::size_t declared = spectrum.declaredPoints;
    if (!spectrum.mz.found || !spectrum.intensity.found) {
        arrays.mz.clear();
        arrays.intensity.clear();
        if (declared == 0) return {};
        return formatText("it declares %zu points but lacks its %s array", declared, spectrum.mz.found ? "intensity" : "m/z");
    }
    for (const MzmlArrayText* array : {&spectrum.mz, &spectrum.intensity}) {
        const char* name = array == &spectrum.mz ? "m/z" : "intensity";
        if (!array->arrayLength.empty() && array->arrayLength != std::to_string(declared)) {
            return formatText("%zu points declared, but its %s array declares %.*s", declared, name,
                              static_cast<int>(array->arrayLength.size()), array->arrayLength.data());
        }
        std::vector<double>& values = array == &spectrum.mz ? arrays.mz : arrays.intensity;
        const std::string problem = decodeBinaryArray(array->binary, array->layout, declared, values);
        if (!problem.empty()) return formatText("its %s array: %s", name, problem.c_str());
    }
    return {};
}
