#include "platform/openformat/open_format_export.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <utility>

#include "pwiz/data/msdata/MSDataFile.hpp"
#include "pwiz/data/msdata/Reader.hpp"
#include "pwiz/data/msdata/DefaultReaderList.hpp"

#include "core/util/format_text.h"
#include "core/util/text_path.h"
#include "platform/openformat/run_element_id.h"

namespace msdata = pwiz::msdata;
namespace cv = pwiz::cv;

namespace {

constexpr std::string_view exportEndings[] = {".mzML.gz", ".mzXML.gz", ".mzML", ".mzXML"};

// Truncation between two spectra would leave a file that parses into a
// shorter run; only the closing root element tells a complete export.
constexpr std::size_t tailBytes = 4096;

std::string plainTail(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw ExportReadError(formatText("The export %s cannot be opened.", path.c_str()));
    std::string tail(tailBytes, '\0');
    std::size_t got = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        const long from = size > static_cast<long>(tailBytes) ? size - static_cast<long>(tailBytes) : 0;
        if (size >= 0 && std::fseek(file, from, SEEK_SET) == 0) got = std::fread(tail.data(), 1, tail.size(), file);
    }
    std::fclose(file);
    tail.resize(got);
    return tail;
}

std::string compressedTail(const std::string& path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) throw ExportReadError(formatText("The export %s cannot be opened.", path.c_str()));
    std::string tail;
    std::string block(1 << 16, '\0');
    int got = 0;
    while ((got = gzread(file, block.data(), static_cast<unsigned>(block.size()))) > 0) {
        tail.append(block.data(), static_cast<std::size_t>(got));
        if (tail.size() > 2 * tailBytes) tail.erase(0, tail.size() - tailBytes);
    }
    int status = Z_OK;
    const char* message = gzerror(file, &status);
    const bool failed = got < 0 || (status != Z_OK && status != Z_STREAM_END);
    const std::string reason = failed && message != nullptr ? message : "";
    gzclose(file);
    if (failed) {
        throw ExportReadError(formatText("The export %s is damaged: its compressed data end early or are corrupt (%s).",
                                         path.c_str(), reason.c_str()));
    }
    return tail;
}

void checkComplete(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) throw ExportReadError(formatText("The export %s cannot be read: %s.", path.c_str(), error.message().c_str()));
    if (size == 0) throw ExportReadError(formatText("The export %s is empty.", path.c_str()));

    std::string tail = endsWithIgnoringCase(path, ".gz") ? compressedTail(path) : plainTail(path);
    while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back()))) tail.pop_back();
    for (const std::string_view closing : {"</mzML>", "</indexedmzML>", "</mzXML>"}) {
        if (tail.ends_with(closing)) return;
    }
    throw ExportReadError(formatText(
        "The export %s is incomplete or damaged: it does not end with the closing </mzML>, </indexedmzML> or </mzXML> tag.",
        path.c_str()));
}

void appendParameters(std::vector<ExportParameter>& list, const char* group, const pwiz::data::ParamContainer& params) {
    for (const auto& paramGroup : params.paramGroupPtrs) {
        if (paramGroup) appendParameters(list, group, *paramGroup);
    }
    for (const auto& term : params.cvParams) list.push_back({group, term.name(), term.value});
    for (const auto& user : params.userParams) list.push_back({group, user.name, user.value});
}

std::string firstUserParam(const pwiz::data::ParamContainer& params, const char* name) {
    const pwiz::data::UserParam found = params.userParam(name);
    return found.name.empty() ? std::string() : found.value;
}

std::string findMethodName(const msdata::MSData& data) {
    for (const auto& source : data.fileDescription.sourceFilePtrs) {
        if (source && endsWithIgnoringCase(source->name, ".m") && source->name.size() > 2) return source->name;
    }
    for (const pwiz::data::ParamContainer* params :
         {static_cast<const pwiz::data::ParamContainer*>(&data.run),
          static_cast<const pwiz::data::ParamContainer*>(&data.fileDescription.fileContent)}) {
        std::string name = firstUserParam(*params, "method name");
        if (!name.empty()) return name;
    }
    for (const auto& source : data.fileDescription.sourceFilePtrs) {
        if (!source) continue;
        std::string name = firstUserParam(*source, "method name");
        if (!name.empty()) return name;
    }
    return {};
}

