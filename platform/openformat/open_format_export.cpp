#include "platform/openformat/open_format_export.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>

#include "pwiz/data/msdata/MSDataFile.hpp"
#include "pwiz/data/msdata/Reader.hpp"
#include "pwiz/data/msdata/DefaultReaderList.hpp"
#include "pwiz/data/msdata/Serializer_mzML.hpp"

#include "core/util/format_text.h"
#include "core/util/text_path.h"
#include "platform/openformat/binary_decode.h"
#include "platform/openformat/export_layout.h"
#include "platform/openformat/export_text.h"
#include "platform/openformat/mzml_spectrum.h"
#include "platform/openformat/mzxml_scan.h"
#include "platform/openformat/pwiz_description.h"
#include "platform/openformat/run_element_id.h"

namespace msdata = pwiz::msdata;

namespace {

std::string registryKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// Only the closing root element tells a complete export: truncation between
// two spectra leaves a file that still parses.
void checkClosed(const std::string& path, std::string tail) {
    while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back()))) tail.pop_back();
    for (const std::string_view closing : {"</mzML>", "</indexedmzML>", "</mzXML>"}) {
        if (tail.ends_with(closing)) return;
    }
    throw ExportReadError(formatText(
        "The export %s is incomplete or damaged: it does not end with the closing </mzML>, </indexedmzML> or </mzXML> tag.",
        path.c_str()));
}

// Tests and benchmarks compare the two readers; users never need this.
bool libraryReaderForced() {
    const char* reader = std::getenv("QUARROW_READER");
    return reader != nullptr && std::string_view(reader) == "pwiz";
}

bool binaryTextsInAlphabet(std::string_view element) {
    for (std::size_t at = element.find("<binary>"); at != std::string_view::npos; at = element.find("<binary>", at)) {
        at += 8;
        const std::size_t end = element.find('<', at);
        if (!inBase64Alphabet(element.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at))) {
            return false;
        }
    }
    return true;
}

// A spectrum element's text and, when the streaming reader takes it, what
// was read from it.
struct LoadedElement {
    std::size_t index = 0;
    std::string text;
    MzmlSpectrumText parsed;
    bool parsedHere = false;
};

}  // namespace

struct OpenFormatExport::Impl {
    std::string path;
    ExportRunInfo info;
    std::size_t count = 0;
    std::unique_ptr<ExportText> text;
    ExportLayout layout;
    bool streaming = false;  // descriptions and arrays read here, not by the library

    // The library reader: for mzXML, when forced, and (opened on demand) for
    // parameter lists and spectra the streaming reader leaves to it. It is
    // not safe to share between threads, so everything that reaches it holds
    // `libraryLock`.
    mutable std::mutex libraryLock;
    mutable std::unique_ptr<msdata::MSDataFile> data;

    // A caller asks for a spectrum's description and then for its arrays;
    // parsing it once, with its arrays, and keeping it until the next one is
    // asked for halves the cost of reading a run. Two threads may read
    // spectra at once, so the last few elements are kept, each read and
    // parsed outside the lock.
    mutable std::mutex recentLock;
    mutable std::array<std::shared_ptr<const LoadedElement>, 4> recent;
    mutable std::size_t nextRecent = 0;

    mutable std::size_t lastIndex = 0;
    mutable msdata::SpectrumPtr last;

    void checkIndex(std::size_t index) const {
        if (index >= count) {
            throw ExportReadError(formatText("Spectrum %zu requested from %s, which holds %zu spectra.", index + 1,
                                             path.c_str(), count));
        }
    }

    [[noreturn]] void damaged(std::size_t index, const std::string& why) const {
        if (why.starts_with("declares ")) {
            throw ExportReadError(formatText("Spectrum %zu of the export %s %s.", index + 1, path.c_str(), why.c_str()));
        }
        throw ExportReadError(formatText("Spectrum %zu of the export %s is damaged: %s.", index + 1, path.c_str(), why.c_str()));
    }

