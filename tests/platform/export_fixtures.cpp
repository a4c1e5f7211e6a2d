#include "tests/platform/export_fixtures.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <zlib.h>

#include "platform/msanalysis/ms_analysis.h"

std::string base64Bytes(const std::string& bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) chunk |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) chunk |= static_cast<unsigned char>(bytes[i + 2]);
        text += alphabet[(chunk >> 18) & 63];
        text += alphabet[(chunk >> 12) & 63];
        text += i + 1 < bytes.size() ? alphabet[(chunk >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? alphabet[chunk & 63] : '=';
    }
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

std::string arrays(const std::vector<double>& mz, const std::vector<double>& intensity, const std::string& mzText) {
    const auto one = [](const std::string& accession, const std::string& name, const std::string& text) {
        return "<binaryDataArray encodedLength=\"" + std::to_string(text.size()) +
               "\"><cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\"/>"
               "<cvParam cvRef=\"MS\" accession=\"MS:1000576\" name=\"no compression\"/>"
               "<cvParam cvRef=\"MS\" accession=\"" + accession + "\" name=\"" + name + "\"/><binary>" + text +
               "</binary></binaryDataArray>\n";
    };
    return "<binaryDataArrayList count=\"2\">\n" +
           one("MS:1000514", "m/z array", mzText.empty() ? base64Doubles(mz, false) : mzText) +
           one("MS:1000515", "intensity array", base64Doubles(intensity, false)) + "</binaryDataArrayList>\n";
}

}  // namespace

std::string handWrittenMzML(const std::string& firstBinary) {
    std::string text = R"(<?xml version="1.0" encoding="utf-8"?>
<mzML xmlns="http://psi.hupo.org/ms/mzml" version="1.1.0" id="run42">
<cvList count="2"><cv id="MS" fullName="PSI-MS" URI="https://psi.hupo.org/ms.obo"/><cv id="UO" fullName="Unit Ontology" URI="https://unit.obo"/></cvList>
<fileDescription>
<fileContent><cvParam cvRef="MS" accession="MS:1000579" name="MS1 spectrum"/></fileContent>
<sourceFileList count="1"><sourceFile id="SF1" name="method7.m" location="file:///C:/methods"/></sourceFileList>
<contact><cvParam cvRef="MS" accession="MS:1000586" name="contact name" value="Ada Operator"/></contact>
</fileDescription>
<sampleList count="1"><sample id="S1" name="BSA digest"/></sampleList>
<softwareList count="1"><software id="hand" version="1"/></softwareList>
<instrumentConfigurationList count="1"><instrumentConfiguration id="IC1"/></instrumentConfigurationList>
<dataProcessingList count="1"><dataProcessing id="DP1"><processingMethod order="0" softwareRef="hand"/></dataProcessing></dataProcessingList>
<run id="run42" defaultInstrumentConfigurationRef="IC1" startTimeStamp="2008-01-15T10:30:00Z" sampleRef="S1">
<spectrumList count="3" defaultDataProcessingRef="DP1">
<spectrum index="0" id="scan=1" defaultArrayLength="3">
<cvParam cvRef="MS" accession="MS:1000511" name="ms level" value="1"/>
<cvParam cvRef="MS" accession="MS:1000579" name="MS1 spectrum"/>
<userParam name="note" value="survey 12a"/>
<scanList count="1"><cvParam cvRef="MS" accession="MS:1000795" name="no combination"/>
<scan><cvParam cvRef="MS" accession="MS:1000016" name="scan start time" value="0.5" unitCvRef="UO" unitAccession="UO:0000031" unitName="minute"/>
<scanWindowList count="1"><scanWindow><cvParam cvRef="MS" accession="MS:1000501" name="scan window lower limit" value="300" unitCvRef="MS" unitAccession="MS:1000040" unitName="m/z"/>
<cvParam cvRef="MS" accession="MS:1000500" name="scan window upper limit" value="2000" unitCvRef="MS" unitAccession="MS:1000040" unitName="m/z"/></scanWindow></scanWindowList>
</scan></scanList>
)";
    text += arrays({400.25, 445.25, 445.75}, {1000.0, 25000.5, 12000.0}, firstBinary);
    text += R"(</spectrum>
