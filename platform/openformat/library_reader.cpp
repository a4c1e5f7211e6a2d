// ProteoWizard's data library as a reader of exports: the reference that
// this project's own reader is checked against (QUARROW_READER=pwiz).
#include <mutex>
#include <utility>

#include "pwiz/data/msdata/DefaultReaderList.hpp"
#include "pwiz/data/msdata/MSDataFile.hpp"

#include "core/util/format_text.h"
#include "core/util/text_path.h"
#include "platform/openformat/export_reader.h"
#include "platform/openformat/pwiz_description.h"

namespace msdata = pwiz::msdata;

namespace {

class LibraryReader : public ExportReader {
public:
    explicit LibraryReader(const std::string& path) : path_(path) {
        try {
            msdata::ReaderList readers;
            readers.push_back(msdata::ReaderPtr(new msdata::Reader_mzML));
            readers.push_back(msdata::ReaderPtr(new msdata::Reader_mzXML));
            data_ = std::make_unique<msdata::MSDataFile>(path, &readers);
            const bool mzXML = endsWithIgnoringCase(path, ".mzXML") || endsWithIgnoringCase(path, ".mzXML.gz");
            info_ = describeRun(*data_, path, mzXML);
        } catch (const std::exception& error) {
            throw ExportReadError(formatText("The export %s cannot be read as mzML or mzXML: %s", path.c_str(), error.what()));
        }
    }

    template <typename Read>
    auto read(std::size_t index, bool withArrays, const Read& describe) const -> decltype(describe(std::declval<const msdata::Spectrum&>())) {
        msdata::SpectrumPtr spectrum;
        try {
            spectrum = data_->run.spectrumListPtr->spectrum(index, withArrays);
        } catch (const std::exception& error) {
            throw ExportReadError(formatText("Spectrum %zu of the export %s cannot be read: %s", index + 1, path_.c_str(),
                                             error.what()));
        }
        if (!spectrum) damaged(index, "the library delivers nothing");
        try {
            return describe(*spectrum);
        } catch (const ExportReadError&) {
            throw;
        } catch (const std::exception& error) {
            throw ExportReadError(formatText("Spectrum %zu of the export %s has an unreadable value: %s", index + 1,
                                             path_.c_str(), error.what()));
        }
    }

    std::size_t spectrumCount() const override {
        return data_->run.spectrumListPtr ? data_->run.spectrumListPtr->size() : 0;
    }
    std::size_t chromatogramCount() const override {
        return data_->run.chromatogramListPtr ? data_->run.chromatogramListPtr->size() : 0;
    }
    const ExportRunInfo& runInfo() const override { return info_; }

    ExportSpectrum spectrum(std::size_t index) const override {
        const std::lock_guard<std::mutex> lock(lock_);
        return read(index, false, [](const msdata::Spectrum& s) { return describeSpectrum(s); });
    }

    std::vector<ExportParameter> parameters(std::size_t index) const override {
        const std::lock_guard<std::mutex> lock(lock_);
        return read(index, false, [](const msdata::Spectrum& s) { return listParameters(s); });
    }

    ExportArrays arrays(std::size_t index) const override {
        const std::lock_guard<std::mutex> lock(lock_);
        ExportArrays result = read(index, true, [&](const msdata::Spectrum& s) {
            const msdata::BinaryDataArrayPtr mz = s.getMZArray();
            const msdata::BinaryDataArrayPtr intensity = s.getIntensityArray();
            const std::size_t declared = s.defaultArrayLength;
            ExportArrays found;
            if (!mz || !intensity) {
                if (declared == 0) return found;
                damaged(index, formatText("it declares %zu points but lacks its %s array", declared, mz ? "intensity" : "m/z"));
            }
            if (mz->data.size() != intensity->data.size() || mz->data.size() != declared) {
                damaged(index, formatText("%zu points declared, %zu m/z and %zu intensity values decoded", declared,
                                          mz->data.size(), intensity->data.size()));
            }
            found.mz.assign(mz->data.begin(), mz->data.end());
            found.intensity.assign(intensity->data.begin(), intensity->data.end());
            return found;
        });
        const std::string problem = peakValueProblem(result);
        if (!problem.empty()) damaged(index, problem);
        return result;
    }

    std::vector<std::string> warnings() const override { return {}; }

private:
    [[noreturn]] void damaged(std::size_t index, const std::string& why) const {
        throw ExportReadError(formatText("Spectrum %zu of the export %s is damaged: %s.", index + 1, path_.c_str(), why.c_str()));
    }

    std::string path_;
    // The library's objects are not safe to share between threads.
    mutable std::mutex lock_;
    std::unique_ptr<msdata::MSDataFile> data_;
    ExportRunInfo info_;
};

}  // namespace

std::unique_ptr<ExportReader> openLibraryReader(const std::string& path) { return std::make_unique<LibraryReader>(path); }
