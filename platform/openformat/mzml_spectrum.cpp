#include "platform/openformat/mzml_spectrum.h"

#include <charconv>
#include <vector>

#include "core/util/format_text.h"
#include "platform/openformat/xml_pull.h"

namespace {

double realValue(std::string_view text) {
    double value = 0.0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || stop != text.data() + text.size()) throw NotForFastReader("number");
    return value;
}

std::string textValue(std::string_view attributes, std::string_view name) {
    const std::optional<std::string_view> raw = xmlAttribute(attributes, name);
    if (!raw) return {};
    std::optional<std::string> text = unescapeXml(*raw);
    if (!text) throw NotForFastReader("entity");
    return std::move(*text);
}

// What one element of the spectrum has to say, by accession.
struct Reading {
    MzmlSpectrumText result;
    std::optional<std::string> msLevel;
    bool precursorIon = false, neutralLoss = false, srm = false, sim = false;
    std::optional<std::string> spectrumCode, scanCode;
    std::size_t scans = 0;
    std::size_t selectedIons = 0;
    std::optional<std::string> selectedMz, target, energy;
    MzmlArrayText array;
    int kind = 0;  // 1 m/z, 2 intensity
    bool strangeArray = false;
    bool inPrecursor = false;  // a stray closing tag must not finish a precursor never opened
};

void spectrumTerm(Reading& r, std::string_view accession, std::string value) {
    ExportSpectrum& s = r.result.description;
    if (accession == "MS:1000511") {
        if (!r.msLevel) r.msLevel = std::move(value);
    } else if (accession == "MS:1000579") {
        s.isMs1Spectrum = true;
    } else if (accession == "MS:1000341") {
        r.precursorIon = true;
    } else if (accession == "MS:1000326") {
        r.neutralLoss = true;
    } else if (accession == "MS:1000583") {
        r.srm = true;
    } else if (accession == "MS:1000582") {
        r.sim = true;
    } else if (accession == "MS:1000285") {
        if (!s.totalIonCurrent) s.totalIonCurrent = std::move(value);
    }
}

void scanStart(Reading& r, std::string_view attributes, const std::string& value) {
    ExportSpectrum& s = r.result.description;
    if (r.scans != 1 || s.scanStartSeconds != -2.0) return;
    s.scanStartSeconds = -1.0;
    if (value.empty()) return;
    const std::string unit = textValue(attributes, "unitAccession");
    if (unit == "UO:0000010") {
        s.scanStartSeconds = realValue(value);
    } else if (unit == "UO:0000031") {
        s.scanStartSeconds = realValue(value) * 60;
    } else {
        throw NotForFastReader("time unit");
    }
}

void arrayTerm(Reading& r, std::string_view accession) {
    if (accession == "MS:1000523") {
        r.array.layout.bits = 64;
    } else if (accession == "MS:1000521") {
        r.array.layout.bits = 32;
    } else if (accession == "MS:1000574") {
        r.array.layout.zlib = true;
    } else if (accession == "MS:1000514") {
        r.kind = r.kind == 0 ? 1 : -1;
    } else if (accession == "MS:1000515") {
        r.kind = r.kind == 0 ? 2 : -1;
    } else if (accession != "MS:1000576") {
        r.strangeArray = true;
    }
}

void parameter(Reading& r, const XmlTag& tag, std::string_view parent, std::string_view grandparent) {
    std::string value = textValue(tag.attributes, "value");
    ExportSpectrum& s = r.result.description;
    if (tag.name == "userParam") {
        if (textValue(tag.attributes, "name") != "scan type code") return;
        if (parent == "spectrum" && !r.spectrumCode) r.spectrumCode = std::move(value);
        if (parent == "scan" && grandparent == "scanList" && !r.scanCode) r.scanCode = std::move(value);
        return;
    }
    const std::string accession = textValue(tag.attributes, "accession");
    if (parent == "spectrum") {
        spectrumTerm(r, accession, std::move(value));
    } else if (parent == "scan" && grandparent == "scanList") {
        if (accession == "MS:1000016") scanStart(r, tag.attributes, value);
    } else if (parent == "selectedIon" && r.selectedIons == 1 && !s.precursors.empty()) {
        if (accession == "MS:1000744" && !r.selectedMz) r.selectedMz = std::move(value);
        if (accession == "MS:1000041" && !s.precursors.back().chargeState) s.precursors.back().chargeState = std::move(value);
    } else if (parent == "isolationWindow" && grandparent == "precursor") {
        if (accession == "MS:1000827" && !r.target) r.target = std::move(value);
    } else if (parent == "activation" && grandparent == "precursor") {
        if (accession == "MS:1000045" && !r.energy) r.energy = std::move(value);
    } else if (parent == "binaryDataArray") {
        arrayTerm(r, accession);
    }
}

void finishPrecursor(Reading& r) {
    ExportPrecursor& p = r.result.description.precursors.back();
    if (r.selectedMz && !r.selectedMz->empty()) p.selectedIonMz = realValue(*r.selectedMz);
    if (r.target && !r.target->empty()) p.isolationTargetMz = realValue(*r.target);
    p.mz = p.selectedIonMz.value_or(p.isolationTargetMz.value_or(0.0));
    if (r.energy && !r.energy->empty()) p.collisionEnergy = realValue(*r.energy);
}

