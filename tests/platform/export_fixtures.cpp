#include "tests/platform/export_fixtures.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <zlib.h>

#include "pwiz/data/msdata/MSDataFile.hpp"
#include "pwiz/utility/misc/Base64.hpp"

#include "platform/msanalysis/ms_analysis.h"
#include "tests/support/temp_dir.h"

std::string base64Bytes(const std::string& bytes) {
    std::string text(pwiz::util::Base64::binaryToTextSize(bytes.size()), '\0');
    text.resize(pwiz::util::Base64::binaryToText(bytes.data(), bytes.size(), text.data()));
    return text;
}

std::string base64Doubles(const std::vector<double>& values, bool networkOrder) {
    std::string bytes;
    for (const double value : values) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int b = 0; b < 8; ++b) {
            const int shift = networkOrder ? 8 * (7 - b) : 8 * b;
            bytes += static_cast<char>((bits >> shift) & 0xFF);
        }
    }
    return base64Bytes(bytes);
}

namespace {

std::string arrays(const std::vector<double>& mz, const std::vector<double>& intensity) {
    const auto one = [](const std::string& accession, const std::string& name, const std::string& text) {
        return "<binaryDataArray encodedLength=\"" + std::to_string(text.size()) +
               "\"><cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\"/>"
               "<cvParam cvRef=\"MS\" accession=\"MS:1000576\" name=\"no compression\"/>"
               "<cvParam cvRef=\"MS\" accession=\"" + accession + "\" name=\"" + name + "\"/><binary>" + text +
               "</binary></binaryDataArray>\n";
    };
    return "<binaryDataArrayList count=\"2\">\n" + one("MS:1000514", "m/z array", base64Doubles(mz, false)) +
           one("MS:1000515", "intensity array", base64Doubles(intensity, false)) + "</binaryDataArrayList>\n";
}

std::string exact(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string exportFile(const std::string& name) { return readWholeFile(QUARROW_SOURCE_DIR "/tests/support/exports/" + name); }

}  // namespace

std::string handWrittenMzML(const std::string& firstBinary) {
    const std::string text = exportFile("hand_written.mzML");
    if (firstBinary.empty()) return text;
    // The first array of the file is the survey scan's m/z array.
    const std::string mz = base64Doubles({400.25, 445.25, 445.75}, false);
    return replaced(replaced(text, "encodedLength=\"" + std::to_string(mz.size()) + "\"",
                             "encodedLength=\"" + std::to_string(firstBinary.size()) + "\""),
                    "<binary>" + mz + "</binary>", "<binary>" + firstBinary + "</binary>");
}

std::string handWrittenMzXML() { return exportFile("hand_written.mzXML"); }

std::string msTerm(const std::string& accession, const std::string& name, const std::string& value) {
    return "<cvParam cvRef=\"MS\" accession=\"" + accession + "\" name=\"" + name + "\" value=\"" + value + "\"/>\n";
}

std::string userParam(const std::string& name, const std::string& value) {
    return "<userParam name=\"" + name + "\" value=\"" + value + "\"/>\n";
}

std::string msLevel(int level) { return msTerm("MS:1000511", "ms level", std::to_string(level)); }

std::string precursorElement(std::optional<double> selectedMz, std::optional<std::string> charge,
                             std::optional<double> targetMz, std::optional<double> collisionEnergy) {
    std::string text = "<precursor>";
    if (targetMz) {
        text += "<isolationWindow>" + msTerm("MS:1000827", "isolation window target m/z", exact(*targetMz)) +
                "</isolationWindow>";
    }
    if (selectedMz || charge) {
        text += "<selectedIonList count=\"1\"><selectedIon>";
        if (selectedMz) text += msTerm("MS:1000744", "selected ion m/z", exact(*selectedMz));
        if (charge) text += msTerm("MS:1000041", "charge state", *charge);
        text += "</selectedIon></selectedIonList>";
    }
    text += "<activation>" + msTerm("MS:1000133", "collision-induced dissociation");
    if (collisionEnergy) text += msTerm("MS:1000045", "collision energy", exact(*collisionEnergy));
    return text + "</activation></precursor>\n";
}

std::string fixtureMzML(const std::vector<FixtureSpectrum>& spectra, const std::string& instrument,
                        const std::string& sampleName, const std::string& runId) {
    std::string text = R"(<?xml version="1.0" encoding="utf-8"?>
<mzML xmlns="http://psi.hupo.org/ms/mzml" version="1.1.0">
<cvList count="2"><cv id="MS" fullName="PSI-MS" URI="https://psi.hupo.org/ms.obo"/><cv id="UO" fullName="Unit Ontology" URI="https://unit.obo"/></cvList>
<fileDescription><fileContent>)" + msTerm("MS:1000580", "MSn spectrum") + "</fileContent></fileDescription>\n";
    if (!sampleName.empty()) text += "<sampleList count=\"1\"><sample id=\"S1\" name=\"" + sampleName + "\"/></sampleList>\n";
    text += R"(<softwareList count="1"><software id="hand" version="1"/></softwareList>
<instrumentConfigurationList count="1"><instrumentConfiguration id="IC1">)" + instrument + R"(</instrumentConfiguration></instrumentConfigurationList>
<dataProcessingList count="1"><dataProcessing id="DP1"><processingMethod order="0" softwareRef="hand"/></dataProcessing></dataProcessingList>
<run id=")" + runId + R"(" defaultInstrumentConfigurationRef="IC1">
<spectrumList count=")" + std::to_string(spectra.size()) + R"(" defaultDataProcessingRef="DP1">
)";
    for (std::size_t i = 0; i < spectra.size(); ++i) {
        const FixtureSpectrum& spectrum = spectra[i];
        text += "<spectrum index=\"" + std::to_string(i) + "\" id=\"" + spectrum.id + "\" defaultArrayLength=\"" +
                std::to_string(spectrum.mz.size()) + "\">\n" + spectrum.params;
        if (spectrum.seconds >= 0.0) {
            text += "<scanList count=\"1\"><scan><cvParam cvRef=\"MS\" accession=\"MS:1000016\" name=\"scan start time\" "
                    "value=\"" + exact(spectrum.seconds) +
                    "\" unitCvRef=\"UO\" unitAccession=\"UO:0000010\" unitName=\"second\"/></scan></scanList>\n";
        }
        if (!spectrum.precursor.empty()) text += "<precursorList count=\"1\">" + spectrum.precursor + "</precursorList>\n";
        text += arrays(spectrum.mz, spectrum.intensity) + "</spectrum>\n";
    }
    return text + "</spectrumList>\n</run>\n</mzML>\n";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::runtime_error("fixture lacks " + from);
    return text.replace(at, from.size(), to);
}

