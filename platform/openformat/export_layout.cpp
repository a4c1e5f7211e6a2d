#include "platform/openformat/export_layout.h"

#include <charconv>

#include "core/util/format_text.h"
#include "platform/openformat/xml_pull.h"

namespace {

constexpr std::size_t kTailBytes = 4096;
// No construct of a real export stays open this long, nor does any text
// but a spectrum's arrays run this long: beyond it the text is damage.
constexpr std::size_t kMostOpen = std::size_t{64} << 20;

std::string attributeText(std::string_view attributes, std::string_view name) {
    const auto raw = xmlAttribute(attributes, name);
    if (!raw) return {};
    std::optional<std::string> value = xmlAttributeValue(*raw);
    return value ? std::move(*value) : std::string(*raw);
}

// The encoding a byte order mark or the first characters show, when it is
// not UTF-8 (or ASCII, which UTF-8 reads alike).
const char* foreignEncoding(std::string_view start) {
    if (start.starts_with(std::string_view("\xFF\xFE\0\0", 4))) return "UTF-32 (little-endian)";
    if (start.starts_with(std::string_view("\0\0\xFE\xFF", 4))) return "UTF-32 (big-endian)";
    if (start.starts_with("\xFF\xFE") || start.starts_with(std::string_view("<\0", 2))) return "UTF-16 (little-endian)";
    if (start.starts_with("\xFE\xFF") || start.starts_with(std::string_view("\0<", 2))) return "UTF-16 (big-endian)";
    return nullptr;
}

bool sameNumber(std::string_view text, std::uint64_t number) {
    while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && stop == text.data() + text.size() && value == number;
}

}  // namespace

void ExportLayoutScanner::feed(std::string_view block) {
    if (layout_.located || layout_.foreignEncoding) return;
    if (firstBlock_) {
        firstBlock_ = false;
        if (const char* encoding = foreignEncoding(block)) {
            layout_.foreignEncoding = encoding;
            return;
        }
        std::string_view start = block;
        if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
        while (!start.empty() && isXmlSpace(start.front())) start.remove_prefix(1);
        layout_.hasDeclaration = start.starts_with("<?xml");
    }
    layout_.tail.append(block.substr(block.size() > kTailBytes ? block.size() - kTailBytes : 0));
    if (layout_.tail.size() > 2 * kTailBytes) layout_.tail.erase(0, layout_.tail.size() - kTailBytes);

    if (pending_.empty()) {
        // Most blocks begin between two tags: they are scanned where they
        // lie, and only a tag cut off at their end is kept for the next.
        const std::size_t keepFrom = scan(block);
        pending_.assign(block.substr(keepFrom));
        pendingOffset_ += keepFrom;
        rescanAt_ = 2 * pending_.size();
        checkBounds();
        return;
    }
    pending_.append(block);
    if (pending_.size() >= rescanAt_) {
        const std::size_t keepFrom = scan(pending_);
        pendingOffset_ += keepFrom;
        pending_.erase(0, keepFrom);
        rescanAt_ = 2 * pending_.size();
    }
    checkBounds();
}

void ExportLayoutScanner::checkBounds() {
    if (pending_.size() <= kMostOpen || layout_.located) return;
    layout_.located = XmlProblem{static_cast<std::size_t>(pendingOffset_),
                                 formatText("holds %s that stays open for more than %zu MiB", xmlConstructName(pending_),
                                            kMostOpen >> 20),
                                 false};
    pending_ = std::string();
}

std::size_t ExportLayoutScanner::scan(std::string_view text) {
    XmlPull pull(text, 0, doctype_);
    XmlTag tag;
    std::size_t keepFrom = text.size();
    while (pull.next(tag)) {
        const bool valueElement = tag.name == "offset" || tag.name == "fileChecksum" || tag.name == "sha1";
        std::string_view value;
        if (!tag.closing && !tag.empty && valueElement) {
            // Its text and end tag may lie in the next block: then it is
            // scanned again from its start tag, with nothing of it counted yet.
            const std::size_t close = text.find('<', tag.end);
            if (close == std::string_view::npos) {
                keepFrom = tag.begin;
                break;
            }
            value = text.substr(tag.end, close - tag.end);
        }
        // Only the character data since the last tag counts against the bound.
        const std::uint64_t begin = pendingOffset_ + tag.begin;
        if (!inBinary_ && begin - textFrom_ > kMostOpen && !layout_.located) {
            layout_.located = XmlProblem{static_cast<std::size_t>(textFrom_),
                                         formatText("holds a text of more than %zu MiB outside the peak arrays", kMostOpen >> 20),
                                         false};
            return text.size();
        }
        textFrom_ = pendingOffset_ + tag.end;
        inBinary_ = !tag.closing && !tag.empty && (tag.name == "binary" || tag.name == "peaks");
        if (!tag.closing && !tag.empty && valueElement) {
            if (tag.name != "offset") {
                layout_.checksum = std::string(value);
                layout_.checksumEnd = pendingOffset_ + tag.end;
            } else if (inSpectrumIndex_) {
                offsets_.push_back({attributeText(tag.attributes, layout_.isMzXML ? "id" : "idRef"), std::string(value)});
            }
            continue;
        }
        handleTag(tag.name, tag.attributes, tag.closing, tag.empty, pendingOffset_ + tag.begin, pendingOffset_ + tag.end);
    }
    if (pull.doctype().data() != doctype_.data()) doctype_ = std::string(pull.doctype());
    if (pull.problem()) {
        layout_.located = *pull.problem();
        layout_.located->offset += static_cast<std::size_t>(pendingOffset_);
        return text.size();
    }
    if (pull.stalled()) keepFrom = std::min(keepFrom, pull.position());
    return keepFrom;
}