// The first parent file of an mzXML export names the run it came from. The
// converter library lists the export itself among the source files too.
std::string mzXMLRunName(const msdata::MSData& data, const std::string& path) {
    const std::string exportName = path.substr(path.find_last_of("\\/") + 1);
    for (const auto& source : data.fileDescription.sourceFilePtrs) {
        if (!source || source->name.empty() || source->name == exportName) continue;
        std::string name = source->name.substr(source->name.find_last_of("\\/") + 1);
        const std::size_t dot = name.find_last_of('.');
        if (dot != std::string::npos) name.resize(dot);
        if (!name.empty()) return name;
    }
    return exportBaseName(path);
}

// The model's own term names it; the generic term and msModel texts that
// the vocabulary does not know carry it as their value.
std::optional<std::string> instrumentModel(const msdata::InstrumentConfiguration& configuration) {
    const pwiz::data::CVParam model = configuration.cvParamChild(cv::MS_instrument_model);
    if (model.cvid == cv::MS_instrument_model && !model.value.empty()) return model.value;
    if (model.cvid != cv::CVID_Unknown && model.cvid != cv::MS_instrument_model) return model.name();
    const pwiz::data::UserParam named = configuration.userParam("msModel");
    if (!named.name.empty() && !named.value.empty()) return named.value;
    return std::nullopt;
}

ExportRunInfo describeRun(const msdata::MSData& data, const std::string& path, bool isMzXML) {
    ExportRunInfo info;
    if (isMzXML) {
        info.runId = mzXMLRunName(data, path);
    } else {
        std::optional<std::string> runId = readRunElementId(path);
        info.runId = runId ? std::move(*runId) : exportBaseName(path);
    }
    for (const auto& contact : data.fileDescription.contacts) {
        const pwiz::data::CVParam name = contact.cvParam(cv::MS_contact_name);
        if (name.cvid != cv::CVID_Unknown) {
            info.contactName = name.value;
            break;
        }
    }
    info.startTimeStamp = data.run.startTimeStamp;
    if (!data.samplePtrs.empty() && data.samplePtrs.front()) info.sampleName = data.samplePtrs.front()->name;
    info.methodName = findMethodName(data);
    for (const auto& configuration : data.instrumentConfigurationPtrs) {
        if (!configuration) continue;
        if (std::optional<std::string> model = instrumentModel(*configuration)) info.instrumentModels.push_back(*model);
    }
    return info;
}

double termAsReal(const pwiz::data::CVParam& term, double absent) {
    if (term.cvid == cv::CVID_Unknown || term.value.empty()) return absent;
    return term.valueAs<double>();
}

std::optional<double> termIfGiven(const pwiz::data::CVParam& term) {
    if (term.cvid == cv::CVID_Unknown || term.value.empty()) return std::nullopt;
    return term.valueAs<double>();
}

std::optional<std::string> termText(const pwiz::data::CVParam& term) {
    if (term.cvid == cv::CVID_Unknown) return std::nullopt;
    return term.value;
}

ExportPrecursor describePrecursor(const msdata::Precursor& precursor) {
    ExportPrecursor result;
    if (!precursor.selectedIons.empty()) {
        const msdata::SelectedIon& ion = precursor.selectedIons.front();
        result.selectedIonMz = termIfGiven(ion.cvParam(cv::MS_selected_ion_m_z));
        result.chargeState = termText(ion.cvParam(cv::MS_charge_state));
    }
    result.isolationTargetMz = termIfGiven(precursor.isolationWindow.cvParam(cv::MS_isolation_window_target_m_z));
    result.mz = result.selectedIonMz.value_or(result.isolationTargetMz.value_or(0.0));
    result.collisionEnergy = termAsReal(precursor.activation.cvParam(cv::MS_collision_energy), 0.0);
    return result;
}

ExportSpectrumType spectrumType(const msdata::Spectrum& spectrum) {
    if (spectrum.hasCVParam(cv::MS_precursor_ion_spectrum)) return ExportSpectrumType::precursorIon;
    if (spectrum.hasCVParam(cv::MS_constant_neutral_loss_spectrum)) return ExportSpectrumType::constantNeutralLoss;
    if (spectrum.hasCVParam(cv::MS_SRM_spectrum)) return ExportSpectrumType::srm;
    if (spectrum.hasCVParam(cv::MS_SIM_spectrum)) return ExportSpectrumType::sim;
    return ExportSpectrumType::other;
}

