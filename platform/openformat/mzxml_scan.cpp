#include "platform/openformat/mzxml_scan.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "core/util/format_text.h"
#include "platform/openformat/binary_decode.h"
#include "platform/openformat/xml_pull.h"

namespace {

std::string_view attributeOr(std::string_view attributes, std::string_view name, std::string_view absent) {
    return xmlAttribute(attributes, name).value_or(absent);
}

}  // namespace

std::string readMzXMLPeaks(std::string_view scan, ExportArrays& arrays, bool& decoded) {
    decoded = false;
    XmlPull pull(scan);
    XmlTag tag;
    std::size_t count = 0;
    while (pull.next(tag)) {
        if (tag.closing) continue;
        if (tag.name == "scan") {
            const std::string_view text = attributeOr(tag.attributes, "peaksCount", "0");
            const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), count);
            if (error != std::errc() || stop != text.data() + text.size()) {
                return formatText("its peaksCount \"%.*s\" is not a count", static_cast<int>(text.size()), text.data());
            }
            continue;
        }
        if (tag.name != "peaks") continue;
        BinaryLayout layout;
        layout.order = ByteOrder::big;
        const std::string_view precision = attributeOr(tag.attributes, "precision", "32");
        const std::string_view compression = attributeOr(tag.attributes, "compressionType", "none");
        const std::string_view order = attributeOr(tag.attributes, "byteOrder", "network");
        const std::string_view pairs = attributeOr(tag.attributes, "contentType", attributeOr(tag.attributes, "pairOrder", "m/z-int"));
        if ((precision != "32" && precision != "64") || (compression != "none" && compression != "zlib") ||
            order != "network" || (pairs != "m/z-int" && pairs != "m/z-intensity")) {
            return {};
        }
        layout.bits = precision == "64" ? 64 : 32;
        layout.zlib = compression == "zlib";
        const std::string_view text = tag.empty ? std::string_view() : pull.textUpToNextTag();
        std::vector<double> values;
        std::string problem = decodeBinaryArray(text, layout, 2 * count, values);
        if (!problem.empty() && count == 0) {
            // Some converters write one zero pair for a scan without peaks.
            std::vector<double> zeros;
            const bool onePair = decodeBinaryArray(text, layout, 2, zeros).empty() &&
                                 std::all_of(zeros.begin(), zeros.end(), [](double v) { return v == 0.0; });
            if (onePair) problem.clear();
        }
        if (!problem.empty()) return formatText("its peaks disagree with its peaksCount of %zu: %s", count, problem.c_str());
        arrays.mz.clear();
        arrays.intensity.clear();
        for (std::size_t i = 0; i < count; ++i) {
            arrays.mz.push_back(values[2 * i]);
            arrays.intensity.push_back(values[2 * i + 1]);
        }
        decoded = true;
        return {};
    }
    if (count != 0) return formatText("its peaksCount is %zu but it holds no peaks", count);
    decoded = true;
    return {};
}