// Wrapped lines may or may not be counted in the declared length.
std::size_t encodedCharacters(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += isXmlSpace(c) ? 0 : 1;
    return count;
}

void finishArray(Reading& r) {
    if (r.kind <= 0) return;
    MzmlArrayText& slot = r.kind == 1 ? r.result.mz : r.result.intensity;
    if (slot.found) return;
    if (r.strangeArray) throw NotForFastReader("array encoding");
    slot = r.array;
    slot.found = true;
}

}  // namespace

MzmlSpectrumText readMzmlSpectrum(std::string_view element) {
    Reading r;
    ExportSpectrum& s = r.result.description;
    s.scanStartSeconds = -2.0;  // not yet seen
    std::vector<std::string_view> open;
    XmlPull pull(element);
    XmlTag tag;
    while (pull.next(tag)) {
        if (tag.closing) {
            // Badly nested XML is left to the library, which names the fault.
            if (open.empty() || open.back() != tag.name) throw NotForFastReader("nesting");
            if (tag.name == "precursor" && r.inPrecursor) {
                finishPrecursor(r);
                r.inPrecursor = false;
            }
            if (tag.name == "binaryDataArray") finishArray(r);
            open.pop_back();
            continue;
        }
        const std::string_view parent = open.empty() ? std::string_view() : open.back();
        const std::string_view grandparent = open.size() < 2 ? std::string_view() : open[open.size() - 2];
        if (tag.name == "cvParam" || tag.name == "userParam") {
            parameter(r, tag, parent, grandparent);
        } else if (tag.name == "referenceableParamGroupRef") {
            throw NotForFastReader("parameter group");
        } else if (tag.name == "spectrum") {
            s.id = textValue(tag.attributes, "id");
            const std::string length = textValue(tag.attributes, "defaultArrayLength");
            if (!length.empty()) {
                const auto [stop, error] = std::from_chars(length.data(), length.data() + length.size(), r.result.declaredPoints);
                if (error != std::errc() || stop != length.data() + length.size()) throw NotForFastReader("array length");
            }
        } else if (tag.name == "scan" && parent == "scanList") {
            ++r.scans;
        } else if (tag.name == "precursor" && parent == "precursorList") {
            s.precursors.emplace_back();
            r.inPrecursor = true;
            r.selectedIons = 0;
            r.selectedMz.reset();
            r.target.reset();
            r.energy.reset();
        } else if (tag.name == "selectedIon" && grandparent == "precursor") {
            ++r.selectedIons;
        } else if (tag.name == "binaryDataArray") {
            r.array = MzmlArrayText{};
            r.array.arrayLength = xmlAttribute(tag.attributes, "arrayLength").value_or(std::string_view());
            r.array.encodedLength = xmlAttribute(tag.attributes, "encodedLength").value_or(std::string_view());
            r.kind = 0;
            r.strangeArray = false;
        } else if (tag.name == "binary" && parent == "binaryDataArray") {
            r.array.binary = tag.empty ? std::string_view() : pull.textUpToNextTag();
        }
        if (!tag.empty) open.push_back(tag.name);
    }
    if (s.scanStartSeconds == -2.0) s.scanStartSeconds = -1.0;
    if (r.msLevel && !r.msLevel->empty()) s.msLevel = static_cast<std::int32_t>(realValue(*r.msLevel));
    if (r.precursorIon) {
        s.type = ExportSpectrumType::precursorIon;
    } else if (r.neutralLoss) {
        s.type = ExportSpectrumType::constantNeutralLoss;
    } else if (r.srm) {
        s.type = ExportSpectrumType::srm;
    } else if (r.sim) {
        s.type = ExportSpectrumType::sim;
    }
    s.scanTypeCode = r.spectrumCode ? r.spectrumCode : r.scanCode;
    return std::move(r.result);
}

std::string decodeMzmlArrays(const MzmlSpectrumText& spectrum, ExportArrays& arrays) {
    const std::size_t declared = spectrum.declaredPoints;
    if (!spectrum.mz.found || !spectrum.intensity.found) {
        if (declared == 0) return {};
        return formatText("declares %zu points but lacks its %s array", declared, spectrum.mz.found ? "intensity" : "m/z");
    }
    for (const MzmlArrayText* array : {&spectrum.mz, &spectrum.intensity}) {
        const char* name = array == &spectrum.mz ? "m/z" : "intensity";
        if (!array->arrayLength.empty() && array->arrayLength != std::to_string(declared)) {
            return formatText("%zu points declared, but its %s array declares %.*s", declared, name,
                              static_cast<int>(array->arrayLength.size()), array->arrayLength.data());
        }
        if (!array->encodedLength.empty() && array->encodedLength != std::to_string(array->binary.size()) &&
            array->encodedLength != std::to_string(encodedCharacters(array->binary))) {
            return formatText("its %s array declares %.*s base64 characters but holds %zu", name,
                              static_cast<int>(array->encodedLength.size()), array->encodedLength.data(),
                              encodedCharacters(array->binary));
        }
        std::vector<double>& values = array == &spectrum.mz ? arrays.mz : arrays.intensity;
        const std::string problem = decodeBinaryArray(array->binary, array->layout, declared, values);
        if (!problem.empty()) return formatText("its %s array: %s", name, problem.c_str());
    }
    return {};
}
