#include "core/extractor/instrument_specifics.h"

#include <array>
#include <string_view>

#include "core/chemistry/amino_acids.h"
#include "core/util/fatal_error.h"
#include "core/util/number_text.h"
#include "core/util/parameter_files.h"
#include "core/util/tokenizer.h"

namespace {

// Weights of these ion types also put the type on the active list.
constexpr std::array<std::string_view, 17> activatingIonTypes = {
    "a", "a_nh3", "b", "b_nh3", "b_h2o", "b_plus_h2o", "d_h", "d_ch3", "y",
    "y_nh3", "y_h2o", "w_h", "w_ch3", "internal_b", "internal_a", "internal_b_h2o", "internal_b_nh3"};
constexpr std::array<std::string_view, 11> multiplyChargedIonTypes = {
    "b_soch4", "y_soch4", "b_h3po4", "y_h3po4", "a_h3po4", "b_double",
    "b_double_h2o", "b_triple", "y_double", "y_double_h2o", "y_triple"};
constexpr std::array<std::string_view, 28> starredIonTypes = {
    "a_star", "a_nh3_star", "a_h3po4_star", "b_star", "b_nh3_star", "b_h2o_star", "b_plus_h2o_star",
    "b_soch4_star", "b_h3po4_star", "d_h_star", "d_ch3_star", "y_star", "y_nh3_star", "y_h2o_star",
    "y_soch4_star", "y_h3po4_star", "w_h_star", "w_ch3_star", "internal_b_star", "internal_a_star",
    "internal_b_h2o_star", "internal_b_nh3_star", "b_double_star", "b_double_h2o_star", "b_triple_star",
    "y_double_star", "y_double_h2o_star", "y_triple_star"};
constexpr std::size_t maxActiveIonTypes = 30;

[[noreturn]] void invalidInstrument() {
    reportFatalError("Invalid or unspecified instrument name.\nFunction: initialise_instrument_specifics.\n");
}

// The next line (empty lines do not exist for the reader), or the
// instrument message when the text has ended.
std::string_view nextLineOrFail(Tokenizer& lines) {
    std::string_view line;
    if (!lines.next(line)) invalidInstrument();
    return line;
}

void applyKey(std::string_view key, std::string_view value, InstrumentSpecifics& s, PeakPickParams& picking) {
    if (key == "nh3_loss") s.nh3_loss = residueSetMask(value);
    if (key == "h2o_loss") s.h2o_loss = residueSetMask(value);
    if (key == "pos_charge") s.pos_charge = residueSetMask(value);
    if (key == "instrument_charges_certain") s.instrument_charges_certain = textToInteger(value);
    if (key == "max_internal_ion_mass") s.max_internal_ion_mass = textToReal(value);
    if (key == "min_fragment_mass") s.min_fragment_mass = textToReal(value);
    if (key == "peakBinningTolerance") picking.peakBinningTolerance = textToReal(value);
    if (key == "minSignalNoiseRatio") picking.minSignalNoiseRatio = textToInteger(value);
    if (key == "peakLimitCount") picking.peakLimitCount = textToInteger(value);
    if (key == "bypassDeIsotoping") picking.bypassDeIsotoping = textToInteger(value);
    if (key == "bypassSignalNoiseThresholding") picking.bypassSignalNoiseThresholding = textToInteger(value);
    for (const std::string_view type : activatingIonTypes) {
        if (key != type) continue;
        const double weight = textToReal(value);
        s.ionTypeWeights[std::string(type)] = weight;
        if (weight > 0.0 && s.activeIonTypes.size() < maxActiveIonTypes) s.activeIonTypes.emplace_back(type);
    }
    for (const std::string_view type : multiplyChargedIonTypes) {
        if (key == type) s.ionTypeWeights[std::string(type)] = textToReal(value);
    }
    if (key == "st") s.st = textToReal(value);
    for (const std::string_view type : starredIonTypes) {
        if (key == type) s.ionTypeWeights[std::string(type)] = textToReal(value);
    }
}

void applyParameterLine(std::string_view line, InstrumentSettings& settings) {
    const std::size_t keyStart = line.find_first_not_of(" \t");
    if (keyStart == std::string_view::npos) return;
    line.remove_prefix(keyStart);
    const std::size_t keyEnd = line.find_first_of(" \t");
    const std::string_view key = line.substr(0, keyEnd);
    // A key without a value converts as an empty value: 0, or the empty set.
    const std::string_view value = keyEnd == std::string_view::npos ? std::string_view() : line.substr(keyEnd + 1);
    applyKey(key, value, settings.specifics, settings.picking);
}

}  // namespace

InstrumentSpecifics applyInstrumentDefaults() {
    InstrumentSpecifics s;
    s.nh3_loss = residueSetMask("RKNQ");
    s.h2o_loss = residueSetMask("STED");
    s.pos_charge = residueSetMask("RHKN");
    s.max_internal_ion_mass = 700.0;
    s.instrument_charges_certain = 0;
    s.min_fragment_mass = 105.0;
    for (const std::string_view type : activatingIonTypes) s.ionTypeWeights[std::string(type)] = 1.0;
    for (const std::string_view type : multiplyChargedIonTypes) s.ionTypeWeights[std::string(type)] = 1.0;
    for (const std::string_view type : starredIonTypes) s.ionTypeWeights[std::string(type)] = 1.0;
    return s;
}

InstrumentSettings initialise_instrument_specifics(const std::string& instrumentName, const PeakPickParams& picking) {
    InstrumentSettings settings{applyInstrumentDefaults(), picking};

    int blockCount = 0;
    const std::string text = get_file_info(parameterFilePath("instrument.txt"), '>', 1, 1, blockCount);
    if (blockCount < 1) invalidInstrument();

    Tokenizer lines(text, "\n");
    bool found = false;
    for (int block = 0; block < blockCount && !found; ++block) {
        if (nextLineOrFail(lines) == instrumentName) {
            found = true;
            break;
        }
        for (std::string_view line = nextLineOrFail(lines); line != ">"; line = nextLineOrFail(lines)) {
        }
    }
    if (!found) invalidInstrument();

    for (std::string_view line = nextLineOrFail(lines); line != ">"; line = nextLineOrFail(lines)) {
        applyParameterLine(line, settings);
    }
    return settings;
}
