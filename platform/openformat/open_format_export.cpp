#include "platform/openformat/open_format_export.h"

#include <cstdlib>
#include <filesystem>
#include <map>

#include "core/util/format_text.h"
#include "platform/openformat/export_reader.h"

namespace {

std::string registryKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// Tests and benchmarks compare the two readers; users never need this.
bool libraryReaderForced() {
    const char* reader = std::getenv("QUARROW_READER");
    return reader != nullptr && std::string_view(reader) == "pwiz";
}

}  // namespace

struct OpenFormatExport::Impl {
    std::string path;
    std::unique_ptr<ExportReader> reader;
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
    impl->reader = libraryReaderForced() ? openLibraryReader(path) : openOwnReader(path);
    // An SRM or MRM run: only chromatograms, nothing to make peak lists of.
    if (impl->reader->spectrumCount() == 0) {
        const std::size_t chromatograms = impl->reader->chromatogramCount();
        throw ExportReadError(chromatograms == 0
                                  ? formatText("The export %s holds no spectra and no chromatograms.", path.c_str())
                                  : formatText("The export %s holds no spectra, only %zu chromatogram%s: there is nothing "
                                               "to make peak lists of.",
                                               path.c_str(), chromatograms, chromatograms == 1 ? "" : "s"));
    }
    std::shared_ptr<const OpenFormatExport> result(new OpenFormatExport(std::move(impl)));
    opened.emplace(key, result);
    return result;
}

const std::string& OpenFormatExport::path() const { return impl_->path; }
std::size_t OpenFormatExport::spectrumCount() const { return impl_->reader->spectrumCount(); }
const ExportRunInfo& OpenFormatExport::runInfo() const { return impl_->reader->runInfo(); }

void OpenFormatExport::checkIndex(std::size_t index) const {
    if (index >= spectrumCount()) {
        throw ExportReadError(formatText("Spectrum %zu requested from %s, which holds %zu spectra.", index + 1,
                                         impl_->path.c_str(), spectrumCount()));
    }
}

ExportSpectrum OpenFormatExport::spectrum(std::size_t index) const {
    checkIndex(index);
    return impl_->reader->spectrum(index);
}

ExportArrays OpenFormatExport::arrays(std::size_t index) const {
    checkIndex(index);
    return impl_->reader->arrays(index);
}

std::vector<ExportParameter> OpenFormatExport::parameters(std::size_t index) const {
    checkIndex(index);
    return impl_->reader->parameters(index);
}

std::vector<std::string> OpenFormatExport::warnings() const { return impl_->reader->warnings(); }