void writeGzip(const std::string& path, const std::string& content) {
    gzFile file = gzopen(path.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot write " + path);
    const int written = gzwrite(file, content.data(), static_cast<unsigned>(content.size()));
    gzclose(file);
    if (written != static_cast<int>(content.size())) throw std::runtime_error("cannot compress into " + path);
}

HRESULT codeOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ComError& error) {
        return error.code();
    }
    return S_OK;
}

std::string firstReadError(const std::string& path) {
    MSAnalysis analysis;
    if (FAILED(analysis.Open(path))) return analysis.openFailureDescription();
    try {
        const MSSpectrumCollection spectra = analysis.getSpectra();
        for (std::int32_t i = 1; i <= spectra.getCount(); ++i) {
            std::vector<double> mz, intensity;
            std::int32_t count = 0;
            spectra.getItem(i).getData(0, mz, intensity, count);
        }
    } catch (const ComError& error) {
        return error.description();
    }
    return {};
}

std::string asMzXML(const std::string& path, const std::string& mzXMLPath) {
    const pwiz::msdata::MSDataFile data(path);
    pwiz::msdata::MSDataFile::write(data, mzXMLPath, pwiz::msdata::MSDataFile::WriteConfig(pwiz::msdata::MSDataFile::Format_mzXML));
    return readWholeFile(mzXMLPath);
}

void asNumpressMzML(const std::string& path, const std::string& outPath, const std::string& mzCoding,
                    const std::string& intensityCoding, bool zlib) {
    using Encoder = pwiz::msdata::BinaryDataEncoder;
    const auto coding = [](const std::string& name) {
        if (name == "linear") return Encoder::Numpress_Linear;
        if (name == "pic") return Encoder::Numpress_Pic;
        return Encoder::Numpress_Slof;
    };
    const pwiz::msdata::MSDataFile data(path);
    pwiz::msdata::MSDataFile::WriteConfig config(pwiz::msdata::MSDataFile::Format_mzML);
    config.binaryDataEncoderConfig.numpressOverrides[pwiz::cv::MS_m_z_array] = coding(mzCoding);
    config.binaryDataEncoderConfig.numpressOverrides[pwiz::cv::MS_intensity_array] = coding(intensityCoding);
    if (zlib) config.binaryDataEncoderConfig.compression = Encoder::Compression_Zlib;
    pwiz::msdata::MSDataFile::write(data, outPath, config);
}