    void openLibrary() const {
        if (data) return;
        try {
            msdata::ReaderList readers;
            readers.push_back(msdata::ReaderPtr(new msdata::Reader_mzML));
            readers.push_back(msdata::ReaderPtr(new msdata::Reader_mzXML));
            data = std::make_unique<msdata::MSDataFile>(path, &readers);
            if (!data->run.spectrumListPtr) throw ExportReadError("it holds no spectrum list");
        } catch (const std::exception& error) {
            data.reset();
            throw ExportReadError(formatText("The export %s cannot be read as mzML or mzXML: %s", path.c_str(), error.what()));
        }
        const std::size_t held = data->run.spectrumListPtr->size();
        if (held != count) {
            data.reset();
            throw ExportReadError(formatText("The export %s is damaged: %zu spectra were found, the library reads %zu.",
                                             path.c_str(), count, held));
        }
    }

    std::shared_ptr<const LoadedElement> loadElement(std::size_t index) const {
        checkIndex(index);
        {
            const std::lock_guard<std::mutex> lock(recentLock);
            for (const std::shared_ptr<const LoadedElement>& kept : recent) {
                if (kept && kept->index == index) return kept;
            }
        }
        // Not moved once read: the parsed description points into the text.
        const auto loaded = std::make_shared<LoadedElement>();
        loaded->index = index;
        const SpectrumPlace& place = layout.spectra[index];
        text->read(place.offset, static_cast<std::size_t>(place.length), loaded->text);
        if (!layout.isMzXML) {
            try {
                loaded->parsed = readMzmlSpectrum(loaded->text);
                loaded->parsedHere = true;
            } catch (const NotForFastReader&) {
            }
        }
        const std::lock_guard<std::mutex> lock(recentLock);
        recent[nextRecent++ % recent.size()] = loaded;
        return loaded;
    }

    // The checks the library does not make, on the element's own text.
    void checkArrays(std::size_t index) const {
        const std::shared_ptr<const LoadedElement> loaded = loadElement(index);
        if (layout.isMzXML) {
            ExportArrays arrays;
            bool decoded = false;
            const std::string problem = readMzXMLPeaks(loaded->text, arrays, decoded);
            if (!problem.empty()) damaged(index, problem);
            return;
        }
        if (!loaded->parsedHere) {
            if (!binaryTextsInAlphabet(loaded->text)) {
                damaged(index, "its base64 text holds characters outside the base64 alphabet");
            }
            return;
        }
        ExportArrays arrays;
        const std::string problem = decodeMzmlArrays(loaded->parsed, arrays);
        if (!problem.empty()) damaged(index, problem);
    }

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
        checkIndex(index);
        openLibrary();
        try {
            msdata::SpectrumPtr spectrum = data->run.spectrumListPtr->spectrum(index, withArrays);
            if (!spectrum) throw ExportReadError("no spectrum was delivered");
            return spectrum;
        } catch (const std::exception& error) {
            throw ExportReadError(formatText("Spectrum %zu of the export %s cannot be read: %s", index + 1, path.c_str(),
                                             error.what()));
        }
    }

    ExportArrays libraryArrays(std::size_t index) const {
        const msdata::SpectrumPtr spectrum = fetch(index);
        const msdata::BinaryDataArrayPtr mz = spectrum->getMZArray();
        const msdata::BinaryDataArrayPtr intensity = spectrum->getIntensityArray();
        const std::size_t declared = spectrum->defaultArrayLength;
        ExportArrays result;
        if (!mz || !intensity) {
            if (declared == 0) return result;
            damaged(index, formatText("declares %zu points but lacks its %s array", declared, mz ? "intensity" : "m/z"));
        }
        if (mz->data.size() != intensity->data.size() || mz->data.size() != declared) {
            damaged(index, formatText("%zu points declared, %zu m/z and %zu intensity values decoded", declared,
                                      mz->data.size(), intensity->data.size()));
        }
        result.mz.assign(mz->data.begin(), mz->data.end());
        result.intensity.assign(intensity->data.begin(), intensity->data.end());
        return result;
    }

    // mzML: everything before the spectra, read by the library as a
    // document of its own, so that the run's description is the library's.
    void describeFromHeader() {
        std::string header;
        text->read(0, static_cast<std::size_t>(layout.spectrumListOffset), header);
        const std::size_t root = header.find("<mzML");
        if (root == std::string::npos) throw ExportReadError("it has no mzML element");
        header.erase(0, root);
        header += "</run></mzML>\n";
        msdata::MSData header_data;
        msdata::Serializer_mzML::Config config;
        config.indexed = false;
        msdata::Serializer_mzML(config).read(boost::shared_ptr<std::istream>(new std::istringstream(std::move(header))),
                                             header_data);
        info = describeRun(header_data, path, false);
    }
};

