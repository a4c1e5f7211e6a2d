#include "core/extractor/mzml_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/peaks/peak_writers.h"
#include "core/util/cgi_query.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/printable_real.h"
#include "core/util/sha1.h"
#include "core/util/text_path.h"

namespace {

constexpr const char* kLabel = "Function: writeMzmlFile";

// The ids the head gives its parts; a run id that would repeat one is set apart.
constexpr const char* kSourceId = "source";
constexpr const char* kInstrumentId = "instrument";
constexpr const char* kProcessingId = "peak_lists";

// Room for the spectrum count: its digits, the closing quote, then blanks
// inside the tag.
constexpr std::size_t kCountRoom = 12;

std::string cvParam(const char* accession, const char* name, std::string_view value = "") {
    return formatText("<cvParam cvRef=\"MS\" accession=\"%s\" name=\"%s\" value=\"%s\"/>", accession, name,
                      xmlText(value).c_str());
}

std::string cvParamWithUnit(const char* accession, const char* name, std::string_view value, const char* unitCv,
                            const char* unitAccession, const char* unitName) {
    return formatText("<cvParam cvRef=\"MS\" accession=\"%s\" name=\"%s\" value=\"%s\" unitCvRef=\"%s\" "
                      "unitAccession=\"%s\" unitName=\"%s\"/>",
                      accession, name, xmlText(value).c_str(), unitCv, unitAccession, unitName);
}

std::string sha1Param(std::string_view hex) { return cvParam("MS:1000569", "SHA-1", hex); }

// The shortest text that reads back as the same double.
std::string exactNumber(double value) {
    std::array<char, 32> text;
    const std::to_chars_result end = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), end.ptr);
}

// An xs:ID (an XML name without colons) made of `text`: other characters
// as "_", and "_" before a name that would begin with a digit, "-" or ".".
std::string xmlId(std::string_view text) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    std::string id;
    for (const char c : text) id.push_back(letter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' ? c : '_');
    if (id.empty() || !letter(id[0])) id.insert(0, "_");
    return id;
}

// The native id formats of the vocabulary, known by the shape of an id.
struct NativeIdFormat {
    const char* accession;
    const char* name;
    std::vector<const char*> keys;  // in order, each with a whole number
};

bool hasShape(std::string_view id, const std::vector<const char*>& keys) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const std::string_view key = keys[k];
        if (k > 0) {
            if (id.empty() || id.front() != ' ') return false;
            id.remove_prefix(1);
        }
        if (!id.starts_with(key) || id.size() <= key.size() || id[key.size()] != '=') return false;
        id.remove_prefix(key.size() + 1);
        std::size_t digits = 0;
        while (digits < id.size() && id[digits] >= '0' && id[digits] <= '9') ++digits;
        if (digits == 0) return false;
        id.remove_prefix(digits);
    }
    return id.empty();
}

const NativeIdFormat& nativeIdFormat(std::string_view id) {
    static const std::vector<NativeIdFormat> formats = {
        {"MS:1000768", "Thermo nativeID format", {"controllerType", "controllerNumber", "scan"}},
        {"MS:1000770", "WIFF nativeID format", {"sample", "period", "cycle", "experiment"}},
        {"MS:1000776", "scan number only nativeID format", {"scan"}},
        {"MS:1000774", "multiple peak list nativeID format", {"index"}},
        {"MS:1000777", "spectrum identifier nativeID format", {"spectrum"}},
        {"MS:1000824", "no nativeID format", {}},
    };
    for (const NativeIdFormat& format : formats) {
        if (!format.keys.empty() && hasShape(id, format.keys)) return format;
    }
    return formats.back();
}

// What a spectrum id must look like: "key=value" pairs apart by single blanks.
bool isSpectrumId(std::string_view id) {
    while (true) {
        const std::size_t end = std::min(id.find(' '), id.size());
        const std::string_view pair = id.substr(0, end);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || equals == 0 || equals + 1 == pair.size()) return false;
        for (const char c : pair) {
            if (static_cast<unsigned char>(c) < ' ') return false;
        }
        if (end == id.size()) return true;
        id.remove_prefix(end + 1);
    }
}

