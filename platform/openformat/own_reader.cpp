// This project's reader of mzML and mzXML: one pass over the text finds the
// spectra and what the export declares of itself (its checksum is computed
// meanwhile on a thread of its own); each spectrum is then read from its
// own text when it is asked for.
#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <limits>
#include <mutex>
#include <variant>

#include "core/util/format_text.h"
#include "platform/openformat/export_checksum.h"
#include "platform/openformat/export_layout.h"
#include "platform/openformat/export_names.h"
#include "platform/openformat/export_reader.h"
#include "platform/openformat/export_text.h"
#include "platform/openformat/mzml_header.h"
#include "platform/openformat/mzml_spectrum.h"
#include "platform/openformat/mzxml_scan.h"

namespace {

// Only the closing root element tells a complete export: truncation between
// two spectra leaves a file that still parses.
void checkClosed(const std::string& path, std::string tail) {
    // Comments and processing instructions may follow the root element.
    for (;;) {
        while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back()))) tail.pop_back();
        const std::size_t open = tail.ends_with("-->") ? tail.rfind("<!--") : tail.ends_with("?>") ? tail.rfind("<?") : std::string::npos;
        if (open == std::string::npos) break;
        tail.erase(open);
    }
    for (const std::string_view closing : {"</mzML>", "</indexedmzML>", "</mzXML>"}) {
        if (tail.ends_with(closing)) return;
    }
    throw ExportReadError(formatText(
        "The export %s is incomplete or damaged: it does not end with the closing </mzML>, </indexedmzML> or </mzXML> tag.",
        path.c_str()));
}

