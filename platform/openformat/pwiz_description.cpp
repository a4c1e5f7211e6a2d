#include "platform/openformat/pwiz_description.h"

#include <stdexcept>

#include "core/util/text_path.h"
#include "platform/openformat/export_names.h"
#include "platform/openformat/param_terms.h"
#include "platform/openformat/run_element_id.h"

namespace cv = pwiz::cv;
namespace msdata = pwiz::msdata;

namespace {

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

}  // namespace

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
    for (const auto& sample : data.samplePtrs) {
        if (sample) info.sampleNames.push_back(sample->name);
    }
    info.methodName = findMethodName(data);
    for (const auto& configuration : data.instrumentConfigurationPtrs) {
        if (!configuration) continue;
        if (std::optional<std::string> model = instrumentModel(*configuration)) info.instrumentModels.push_back(*model);
    }
    return info;
}

ExportSpectrum describeSpectrum(const msdata::Spectrum& spectrum) {
    ExportSpectrum result;
    result.id = spectrum.id;
    result.msLevel = static_cast<std::int32_t>(termAsReal(spectrum.cvParam(cv::MS_ms_level), 0.0));
    result.isMs1Spectrum = spectrum.hasCVParam(cv::MS_MS1_spectrum);
    result.type = spectrumType(spectrum);
    if (!spectrum.scanList.scans.empty()) {
        const pwiz::data::CVParam start = spectrum.scanList.scans.front().cvParam(cv::MS_scan_start_time);
        if (start.cvid != cv::CVID_Unknown && !start.value.empty()) {
            result.scanStartSeconds = start.timeInSeconds();
            const std::string problem = retentionTimeProblem(result.scanStartSeconds);
            if (!problem.empty()) throw std::runtime_error("its scan start time \"" + start.value + "\" is " + problem);
        }
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