// The folder of `path` as a file URI.
std::string folderUri(const std::string& path) {
    std::error_code error;
    std::filesystem::path whole = std::filesystem::absolute(path, error);
    if (error) whole = path;
    return "file://" + percentEncode(whole.parent_path().string());
}

std::string sourceFileFormat(const std::string& path) {
    std::string_view name = path;
    if (endsWithIgnoringCase(name, ".gz")) name.remove_suffix(3);
    return endsWithIgnoringCase(name, ".mzXML") ? cvParam("MS:1000566", "ISB mzXML format")
                                                : cvParam("MS:1000584", "mzML format");
}

// The lines every spectrum repeats, made once.
struct SpectrumLines {
    std::string kind;  // MSn spectrum of level 2, centroided
    std::string merged;
    std::string single;
    std::string activation;
    std::string mzTerms;  // an array's terms
    std::string intensityTerms;
};

const SpectrumLines& spectrumLines() {
    static const SpectrumLines lines = [] {
        const auto line = [](const std::string& indent, const std::string& element) { return indent + element + "\n"; };
        const std::string array = "            ";
        const std::string numbers = line(array, cvParam("MS:1000523", "64-bit float")) +
                                    line(array, cvParam("MS:1000576", "no compression"));
        return SpectrumLines{
            line("          ", cvParam("MS:1000580", "MSn spectrum")) +
                line("          ", cvParam("MS:1000511", "ms level", "2")) +
                line("          ", cvParam("MS:1000127", "centroid spectrum")),
            line("            ", cvParam("MS:1000571", "sum of spectra")),
            line("            ", cvParam("MS:1000795", "no combination")),
            "              <activation>\n" + line("                ", cvParam("MS:1000133", "collision-induced dissociation")) +
                "              </activation>\n",
            numbers + line(array, cvParamWithUnit("MS:1000514", "m/z array", "", "MS", "MS:1000040", "m/z")),
            numbers + line(array, cvParamWithUnit("MS:1000515", "intensity array", "", "MS", "MS:1000131",
                                                  "number of detector counts")),
        };
    }();
    return lines;
}

// One array of a spectrum: `value(peak)` of each peak as a 64-bit
// little-endian number, as the format has it, in base64 after `terms`.
template <class Value>
void appendBinaryArray(const SpectrumPoints& peaks, Value value, const std::string& terms, std::string& text) {
    static_assert(sizeof(double) == 8);
    std::vector<unsigned char> bytes(peaks.size() * sizeof(double));
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        const auto bits = std::bit_cast<std::uint64_t>(value(peaks[i]));
        for (std::size_t b = 0; b < 8; ++b) bytes[i * 8 + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
    std::string encoded;
    appendBase64(bytes.data(), bytes.size(), encoded);
    text += formatText("<binaryDataArray encodedLength=\"%zu\">\n", encoded.size()) + terms;
    text += "            <binary>" + encoded + "</binary>\n          </binaryDataArray>";
}

[[noreturn]] void fail(const FileFailure& failure) {
    errno = failure.error;
    reportFatalError(failure.message, {failure.file});
}

}  // namespace

void appendBase64(const unsigned char* bytes, std::size_t size, std::string& text) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t start = text.size();
    text.resize(start + (size + 2) / 3 * 4);
    char* out = text.data() + start;
    std::size_t at = 0;
    for (; at + 3 <= size; at += 3) {
        const std::uint32_t group = (std::uint32_t{bytes[at]} << 16) | (std::uint32_t{bytes[at + 1]} << 8) | bytes[at + 2];
        *out++ = kDigits[(group >> 18) & 63];
        *out++ = kDigits[(group >> 12) & 63];
        *out++ = kDigits[(group >> 6) & 63];
        *out++ = kDigits[group & 63];
    }
    if (at < size) {
        const bool two = at + 1 < size;
        const std::uint32_t group = (std::uint32_t{bytes[at]} << 16) | (two ? std::uint32_t{bytes[at + 1]} << 8 : 0);
        *out++ = kDigits[(group >> 18) & 63];
        *out++ = kDigits[(group >> 12) & 63];
        *out++ = two ? kDigits[(group >> 6) & 63] : '=';
        *out++ = '=';
    }
}

