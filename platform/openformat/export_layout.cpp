#include "platform/openformat/export_layout.h"

#include <charconv>

#include "core/util/format_text.h"
#include "platform/openformat/xml_pull.h"

namespace {

constexpr std::size_t kTailBytes = 4096;

std::string attributeText(std::string_view attributes, std::string_view name) {
    const auto value = xmlAttribute(attributes, name);
    return value ? std::string(*value) : std::string();
}

bool sameNumber(std::string_view text, std::uint64_t number) {
    while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && stop == text.data() + text.size() && value == number;
}

}  // namespace

void ExportLayoutScanner::note(std::string problem) {
    if (layout_.problem.empty()) layout_.problem = std::move(problem);
}

void ExportLayoutScanner::feed(std::string_view block) {
    layout_.tail.append(block.substr(block.size() > kTailBytes ? block.size() - kTailBytes : 0));
    if (layout_.tail.size() > 2 * kTailBytes) layout_.tail.erase(0, layout_.tail.size() - kTailBytes);

    if (pending_.empty()) {
        // Most blocks begin between two tags: they are scanned where they
        // lie, and only a tag cut off at their end is kept for the next.
        const std::size_t keepFrom = scan(block);
        pending_.assign(block.substr(keepFrom));
        pendingOffset_ += keepFrom;
        return;
    }
    pending_.append(block);
    const std::size_t keepFrom = scan(pending_);
    pendingOffset_ += keepFrom;
    pending_.erase(0, keepFrom);
}

std::size_t ExportLayoutScanner::scan(std::string_view text) {
    XmlPull pull(text);
    XmlTag tag;
    std::size_t keepFrom = text.size();
    while (pull.next(tag)) {
        if (!tag.closing && tag.name == "offset") {
            // Its text and end tag may lie in the next block.
            const std::size_t close = text.find("</offset>", tag.end);
            if (close == std::string_view::npos) {
                keepFrom = tag.begin;
                break;
            }
            if (inSpectrumIndex_) {
                const std::string_view ref = layout_.isMzXML ? "id" : "idRef";
                offsets_.push_back({attributeText(tag.attributes, ref), std::string(text.substr(tag.end, close - tag.end))});
            }
            continue;
        }
        handleTag(tag.name, tag.attributes, tag.closing, tag.empty, pendingOffset_ + tag.begin, pendingOffset_ + tag.end);
    }
    if (pull.stalled()) keepFrom = std::min(keepFrom, pull.position());
    return keepFrom;
}

void ExportLayoutScanner::handleTag(std::string_view name, std::string_view attributes, bool closing, bool empty,
                                    std::uint64_t begin, std::uint64_t end) {
    if (!rootSeen_ && !closing) {
        rootSeen_ = true;
        layout_.isMzXML = name == "mzXML";
    }
    if (name == "referenceableParamGroupRef") layout_.usesParamGroups = true;
    const std::string_view element = layout_.isMzXML ? "scan" : "spectrum";
    if (name == element) {
        if (open_ && (closing || layout_.isMzXML)) {
            SpectrumPlace& last = layout_.spectra.back();
            last.length = (layout_.isMzXML ? begin : end) - last.offset;
            open_ = false;
        }
        if (closing) return;
        const std::size_t ordinal = layout_.spectra.size();
        layout_.spectra.push_back({begin, end - begin});
        open_ = !empty;
        ids_.push_back(attributeText(attributes, layout_.isMzXML ? "num" : "id"));
        if (!layout_.isMzXML) {
            const std::string index = attributeText(attributes, "index");
            if (!sameNumber(index, ordinal)) {
                note(formatText("spectrum %zu (\"%s\") carries the index \"%s\" instead of %zu.", ordinal + 1,
                                ids_.back().c_str(), index.c_str(), ordinal));
            }
        }
        return;
    }
    if (closing) {
        if (name == "index") inSpectrumIndex_ = false;
        return;
    }
    if (!layout_.isMzXML && name == "spectrumList") {
        layout_.spectrumListOffset = begin;
        declaredCount_ = attributeText(attributes, "count");
    } else if (layout_.isMzXML && name == "msRun") {
        declaredCount_ = attributeText(attributes, "scanCount");
    } else if (name == "index") {
        inSpectrumIndex_ = attributeText(attributes, "name") == (layout_.isMzXML ? "scan" : "spectrum");
    }
}

ExportLayout ExportLayoutScanner::finish() {
    const std::size_t found = layout_.spectra.size();
    const char* what = layout_.isMzXML ? "scans" : "spectra";
    if (!declaredCount_.empty() && !sameNumber(declaredCount_, found)) {
        note(formatText("it declares %s %s but holds %zu.", declaredCount_.c_str(), what, found));
    }
    if (!offsets_.empty() && offsets_.size() != found) {
        note(formatText("its index lists %zu %s but it holds %zu.", offsets_.size(), what, found));
    }
    for (std::size_t i = 0; i < offsets_.size() && i < found; ++i) {
        if (offsets_[i].ref != ids_[i] || !sameNumber(offsets_[i].value, layout_.spectra[i].offset)) {
            note(formatText("its index places \"%s\" at byte %s, where spectrum %zu (\"%s\") begins at byte %llu.",
                            offsets_[i].ref.c_str(), offsets_[i].value.c_str(), i + 1, ids_[i].c_str(),
                            static_cast<unsigned long long>(layout_.spectra[i].offset)));
            break;
        }
    }
    return std::move(layout_);
}