void ExportLayoutScanner::spectrumTag(std::string_view attributes, bool closing, bool empty, std::uint64_t begin,
                                      std::uint64_t end) {
    const bool mzXML = layout_.isMzXML;
    if (open_ && (closing || mzXML)) {
        SpectrumPlace& last = layout_.spectra.back();
        last.length = (mzXML ? begin : end) - last.offset;
        open_ = false;
    } else if (open_ && layout_.problem.empty()) {
        layout_.problem = formatText("is damaged: spectrum %zu (\"%s\") begins before spectrum %zu ends.",
                                     layout_.spectra.size() + 1, attributeText(attributes, "id").c_str(),
                                     layout_.spectra.size());
    }
    if (closing) return;
    const std::size_t ordinal = layout_.spectra.size();
    layout_.spectra.push_back({begin, end - begin});
    open_ = !empty;
    layout_.ids.push_back(attributeText(attributes, mzXML ? "num" : "id"));
    if (mzXML) return;
    const std::string index = attributeText(attributes, "index");
    if (!sameNumber(index, ordinal) && misnumbered_++ == 0) {
        layout_.numberingDisagrees =
            formatText("numbers its spectra otherwise than 0, 1, 2, ...: spectrum %zu (\"%s\") carries the index \"%s\"",
                       ordinal + 1, layout_.ids.back().c_str(), index.c_str());
    }
}

void ExportLayoutScanner::handleTag(std::string_view name, std::string_view attributes, bool closing, bool empty,
                                    std::uint64_t begin, std::uint64_t end) {
    if (!layout_.rootSeen && !closing) {
        layout_.rootSeen = true;
        layout_.isMzXML = name == "mzXML";
        layout_.indexedMzML = name == "indexedmzML";
    }
    if (!closing && name == "mzML" && !layout_.isMzXML) layout_.mzmlVersion = attributeText(attributes, "version");
    if (!closing && name == "chromatogram") ++layout_.chromatograms;
    const bool mzXML = layout_.isMzXML;
    if (name == (mzXML ? "scan" : "spectrum")) {
        if (!layout_.headerEnd) layout_.headerEnd = begin;
        spectrumTag(attributes, closing, empty, begin, end);
        return;
    }
    if (!layout_.headerEnd) {
        const bool bodyBegins = mzXML ? (closing && name == "msRun")
                                      : (name == "spectrumList" || name == "chromatogramList" || (closing && name == "run"));
        if (bodyBegins) layout_.headerEnd = begin;
    }
    if (closing) {
        if (name == "index") inSpectrumIndex_ = false;
        if (!mzXML && name == "spectrumList" && open_ && layout_.problem.empty()) {
            layout_.problem = formatText("is damaged: spectrum %zu does not end.", layout_.spectra.size());
        }
        return;
    }
    if (!mzXML && name == "spectrumList") {
        declaredCount_ = attributeText(attributes, "count");
    } else if (mzXML && name == "msRun") {
        declaredCount_ = attributeText(attributes, "scanCount");
    } else if (name == "index") {
        inSpectrumIndex_ = attributeText(attributes, "name") == (mzXML ? "scan" : "spectrum");
    }
}

ExportLayout ExportLayoutScanner::finish() {
    // What was kept back waiting for more text: a construct still open at
    // the end is damage, however the text after it ends.
    if (!pending_.empty() && !layout_.located && !layout_.foreignEncoding) {
        const std::size_t keepFrom = scan(pending_);
        if (keepFrom < pending_.size() && !layout_.located) {
            layout_.unfinished = unfinishedXml(std::string_view(pending_).substr(keepFrom));
            layout_.unfinished->offset += static_cast<std::size_t>(pendingOffset_ + keepFrom);
        }
    }
    const std::size_t found = layout_.spectra.size();
    const char* what = layout_.isMzXML ? "scans" : "spectra";
    if (open_ && layout_.problem.empty()) layout_.problem = formatText("is damaged: spectrum %zu does not end.", found);
    if (!declaredCount_.empty() && !sameNumber(declaredCount_, found)) {
        layout_.countDisagrees = formatText("declares %s %s but holds %zu", declaredCount_.c_str(), what, found);
    }
    if (!offsets_.empty() && offsets_.size() != found) {
        layout_.indexDisagrees = formatText("has an index of %zu %s but holds %zu", offsets_.size(), what, found);
    }
    for (std::size_t i = 0; i < offsets_.size() && i < found && !layout_.indexDisagrees; ++i) {
        if (offsets_[i].ref != layout_.ids[i] || !sameNumber(offsets_[i].value, layout_.spectra[i].offset)) {
            layout_.indexDisagrees = formatText(
                "has an index that places \"%s\" at byte %s, where spectrum %zu (\"%s\") begins at byte %llu",
                offsets_[i].ref.c_str(), offsets_[i].value.c_str(), i + 1, layout_.ids[i].c_str(),
                static_cast<unsigned long long>(layout_.spectra[i].offset));
        }
    }
    if (misnumbered_ > 1) {
        *layout_.numberingDisagrees += formatText(" (%zu spectra are numbered otherwise)", misnumbered_);
    }
    return std::move(layout_);
}