std::string xmlText(std::string_view text) {
    static constexpr const char* kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            switch (byte) {
                case '&': out += "&amp;"; break;
                case '<': out += "&lt;"; break;
                case '>': out += "&gt;"; break;
                case '"': out += "&quot;"; break;
                case '\t': out += "&#9;"; break;
                case '\n': out += "&#10;"; break;
                case '\r': out += "&#13;"; break;
                default: out += byte < 0x20 || byte == 0x7F ? kReplacement : std::string(1, text[i]);
            }
            ++i;
            continue;
        }
        // A whole UTF-8 character, neither overlong nor a surrogate nor
        // beyond U+10FFFF, is kept; anything else is one replacement.
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
        std::uint32_t code = length == 4 ? byte & 0x07U : length == 3 ? byte & 0x0FU : byte & 0x1FU;
        bool whole = length != 0 && byte < 0xF5 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3FU);
        }
        const std::uint32_t least = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        whole = whole && code >= least && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE &&
                code != 0xFFFF;
        if (whole) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

MzmlFile::MzmlFile(const std::string& path, const PeakListOutput& output)
    : file_(path, kLabel), path_(path), source_(output.source) {
    if (!created()) return;
    const bool hasSource = !source_.path.empty();
    if (hasSource) {
        // Hashing a large export costs a pass over it; it runs while the run
        // is processed. A thread that cannot be started leaves it to commit().
        try {
            sourceSha1_ = std::async(std::launch::async, [path = source_.path] { return sha1OfFile(path); });
        } catch (const std::system_error&) {
        }
    }
    const std::string program = *output.program != '\0' ? output.program : "quarrow";
    const std::string softwareId = xmlId(program);
    std::string runId = xmlId(output.stem);
    for (const char* taken : {"MS", "UO", kSourceId, kInstrumentId, kProcessingId}) {
        if (runId == taken || runId == softwareId) runId = "run_" + runId;
    }
    std::string head =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<indexedmzML xmlns=\"http://psi.hupo.org/ms/mzml\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://psi.hupo.org/ms/mzml http://psidev.info/files/ms/mzML/xsd/mzML1.1.2_idx.xsd\">\n"
        "  <mzML xmlns=\"http://psi.hupo.org/ms/mzml\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://psi.hupo.org/ms/mzml http://psidev.info/files/ms/mzML/xsd/mzML1.1.0.xsd\" "
        "version=\"1.1.0\">\n"
        "    <cvList count=\"2\">\n"
        "      <cv id=\"MS\" fullName=\"Proteomics Standards Initiative Mass Spectrometry Ontology\" "
        "URI=\"https://raw.githubusercontent.com/HUPO-PSI/psi-ms-CV/master/psi-ms.obo\"/>\n"
        "      <cv id=\"UO\" fullName=\"Unit Ontology\" "
        "URI=\"https://raw.githubusercontent.com/bio-ontology-research-group/unit-ontology/master/unit.obo\"/>\n"
        "    </cvList>\n"
        "    <fileDescription>\n"
        "      <fileContent>\n"
        "        " + cvParam("MS:1000580", "MSn spectrum") + "\n"
        "      </fileContent>\n";
    if (hasSource) {
        const std::filesystem::path sourcePath(source_.path);
        const std::string firstId = source_.nativeId ? source_.nativeId(1) : std::string();
        const NativeIdFormat& format = nativeIdFormat(firstId);
        head += "      <sourceFileList count=\"1\">\n"
                "        <sourceFile id=\"" + std::string(kSourceId) + "\" name=\"" +
                xmlText(sourcePath.filename().string()) + "\" location=\"" + xmlText(folderUri(source_.path)) + "\">\n"
                "          " + cvParam(format.accession, format.name) + "\n"
                "          " + sourceFileFormat(source_.path) + "\n"
                "          ";
        sourceSha1At_ = head.size();
        head += sha1Param(std::string(40, '0')) + "\n"
                "        </sourceFile>\n"
                "      </sourceFileList>\n";
    }
    head += "    </fileDescription>\n"
            "    <softwareList count=\"1\">\n"
            "      <software id=\"" + softwareId + "\" version=\"" + xmlText(output.version) + "\">\n"
            "        " + cvParam("MS:1000799", "custom unreleased software tool", program) + "\n"
            "      </software>\n"
            "    </softwareList>\n"
            "    <instrumentConfigurationList count=\"1\">\n"
            "      <instrumentConfiguration id=\"" + kInstrumentId + "\">\n"
            "        " +
            (source_.instrumentAccession.empty()
                 ? cvParam("MS:1000031", "instrument model")
                 : cvParam(source_.instrumentAccession.c_str(), source_.instrumentName.c_str())) +
            "\n"
            "      </instrumentConfiguration>\n"
            "    </instrumentConfigurationList>\n"
            "    <dataProcessingList count=\"1\">\n"
            "      <dataProcessing id=\"" + kProcessingId + "\">\n"
            "        <processingMethod order=\"0\" softwareRef=\"" + softwareId + "\">\n"
            "          " + cvParam("MS:1000035", "peak picking") + "\n"
            "          " + cvParam("MS:1000778", "charge state calculation") + "\n";
    for (const auto& [key, value] : output.settings) {
        head += "          <userParam name=\"" + xmlText(key) + "\" value=\"" + xmlText(value) + "\" type=\"xsd:string\"/>\n";
    }
    head += "        </processingMethod>\n"
            "      </dataProcessing>\n"
            "    </dataProcessingList>\n"
            "    <run id=\"" + runId + "\" defaultInstrumentConfigurationRef=\"" + kInstrumentId + "\"" +
            (hasSource ? std::string(" defaultSourceFileRef=\"") + kSourceId + "\"" : std::string()) + ">\n"
            "      <spectrumList count=\"";
    countAt_ = head.size();
    head += "0\"" + std::string(kCountRoom - 2, ' ') + " defaultDataProcessingRef=\"" + kProcessingId + "\">\n";
    write(head);
}

