#include "platform/openformat/mzml_header.h"

#include "core/util/format_text.h"
#include "core/util/text_path.h"
#include "platform/openformat/instrument_models.h"

namespace {

constexpr std::string_view kInstrumentModel = "MS:1000031";
constexpr std::string_view kContactName = "MS:1000586";

struct Configuration {
    std::vector<ParamTerm> own;
    std::vector<ParamTerm> grouped;  // from its referenced groups, which count after its own terms
};

// The model's own term names it (by the vocabulary's name); the generic
// term carries it as its value; msModel is what converters of mzXML write.
std::optional<std::string> modelOf(const Configuration& configuration) {
    for (const std::vector<ParamTerm>* terms : {&configuration.own, &configuration.grouped}) {
        for (const ParamTerm& term : *terms) {
            if (term.user) continue;
            if (term.accession == kInstrumentModel) {
                if (!term.value.empty()) return term.value;
                return std::nullopt;
            }
            if (const std::optional<std::string_view> name = instrumentModelName(term.accession)) return std::string(*name);
        }
    }
    for (const std::vector<ParamTerm>* terms : {&configuration.own, &configuration.grouped}) {
        for (const ParamTerm& term : *terms) {
            if (term.user && term.name == "msModel" && !term.value.empty()) return term.value;
        }
    }
    return std::nullopt;
}

class HeaderReading {
public:
    HeaderReading(std::string_view text, const std::string& path) : text_(text), path_(path) {}

    MzmlHeader read() {
        XmlPull pull(text_);
        XmlTag tag;
        while (pull.next(tag)) {
            if (tag.closing) {
                if (open_.empty() || open_.back() != tag.name) {
                    fail(formatText("its header does not nest (</%.*s>)", static_cast<int>(tag.name.size()), tag.name.data()));
                }
                closeElement(tag.name);
                open_.pop_back();
                continue;
            }
            openElement(tag);
            if (!tag.empty) {
                open_.push_back(tag.name);
            } else {
                closeElement(tag.name);
            }
        }
        result_.info.methodName = methodName();
        return std::move(result_);
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw ExportReadError(formatText("The export %s is damaged: %s.", path_.c_str(), why.c_str()));
    }

    std::string attribute(const XmlTag& tag, std::string_view name) const {
        std::optional<std::string> value = attributeValue(tag.attributes, name);
        if (!value) fail(formatText("its <%.*s> holds an unknown reference", static_cast<int>(tag.name.size()), tag.name.data()));
        return std::move(*value);
    }

    std::string_view parent() const { return open_.empty() ? std::string_view() : open_.back(); }

    void openElement(const XmlTag& tag) {
        const std::string_view name = tag.name;
        if (name == "cvParam" || name == "userParam") {
            std::optional<ParamTerm> term = readTerm(tag);
            if (!term) fail("a parameter of its header holds an unknown reference");
            take(std::move(*term), false);
        } else if (name == "referenceableParamGroupRef") {
            const std::string ref = attribute(tag, "ref");
            const auto group = result_.groups.find(ref);
            if (group == result_.groups.end()) {
                result_.missingGroups.push_back(ref);
                return;
            }
            for (const ParamTerm& term : group->second) take(term, true);
        } else if (name == "referenceableParamGroup") {
            group_ = &result_.groups[attribute(tag, "id")];
        } else if (name == "sourceFile") {
            sources_.push_back({attribute(tag, "name"), {}});
        } else if (name == "sample" && parent() == "sampleList") {
            result_.info.sampleNames.push_back(attribute(tag, "name"));
        } else if (name == "instrumentConfiguration") {
            configuration_ = Configuration{};
        } else if (name == "run") {
            result_.info.runId = attribute(tag, "id");
            result_.info.startTimeStamp = attribute(tag, "startTimeStamp");
        } else if (name == "contact") {
            contact_ = true;
        }
    }

    void closeElement(std::string_view name) {
        if (name == "instrumentConfiguration") {
            if (std::optional<std::string> model = modelOf(configuration_)) result_.info.instrumentModels.push_back(*model);
        } else if (name == "referenceableParamGroup") {
            group_ = nullptr;
        } else if (name == "contact") {
            contact_ = false;
        }
    }

    void take(ParamTerm term, bool grouped) {
        const std::string_view where = parent();
        if (where == "referenceableParamGroup" && group_ != nullptr) {
            group_->push_back(std::move(term));
        } else if (where == "contact") {
            if (!term.user && term.accession == kContactName && !contactFound_) {
                contactFound_ = true;
                result_.info.contactName = term.value;
            }
        } else if (where == "instrumentConfiguration") {
            (grouped ? configuration_.grouped : configuration_.own).push_back(std::move(term));
        } else if (term.user && term.name == "method name") {
            if (where == "sourceFile" && !sources_.empty()) {
                if (sources_.back().methodName.empty()) sources_.back().methodName = term.value;
            } else if (where == "run" && runMethod_.empty()) {
                runMethod_ = term.value;
            } else if (where == "fileContent" && contentMethod_.empty()) {
                contentMethod_ = term.value;
            }
        }
    }

    // A source file named like a method file, else the "method name" of the
    // run, of the file content, of a source file.
    std::string methodName() const {
        for (const Source& source : sources_) {
            if (source.name.size() > 2 && endsWithIgnoringCase(source.name, ".m")) return source.name;
        }
        if (!runMethod_.empty()) return runMethod_;
        if (!contentMethod_.empty()) return contentMethod_;
        for (const Source& source : sources_) {
            if (!source.methodName.empty()) return source.methodName;
        }
        return {};
    }

    struct Source {
        std::string name;
        std::string methodName;
    };

    std::string_view text_;
    const std::string& path_;
    MzmlHeader result_;
    std::vector<std::string_view> open_;
    std::vector<ParamTerm>* group_ = nullptr;
    Configuration configuration_;
    std::vector<Source> sources_;
    std::string runMethod_;
    std::string contentMethod_;
    bool contact_ = false;
    bool contactFound_ = false;
};

}  // namespace

MzmlHeader readMzmlHeader(std::string_view text, const std::string& path) { return HeaderReading(text, path).read(); }
