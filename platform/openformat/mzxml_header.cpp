#include "platform/openformat/mzxml_header.h"

#include "core/util/format_text.h"
#include "core/util/text_path.h"
#include "platform/openformat/export_names.h"
#include "platform/openformat/param_terms.h"

namespace {

std::string afterLastSeparator(const std::string& name) { return name.substr(name.find_last_of("\\/") + 1); }

}  // namespace

MzXMLHeader readMzXMLHeader(std::string_view text, const std::string& path) {
    MzXMLHeader header;
    const std::string exportName = afterLastSeparator(path);
    const auto value = [&](const XmlTag& tag, std::string_view name) {
        std::optional<std::string> found = attributeValue(tag.attributes, name);
        if (!found) throw ExportReadError(formatText("The export %s is damaged: its header holds an unknown reference.", path.c_str()));
        return std::move(*found);
    };
    bool firstParent = true;
    XmlPull pull(text);
    XmlTag tag;
    while (pull.next(tag)) {
        if (tag.closing) continue;
        if (tag.name == "parentFile") {
            const std::string name = afterLastSeparator(value(tag, "fileName"));
            const std::string type = value(tag, "fileType");
            if (type != "RAWData") header.otherFileTypes.push_back("\"" + name + "\" (" + type + ")");
            // The converter library lists the export itself among them too.
            if (name.empty() || name == exportName || !header.info.runId.empty()) continue;
            if (firstParent) header.thermoIds = endsWithIgnoringCase(name, ".raw");
            firstParent = false;
            const std::size_t dot = name.find_last_of('.');
            header.info.runId = dot == std::string::npos ? name : name.substr(0, dot);
        } else if (tag.name == "msModel") {
            std::string model = value(tag, "value");
            if (!model.empty()) header.info.instrumentModels.push_back(std::move(model));
        } else if (tag.name == "dataProcessing") {
            const std::string centroided = value(tag, "centroided");
            if (!centroided.empty()) header.centroided = centroided == "1" || centroided == "true";
        }
    }
    if (header.info.runId.empty()) header.info.runId = exportBaseName(path);
    return header;
}