MzmlFile::~MzmlFile() = default;

void MzmlFile::write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), file_.stream());
    written_ += text.size();
}

std::string MzmlFile::spectrumId(const PeakListSpectrum& s, const std::string& nativeId) {
    // The native id of the first scan, as the export gives it; one that
    // cannot be a spectrum id here, or is taken, gives way to the scan number.
    std::string id = nativeId;
    if (!isSpectrumId(id) || ids_.contains(id)) id = "scan=" + std::to_string(s.firstScan);
    for (std::size_t n = index_.size(); ids_.contains(id); ++n) {
        id = "scan=" + std::to_string(s.firstScan) + " peakList=" + std::to_string(n);
    }
    ids_.insert(id);
    return id;
}

void MzmlFile::add(const PeakListSpectrum& s, const SpectrumPoints& peaks) {
    if (!created()) return;
    const std::string nativeId = source_.nativeId ? source_.nativeId(s.firstScan) : std::string();
    const std::string id = spectrumId(s, nativeId);
    std::string& text = text_;
    text.clear();
    text += formatText("        <spectrum index=\"%zu\" id=\"%s\" defaultArrayLength=\"%zu\">\n", index_.size(),
                       xmlText(id).c_str(), peaks.size());
    const SpectrumLines& lines = spectrumLines();
    text += lines.kind;
    text += "          " + cvParam("MS:1000796", "spectrum title", s.title) + "\n";
    const bool merged = s.lastScan != s.firstScan;
    text += "          <scanList count=\"1\">\n";
    text += merged ? lines.merged : lines.single;
    text += nativeId.empty() ? "            <scan>\n"
                             : "            <scan sourceFileRef=\"" + std::string(kSourceId) + "\" externalSpectrumID=\"" +
                                   xmlText(nativeId) + "\">\n";
    if (s.retentionSeconds && std::isfinite(*s.retentionSeconds)) {
        text += "              " +
                cvParamWithUnit("MS:1000016", "scan start time", exactNumber(writtenValue(*s.retentionSeconds, 3)),
                                "UO", "UO:0000010", "second") +
                "\n";
    }
    if (merged) {
        const std::string last = source_.nativeId ? source_.nativeId(s.lastScan) : std::string();
        text += "              <userParam name=\"last merged scan\" value=\"" +
                xmlText(last.empty() ? "scan=" + std::to_string(s.lastScan) : last) + "\" type=\"xsd:string\"/>\n";
    }
    text += "            </scan>\n          </scanList>\n";
    text += "          <precursorList count=\"1\">\n            <precursor>\n"
            "              <selectedIonList count=\"1\">\n                <selectedIon>\n";
    text += "                  " +
            cvParamWithUnit("MS:1000744", "selected ion m/z", exactNumber(writtenValue(s.parentMz, 5)), "MS",
                            "MS:1000040", "m/z") +
            "\n";
    if (s.charge != 0) text += "                  " + cvParam("MS:1000041", "charge state", std::to_string(s.charge)) + "\n";
    if (std::isfinite(s.precursorIntensity)) {
        text += "                  " +
                cvParamWithUnit("MS:1000042", "peak intensity", exactNumber(writtenValue(s.precursorIntensity, 0)),
                                "MS", "MS:1000131", "number of detector counts") +
                "\n";
    }
    text += "                </selectedIon>\n              </selectedIonList>\n" + lines.activation +
            "            </precursor>\n          </precursorList>\n";
    // The values the MGF states: m/z of five decimals, whole intensities.
    text += "          <binaryDataArrayList count=\"2\">\n          ";
    appendBinaryArray(peaks, [](const SpectrumPoint& p) { return writtenValue(p.mOverZ, 5); }, lines.mzTerms, text);
    text += "\n          ";
    appendBinaryArray(peaks, [](const SpectrumPoint& p) { return writtenValue(p.intensity, 0); }, lines.intensityTerms,
                      text);
    text += "\n          </binaryDataArrayList>\n        </spectrum>\n";
    index_.emplace_back(id, written_ + text.find('<'));
    write(text);
}