std::optional<std::string> scanTypeCode(const msdata::Spectrum& spectrum) {
    constexpr const char* name = "scan type code";
    if (const pwiz::data::UserParam code = spectrum.userParam(name); !code.name.empty()) return code.value;
    for (const msdata::Scan& scan : spectrum.scanList.scans) {
        if (const pwiz::data::UserParam code = scan.userParam(name); !code.name.empty()) return code.value;
    }
    return std::nullopt;
}

ExportSpectrum describeSpectrum(const msdata::Spectrum& spectrum) {
    ExportSpectrum result;
    result.id = spectrum.id;
    result.msLevel = static_cast<std::int32_t>(termAsReal(spectrum.cvParam(cv::MS_ms_level), 0.0));
    result.isMs1Spectrum = spectrum.hasCVParam(cv::MS_MS1_spectrum);
    result.type = spectrumType(spectrum);
    if (!spectrum.scanList.scans.empty()) {
        const pwiz::data::CVParam start = spectrum.scanList.scans.front().cvParam(cv::MS_scan_start_time);
        if (start.cvid != cv::CVID_Unknown && !start.value.empty()) result.scanStartSeconds = start.timeInSeconds();
    }
    result.totalIonCurrent = termText(spectrum.cvParam(cv::MS_total_ion_current));
    result.scanTypeCode = scanTypeCode(spectrum);
    for (const msdata::Precursor& precursor : spectrum.precursors) result.precursors.push_back(describePrecursor(precursor));
    return result;
}

std::vector<ExportParameter> listParameters(const msdata::Spectrum& spectrum) {
    std::vector<ExportParameter> result;
    appendParameters(result, "spectrum", spectrum);
    for (const msdata::Scan& scan : spectrum.scanList.scans) {
        appendParameters(result, "scan", scan);
        for (const msdata::ScanWindow& window : scan.scanWindows) appendParameters(result, "scanWindow", window);
    }
    for (const msdata::Precursor& precursor : spectrum.precursors) {
        appendParameters(result, "precursor", precursor);
        appendParameters(result, "isolationWindow", precursor.isolationWindow);
        for (const msdata::SelectedIon& ion : precursor.selectedIons) appendParameters(result, "selectedIon", ion);
        appendParameters(result, "activation", precursor.activation);
    }
    return result;
}

std::string registryKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

}  // namespace

bool hasExportEnding(std::string_view fileName) {
    return std::any_of(std::begin(exportEndings), std::end(exportEndings), [&](std::string_view ending) {
        return fileName.size() > ending.size() && endsWithIgnoringCase(fileName, ending);
    });
}

std::int32_t effectiveMsLevel(const ExportSpectrum& spectrum) {
    if (spectrum.msLevel > 0) return spectrum.msLevel;
    return spectrum.isMs1Spectrum ? 1 : 2;
}

std::optional<double> numberInText(std::string_view text) {
    double number = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number, std::chars_format::general);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(number)) return std::nullopt;
    return number;
}

std::string exportBaseName(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    const std::string_view fileName = separator == std::string_view::npos ? path : path.substr(separator + 1);
    for (const std::string_view ending : exportEndings) {
        if (fileName.size() > ending.size() && endsWithIgnoringCase(fileName, ending)) {
            return std::string(fileName.substr(0, fileName.size() - ending.size()));
        }
    }
    return {};
}

struct OpenFormatExport::Impl {
    std::string path;
    std::unique_ptr<msdata::MSDataFile> data;
    ExportRunInfo info;
    std::size_t count = 0;

    // The reader asks for a spectrum's description and then for its arrays;
    // parsing it once, with its arrays, and keeping it until the next one is
    // asked for halves the cost of reading a run.
    mutable std::size_t lastIndex = 0;
    mutable msdata::SpectrumPtr last;

    msdata::SpectrumPtr fetch(std::size_t index) const {
        if (last && lastIndex == index) return last;
        last = fetchFromFile(index, true);
        lastIndex = index;
        return last;
    }

    // A spectrum whose arrays cannot be decoded can still be described; its
    // arrays then fail when they are asked for, as they would on their own.
    msdata::SpectrumPtr fetchDescription(std::size_t index) const {
        try {
            return fetch(index);
        } catch (const ExportReadError&) {
            return fetchFromFile(index, false);
        }
    }