<spectrum index="1" id="scan=2" defaultArrayLength="2">
<cvParam cvRef="MS" accession="MS:1000511" name="ms level" value="2"/>
<cvParam cvRef="MS" accession="MS:1000580" name="MSn spectrum"/>
<scanList count="1"><cvParam cvRef="MS" accession="MS:1000795" name="no combination"/>
<scan><cvParam cvRef="MS" accession="MS:1000016" name="scan start time" value="0.6" unitCvRef="UO" unitAccession="UO:0000031" unitName="minute"/></scan></scanList>
<precursorList count="2">
<precursor><isolationWindow><cvParam cvRef="MS" accession="MS:1000827" name="isolation window target m/z" value="445.3" unitCvRef="MS" unitAccession="MS:1000040" unitName="m/z"/></isolationWindow>
<selectedIonList count="1"><selectedIon><cvParam cvRef="MS" accession="MS:1000744" name="selected ion m/z" value="445.25" unitCvRef="MS" unitAccession="MS:1000040" unitName="m/z"/>
<cvParam cvRef="MS" accession="MS:1000041" name="charge state" value="2"/></selectedIon></selectedIonList>
<activation><cvParam cvRef="MS" accession="MS:1000133" name="collision-induced dissociation"/>
<cvParam cvRef="MS" accession="MS:1000045" name="collision energy" value="35" unitCvRef="UO" unitAccession="UO:0000266" unitName="electronvolt"/></activation></precursor>
<precursor><isolationWindow><cvParam cvRef="MS" accession="MS:1000827" name="isolation window target m/z" value="600.1" unitCvRef="MS" unitAccession="MS:1000040" unitName="m/z"/></isolationWindow>
<activation><cvParam cvRef="MS" accession="MS:1000133" name="collision-induced dissociation"/></activation></precursor>
</precursorList>
)";
    text += arrays({147.11, 262.14}, {2034.0, 988.0}, "");
    text += R"(</spectrum>
<spectrum index="2" id="scan=3" defaultArrayLength="0">
<cvParam cvRef="MS" accession="MS:1000580" name="MSn spectrum"/>
</spectrum>
</spectrumList>
</run>
</mzML>
)";
    return text;
}

std::string handWrittenMzXML() {
    const std::string survey = base64Doubles({500.5, 250.0, 501.0, 125.0}, true);
    const std::string fragment = base64Doubles({175.119, 3300.0}, true);
    return R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<mzXML xmlns="http://sashimi.sourceforge.net/schema_revision/mzXML_3.2">
<msRun scanCount="2" startTime="PT0S" endTime="PT60S">
<parentFile fileName="file:///data/tiny.raw" fileType="RAWData" fileSha1="0000000000000000000000000000000000000000"/>
<msInstrument><msManufacturer category="msManufacturer" value="Thermo Scientific"/><msModel category="msModel" value="LTQ"/><msIonisation category="msIonisation" value="ESI"/><msMassAnalyzer category="msMassAnalyzer" value="ITMS"/><msDetector category="msDetector" value="unknown"/></msInstrument>
<dataProcessing centroided="1"><software type="conversion" name="hand" version="1"/></dataProcessing>
<scan num="1" msLevel="1" peaksCount="2" polarity="+" retentionTime="PT10S" lowMz="500.5" highMz="501" basePeakMz="500.5" basePeakIntensity="250" totIonCurrent="375">
<peaks precision="64" byteOrder="network" contentType="m/z-int" compressionType="none" compressedLen="0">)" +
           survey + R"(</peaks>
<scan num="2" msLevel="2" peaksCount="1" polarity="+" retentionTime="PT11S" collisionEnergy="30">
<precursorMz precursorIntensity="250" precursorCharge="2" activationMethod="CID">500.5</precursorMz>
<peaks precision="64" byteOrder="network" contentType="m/z-int" compressionType="none" compressedLen="0">)" +
           fragment + R"(</peaks>
</scan>
</scan>
</msRun>
</mzXML>
)";
}

namespace {
std::string exact(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}
}  // namespace

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
        text += arrays(spectrum.mz, spectrum.intensity, "") + "</spectrum>\n";
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