OpenFormatExport::OpenFormatExport(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
OpenFormatExport::~OpenFormatExport() = default;

std::shared_ptr<const OpenFormatExport> OpenFormatExport::open(const std::string& path) {
    static std::map<std::string, std::shared_ptr<const OpenFormatExport>> opened;
    const std::string key = registryKey(path);
    if (const auto found = opened.find(key); found != opened.end()) return found->second;

    std::error_code sizeError;
    const auto size = std::filesystem::file_size(path, sizeError);
    if (sizeError) {
        throw ExportReadError(formatText("The export %s cannot be read: %s.", path.c_str(), sizeError.message().c_str()));
    }
    if (size == 0) throw ExportReadError(formatText("The export %s is empty.", path.c_str()));

    auto impl = std::make_unique<Impl>();
    impl->path = path;
    ExportLayoutScanner scanner;
    impl->text = std::make_unique<ExportText>(path, [&](std::string_view block) { scanner.feed(block); });
    impl->layout = scanner.finish();
    checkClosed(path, impl->layout.tail);
    impl->layout.tail.clear();
    impl->layout.tail.shrink_to_fit();
    if (!impl->layout.problem.empty()) {
        throw ExportReadError(formatText("The export %s is damaged: %s", path.c_str(), impl->layout.problem.c_str()));
    }
    impl->count = impl->layout.spectra.size();
    impl->streaming = !impl->layout.isMzXML && impl->layout.spectrumListOffset != 0 && !libraryReaderForced();
    try {
        if (impl->streaming) {
            impl->describeFromHeader();
        } else {
            impl->openLibrary();
            impl->info = describeRun(*impl->data, path, impl->layout.isMzXML);
        }
    } catch (const ExportReadError&) {
        throw;
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
    if (impl_->streaming) {
        const std::shared_ptr<const LoadedElement> loaded = impl_->loadElement(index);
        if (loaded->parsedHere) return loaded->parsed.description;
    }
    const std::lock_guard<std::mutex> lock(impl_->libraryLock);
    const msdata::SpectrumPtr spectrum = impl_->fetchDescription(index);
    try {
        return describeSpectrum(*spectrum);
    } catch (const std::exception& error) {
        throw ExportReadError(formatText("Spectrum %zu of the export %s has an unreadable value: %s", index + 1,
                                         impl_->path.c_str(), error.what()));
    }
}

std::vector<ExportParameter> OpenFormatExport::parameters(std::size_t index) const {
    const std::lock_guard<std::mutex> lock(impl_->libraryLock);
    const msdata::SpectrumPtr spectrum = impl_->fetchDescription(index);
    try {
        return listParameters(*spectrum);
    } catch (const std::exception& error) {
        throw ExportReadError(formatText("Spectrum %zu of the export %s has an unreadable value: %s", index + 1,
                                         impl_->path.c_str(), error.what()));
    }
}

ExportArrays OpenFormatExport::arrays(std::size_t index) const {
    ExportArrays result;
    const std::shared_ptr<const LoadedElement> loaded = impl_->streaming ? impl_->loadElement(index) : nullptr;
    if (loaded && loaded->parsedHere) {
        const std::string problem = decodeMzmlArrays(loaded->parsed, result);
        if (!problem.empty()) impl_->damaged(index, problem);
    } else {
        impl_->checkArrays(index);
        const std::lock_guard<std::mutex> lock(impl_->libraryLock);
        result = impl_->libraryArrays(index);
    }
    const auto notFinite = [](double value) { return !std::isfinite(value); };
    if (std::any_of(result.mz.begin(), result.mz.end(), notFinite) ||
        std::any_of(result.intensity.begin(), result.intensity.end(), notFinite)) {
        throw ExportReadError(formatText("Spectrum %zu of the export %s holds values that are not numbers.", index + 1,
                                         impl_->path.c_str()));
    }
    return result;
}