    msdata::SpectrumPtr fetchFromFile(std::size_t index, bool withArrays) const {
        if (index >= count) {
            throw ExportReadError(formatText("Spectrum %zu requested from %s, which holds %zu spectra.", index + 1,
                                             path.c_str(), count));
        }
        try {
            msdata::SpectrumPtr spectrum = data->run.spectrumListPtr->spectrum(index, withArrays);
            if (!spectrum) throw ExportReadError("no spectrum was delivered");
            return spectrum;
        } catch (const std::exception& error) {
            throw ExportReadError(formatText("Spectrum %zu of the export %s cannot be read: %s", index + 1, path.c_str(),
                                             error.what()));
        }
    }
};

OpenFormatExport::OpenFormatExport(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
OpenFormatExport::~OpenFormatExport() = default;

std::shared_ptr<const OpenFormatExport> OpenFormatExport::open(const std::string& path) {
    static std::map<std::string, std::shared_ptr<const OpenFormatExport>> opened;
    const std::string key = registryKey(path);
    if (const auto found = opened.find(key); found != opened.end()) return found->second;

    checkComplete(path);
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    try {
        msdata::ReaderList readers;
        readers.push_back(msdata::ReaderPtr(new msdata::Reader_mzML));
        readers.push_back(msdata::ReaderPtr(new msdata::Reader_mzXML));
        impl->data = std::make_unique<msdata::MSDataFile>(path, &readers);
        if (!impl->data->run.spectrumListPtr) throw ExportReadError("it holds no spectrum list");
        impl->count = impl->data->run.spectrumListPtr->size();
        impl->info = describeRun(*impl->data, path, readers.identify(path) == "mzXML");
    } catch (const std::exception& error) {
        throw ExportReadError(formatText("The export %s cannot be read as mzML or mzXML: %s", path.c_str(), error.what()));
    }
    std::shared_ptr<const OpenFormatExport> result(new OpenFormatExport(std::move(impl)));
    opened.emplace(key, result);
    return result;
}

const std::string& OpenFormatExport::path() const { return impl_->path; }
std::size_t OpenFormatExport::spectrumCount() const { return impl_->count; }
const ExportRunInfo& OpenFormatExport::runInfo() const { return impl_->info; }

ExportSpectrum OpenFormatExport::spectrum(std::size_t index) const {
    const msdata::SpectrumPtr spectrum = impl_->fetchDescription(index);
    try {
        return describeSpectrum(*spectrum);
    } catch (const std::exception& error) {
        throw ExportReadError(formatText("Spectrum %zu of the export %s has an unreadable value: %s", index + 1,
                                         impl_->path.c_str(), error.what()));
    }
}

std::vector<ExportParameter> OpenFormatExport::parameters(std::size_t index) const {
    const msdata::SpectrumPtr spectrum = impl_->fetchDescription(index);
    try {
        return listParameters(*spectrum);
    } catch (const std::exception& error) {
        throw ExportReadError(formatText("Spectrum %zu of the export %s has an unreadable value: %s", index + 1,
                                         impl_->path.c_str(), error.what()));
    }
}

ExportArrays OpenFormatExport::arrays(std::size_t index) const {
    const msdata::SpectrumPtr spectrum = impl_->fetch(index);
    const msdata::BinaryDataArrayPtr mz = spectrum->getMZArray();
    const msdata::BinaryDataArrayPtr intensity = spectrum->getIntensityArray();
    const std::size_t declared = spectrum->defaultArrayLength;
    ExportArrays result;
    if (!mz || !intensity) {
        if (declared == 0) return result;
        throw ExportReadError(formatText("Spectrum %zu of the export %s declares %zu points but lacks its %s array.",
                                         index + 1, impl_->path.c_str(), declared, mz ? "intensity" : "m/z"));
    }
    if (mz->data.size() != intensity->data.size() || mz->data.size() != declared) {
        throw ExportReadError(formatText(
            "Spectrum %zu of the export %s is damaged: %zu points declared, %zu m/z and %zu intensity values decoded.",
            index + 1, impl_->path.c_str(), declared, mz->data.size(), intensity->data.size()));
    }
    result.mz.assign(mz->data.begin(), mz->data.end());
    result.intensity.assign(intensity->data.begin(), intensity->data.end());
    const auto notFinite = [](double value) { return !std::isfinite(value); };
    if (std::any_of(result.mz.begin(), result.mz.end(), notFinite) ||
        std::any_of(result.intensity.begin(), result.intensity.end(), notFinite)) {
        throw ExportReadError(formatText("Spectrum %zu of the export %s holds values that are not numbers.", index + 1,
                                         impl_->path.c_str()));
    }
    return result;
}