std::string lowerTrimmed(std::string text) {
    text.erase(0, std::min(text.size(), text.find_first_not_of(" \t\r\n")));
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A spectrum element's text and what was read from it.
struct LoadedElement {
    std::size_t index = 0;
    std::string text;
    std::variant<MzmlSpectrumText, MzXMLScanText> parsed;
};

// Legitimate departures found in single spectra: which spectra show them
// and, of the first, what.
enum Quirk : std::uint8_t { otherArray = 1, missingGroup = 2 };

class OwnReader : public ExportReader {
public:
    explicit OwnReader(const std::string& path) : path_(path), text_(path) {
        ExportLayoutScanner scanner;
        text_.readAll([&](std::string_view block) {
            scanner.feed(block);
            const ExportLayout& soFar = scanner.soFar();
            if (!checksum_ && soFar.rootSeen && (soFar.indexedMzML || soFar.isMzXML)) {
                checksum_ = std::make_unique<ExportChecksum>(text_.descriptor());
            }
            if (checksum_) checksum_->available(text_.size());
            // What follows cannot make it readable: a damaged .gz of a few
            // megabytes may inflate to any size.
            if (soFar.located) refuse(*soFar.located);
            if (soFar.foreignEncoding) refuseEncoding(soFar.foreignEncoding);
        });
        layout_ = scanner.finish();
        if (checksum_) checksum_->finish(layout_.checksum ? layout_.checksumEnd : 0);
        if (layout_.foreignEncoding) refuseEncoding(layout_.foreignEncoding);
        if (layout_.located) refuse(*layout_.located);
        if (!layout_.isMzXML && layout_.mzmlVersion.starts_with("0.")) {
            throw ExportReadError(formatText("The export %s cannot be read: mzML %s is not supported; convert the run "
                                             "again with a current converter, which writes mzML 1.1.",
                                             path.c_str(), layout_.mzmlVersion.c_str()));
        }
        if (!layout_.rootSeen) {
            throw ExportReadError(formatText("The export %s cannot be read as mzML or mzXML: it holds no XML element.", path.c_str()));
        }
        checkClosed(path, layout_.tail);
        layout_.tail = {};
        // A file that ends as it should, within a comment or tag that did not.
        if (layout_.unfinished) refuse(*layout_.unfinished);
        if (!layout_.problem.empty()) throw ExportReadError(formatText("The export %s %s", path.c_str(), layout_.problem.c_str()));
        flags_ = std::make_unique<std::atomic<std::uint8_t>[]>(layout_.spectra.size());
        readHeader();
        noteOpenWarnings();
    }

    ~OwnReader() override {
        // The checksum thread reads the text's descriptor.
        checksum_.reset();
    }

    std::size_t spectrumCount() const override { return layout_.spectra.size(); }
    std::size_t chromatogramCount() const override { return layout_.chromatograms; }
    const ExportRunInfo& runInfo() const override { return info_; }

    ExportSpectrum spectrum(std::size_t index) const override {
        const std::shared_ptr<const LoadedElement> loaded = load(index);
        if (const auto* mzML = std::get_if<MzmlSpectrumText>(&loaded->parsed)) return mzML->description;
        return std::get<MzXMLScanText>(loaded->parsed).description;
    }

    ExportArrays arrays(std::size_t index) const override {
        const std::shared_ptr<const LoadedElement> loaded = load(index);
        ExportArrays result;
        std::string problem;
        if (const auto* mzML = std::get_if<MzmlSpectrumText>(&loaded->parsed)) {
            problem = decodeMzmlArrays(*mzML, result);
        } else {
            problem = decodeMzXMLPeaks(std::get<MzXMLScanText>(loaded->parsed), result);
        }
        if (problem.empty()) problem = peakValueProblem(result);
        if (!problem.empty()) damaged(index, problem);
        return result;
    }

    std::vector<ExportParameter> parameters(std::size_t index) const override {
        std::string element;
        const SpectrumPlace& place = layout_.spectra[index];
        text_.read(place.offset, static_cast<std::size_t>(place.length), element);
        std::vector<ExportParameter> result;
        try {
            if (layout_.isMzXML) {
                readMzXMLScan(element, mzXML_, &result);
            } else {
                readMzmlSpectrum(element, groups_, &result);
            }
        } catch (const SpectrumDamage& damage) {
            damaged(index, damage.what());
        }
        return result;
    }

    std::vector<std::string> warnings() const override {
        std::vector<std::string> result = openWarnings_;
        if (std::optional<std::string> checksum = checksumWarning()) result.push_back(std::move(*checksum));
        const std::size_t count = spectrumCount();
        std::array<std::size_t, 2> spectra{};
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t flags = flags_[i].load(std::memory_order_relaxed);
            if (flags & Quirk::otherArray) ++spectra[0];
            if (flags & Quirk::missingGroup) ++spectra[1];
        }
        const std::lock_guard<std::mutex> guard(quirkLock_);
        if (spectra[0] != 0) {
            result.push_back(formatText("The export %s holds arrays other than m/z and intensity (%s, first in %s; %zu of the "
                                        "spectra read): they were ignored.",
                                        path_.c_str(), otherArray_.name.c_str(), spectrumName(otherArray_.first).c_str(),
                                        spectra[0]));
        }
        if (spectra[1] != 0) {
            result.push_back(formatText("The export %s refers to the parameter group \"%s\", which it does not define (first in "
                                        "%s; %zu of the spectra read): the reference was ignored.",
                                        path_.c_str(), missingGroup_.name.c_str(), spectrumName(missingGroup_.first).c_str(),
                                        spectra[1]));
        }
        return result;
    }

private:
    struct FirstQuirk {
        std::size_t first = std::numeric_limits<std::size_t>::max();
        std::string name;
    };

    std::string spectrumName(std::size_t index) const {
        return formatText("spectrum %zu (\"%s\")", index + 1, layout_.ids[index].c_str());
    }

    [[noreturn]] void refuse(const XmlProblem& problem) const {
        throw ExportReadError(formatText(problem.unsupported ? "The export %s cannot be read on line %llu: it %s."
                                                             : "The export %s is damaged on line %llu: it %s.",
                                         path_.c_str(), lineAt(problem.offset), problem.what.c_str()));
    }

    [[noreturn]] void refuseEncoding(const char* encoding) const {
        throw ExportReadError(formatText("The export %s cannot be read: it is encoded in %s; only UTF-8 exports are read "
                                         "(the converters' default): convert the run again to UTF-8.",
                                         path_.c_str(), encoding));
    }

    // The 1-based line of byte `offset`.
    unsigned long long lineAt(std::uint64_t offset) const {
        unsigned long long line = 1;
        std::string chunk;
        for (std::uint64_t at = 0; at < offset;) {
            const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(offset - at, 1 << 20));
            text_.read(at, length, chunk);
            line += static_cast<unsigned long long>(std::count(chunk.begin(), chunk.end(), '\n'));
            at += length;
        }
        return line;
    }

    [[noreturn]] void damaged(std::size_t index, const std::string& why) const {
        throw ExportReadError(formatText("Spectrum %zu (\"%s\") of the export %s is damaged: %s.", index + 1,
                                         layout_.ids[index].c_str(), path_.c_str(), why.c_str()));
    }

    void readHeader() {
        std::string header;
        text_.read(0, static_cast<std::size_t>(layout_.headerEnd.value_or(text_.size())), header);
        if (layout_.isMzXML) {
            mzXML_ = readMzXMLHeader(header, path_);
            info_ = mzXML_.info;
            return;
        }
        MzmlHeader mzML = readMzmlHeader(header, path_);
        info_ = std::move(mzML.info);
        if (info_.runId.empty()) info_.runId = exportBaseName(path_);
        groups_ = std::move(mzML.groups);
        if (!mzML.missingGroups.empty()) {
            openWarnings_.push_back(formatText("The export %s refers in its header to the parameter group \"%s\", which it does "
                                               "not define: the reference was ignored.",
                                               path_.c_str(), mzML.missingGroups.front().c_str()));
        }
    }

    void noteOpenWarnings() {
        const char* path = path_.c_str();
        std::vector<std::string> notes;
        if (!layout_.hasDeclaration) {
            notes.push_back(formatText("The export %s does not begin with an XML declaration: it was read as UTF-8 XML.", path));
        }
        if (layout_.countDisagrees) {
            notes.push_back(formatText("The export %s %s (an excerpt of a longer run?): the %zu it holds were read.", path,
                                       layout_.countDisagrees->c_str(), spectrumCount()));
        }
        if (layout_.indexDisagrees) {
            notes.push_back(formatText("The export %s %s: the index was ignored and the spectra found by reading the file.",
                                       path, layout_.indexDisagrees->c_str()));
        }
        if (layout_.numberingDisagrees) {
            notes.push_back(formatText("The export %s %s: the spectra were taken in file order.", path,
                                       layout_.numberingDisagrees->c_str()));
        }
        if (!mzXML_.otherFileTypes.empty()) {
            std::string files;
            for (const std::string& file : mzXML_.otherFileTypes) files += (files.empty() ? "" : ", ") + file;
            notes.push_back(formatText("The export %s names parent files of a type other than RAWData: %s; the types were "
                                       "not used.",
                                       path, files.c_str()));
        }
        notes.insert(notes.end(), openWarnings_.begin(), openWarnings_.end());
        openWarnings_ = std::move(notes);
    }

    std::optional<std::string> checksumWarning() const {
        if (!layout_.checksum || !checksum_) return std::nullopt;
        const std::lock_guard<std::mutex> guard(checksumLock_);
        if (!computed_) computed_ = checksum_->hex();
        const std::string stated = lowerTrimmed(*layout_.checksum);
        // Some writers state "0" where they computed none.
        const bool placeholder = stated.find_first_not_of('0') == std::string::npos;
        if (placeholder || computed_->empty() || stated == *computed_) return std::nullopt;
        return formatText("The export %s was changed after it was written: it states the SHA-1 checksum %s, its text "
                          "gives %s; it was read as it is.",
                          path_.c_str(), stated.c_str(), computed_->c_str());
    }

    void note(Quirk quirk, FirstQuirk& first, std::size_t index, const std::string& name) const {
        flags_[index].fetch_or(quirk, std::memory_order_relaxed);
        const std::lock_guard<std::mutex> guard(quirkLock_);
        if (index < first.first) first = {index, name};
    }

    std::shared_ptr<const LoadedElement> load(std::size_t index) const {
        {
            const std::lock_guard<std::mutex> lock(recentLock_);
            for (const std::shared_ptr<const LoadedElement>& kept : recent_) {
                if (kept && kept->index == index) return kept;
            }
        }
        // Not moved once read: the parsed description points into the text.
        const auto loaded = std::make_shared<LoadedElement>();
        loaded->index = index;
        const SpectrumPlace& place = layout_.spectra[index];
        text_.read(place.offset, static_cast<std::size_t>(place.length), loaded->text);
        try {
            if (layout_.isMzXML) {
                loaded->parsed = readMzXMLScan(loaded->text, mzXML_);
            } else {
                MzmlSpectrumText& parsed = loaded->parsed.emplace<MzmlSpectrumText>(readMzmlSpectrum(loaded->text, groups_));
                if (!parsed.otherArray.empty()) note(Quirk::otherArray, otherArray_, index, parsed.otherArray);
                if (!parsed.missingGroup.empty()) note(Quirk::missingGroup, missingGroup_, index, parsed.missingGroup);
            }
        } catch (const SpectrumDamage& damage) {
            damaged(index, damage.what());
        }
        const std::lock_guard<std::mutex> lock(recentLock_);
        recent_[nextRecent_++ % recent_.size()] = loaded;
        return loaded;
    }

    std::string path_;
    ExportText text_;
    ExportLayout layout_;
    std::unique_ptr<ExportChecksum> checksum_;
    ExportRunInfo info_;
    ParamGroups groups_;
    MzXMLHeader mzXML_;
    std::vector<std::string> openWarnings_;

    std::unique_ptr<std::atomic<std::uint8_t>[]> flags_;
    mutable std::mutex quirkLock_;
    mutable FirstQuirk otherArray_;
    mutable FirstQuirk missingGroup_;
    mutable std::mutex checksumLock_;
    mutable std::optional<std::string> computed_;

    // A caller asks for a spectrum's description and then for its arrays;
    // parsing it once and keeping it until the next few are asked for
    // halves the cost of reading a run. Two threads may read spectra at
    // once, so each element is read and parsed outside the lock.
    mutable std::mutex recentLock_;
    mutable std::array<std::shared_ptr<const LoadedElement>, 4> recent_;
    mutable std::size_t nextRecent_ = 0;
};

}  // namespace

std::unique_ptr<ExportReader> openOwnReader(const std::string& path) { return std::make_unique<OwnReader>(path); }