void MzmlFile::commit() {
    if (const std::optional<FileFailure>& failure = file_.openFailure()) fail(*failure);
    std::FILE* out = file_.stream();
    std::string tail = "      </spectrumList>\n    </run>\n  </mzML>\n  ";
    // Offsets are those of the elements' "<", as readers seek them.
    const std::uint64_t indexAt = written_ + tail.size();
    tail += "<indexList count=\"1\">\n    <index name=\"spectrum\">\n";
    for (const auto& [id, offset] : index_) {
        tail += "      <offset idRef=\"" + xmlText(id) + "\">" + std::to_string(offset) + "</offset>\n";
    }
    tail += "    </index>\n  </indexList>\n  <indexListOffset>" + std::to_string(indexAt) +
            "</indexListOffset>\n  <fileChecksum>";
    write(tail);

    // What is known only now goes into the room kept for it in the head.
    std::string count = std::to_string(index_.size()) + "\"";
    count.resize(kCountRoom, ' ');
    std::fseek(out, static_cast<long>(countAt_), SEEK_SET);
    std::fwrite(count.data(), 1, count.size(), out);
    if (sourceSha1At_ != 0) {
        const std::optional<std::string> sha1 = sourceSha1_.valid() ? sourceSha1_.get() : sha1OfFile(source_.path);
        // A source that could not be read again keeps no checksum rather than a wrong one.
        const std::string param = sha1 ? sha1Param(*sha1) : std::string(sha1Param(std::string(40, '0')).size(), ' ');
        std::fseek(out, static_cast<long>(sourceSha1At_), SEEK_SET);
        std::fwrite(param.data(), 1, param.size(), out);
    }

    // The checksum covers the file up to its own opening tag. A file whose
    // writing failed is not read back: its commit reports the failure.
    if (std::fflush(out) != 0 || std::ferror(out) != 0) fail(file_.commit().value());
    Sha1Digest digest;
    std::rewind(out);
    std::vector<char> block(1 << 20);
    std::uint64_t read = 0;
    while (read < written_) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), out);
        if (got == 0) break;
        digest.update(block.data(), got);
        read += got;
    }
    const std::optional<std::string> hex = digest.hex();
    if (read != written_ || !hex) {
        fail({formatText("File read (fread) failure.\n%s\nFilename = %s.\n", kLabel, path_.c_str()), errno, path_});
    }
    std::fseek(out, 0, SEEK_END);
    const std::string end = *hex + "</fileChecksum>\n</indexedmzML>\n";
    std::fwrite(end.data(), 1, end.size(), out);
    if (const std::optional<FileFailure> failure = file_.commit()) fail(*failure);
}
