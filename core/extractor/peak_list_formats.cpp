#include "core/extractor/peak_list_formats.h"

#include <algorithm>

#include "core/extractor/mgf_file.h"
#include "core/extractor/mzml_file.h"
#include "core/util/text_path.h"

namespace {

std::unique_ptr<RunPeakListFile> openMgfFile(const std::string& path, const PeakListOutput&,
                                             const ExtractionContext&) {
    return std::make_unique<MgfFile>(path);
}

std::unique_ptr<RunPeakListFile> openMzmlFile(const std::string& path, const PeakListOutput& output,
                                              const ExtractionContext&) {
    return std::make_unique<MzmlFile>(path, output);
}

}  // namespace

const std::vector<PeakListFormatEntry>& peakListFormatTable() {
    static const std::vector<PeakListFormatEntry> table = {
        {.format = PeakListFormat::pkl, .name = "pkl", .ending = ".pkl", .span = FileSpan::spectrum,
         .mediaType = "text/plain; charset=utf-8", .choice = ".pkl files", .file = ".pkl file", .files = ".pkl files"},
        {.format = PeakListFormat::mgf, .name = "mgf", .ending = ".mgf", .span = FileSpan::run,
         .mediaType = "text/plain; charset=utf-8", .choice = "one MGF file", .file = "MGF file", .files = "MGF files",
         .openRunFile = openMgfFile},
        {.format = PeakListFormat::mzml, .name = "mzml", .ending = ".mzML", .span = FileSpan::run,
         .mediaType = "application/xml", .choice = "one mzML file", .file = "mzML file", .files = "mzML files",
         .openRunFile = openMzmlFile},
    };
    return table;
}

const PeakListFormatEntry& peakListFormatEntry(PeakListFormat format) {
    const std::vector<PeakListFormatEntry>& table = peakListFormatTable();
    return *std::find_if(table.begin(), table.end(), [&](const PeakListFormatEntry& e) { return e.format == format; });
}

const PeakListFormatEntry* peakListFormatOfFile(std::string_view fileName) {
    for (const PeakListFormatEntry& entry : peakListFormatTable()) {
        const std::string_view ending = entry.ending;
        if (fileName.size() > ending.size() && fileName.ends_with(ending)) return &entry;
    }
    return nullptr;
}

const std::vector<PeakListFormatAlias>& peakListFormatAliases() {
    static const std::vector<PeakListFormatAlias> aliases = {{"both", "pkl,mgf"}};
    return aliases;
}

std::optional<std::vector<PeakListFormat>> peakListFormats(std::string_view value) {
    std::vector<bool> asked(peakListFormatTable().size(), false);
    const auto ask = [&](std::string_view item) -> bool {
        const std::vector<PeakListFormatEntry>& table = peakListFormatTable();
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (equalsIgnoringCase(item, table[i].name)) {
                asked[i] = true;
                return true;
            }
        }
        return false;
    };
    for (const std::string_view item : commaListItems(value)) {
        if (ask(item)) continue;
        const auto alias = std::find_if(peakListFormatAliases().begin(), peakListFormatAliases().end(),
                                        [&](const PeakListFormatAlias& a) { return equalsIgnoringCase(item, a.name); });
        if (alias == peakListFormatAliases().end()) return std::nullopt;
        for (const std::string_view name : commaListItems(alias->formats)) ask(name);
    }
    std::vector<PeakListFormat> formats;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        if (asked[i]) formats.push_back(peakListFormatTable()[i].format);
    }
    return formats;
}

std::string peakListFormatNamesText() {
    std::vector<std::string> names;
    for (const PeakListFormatEntry& entry : peakListFormatTable()) names.emplace_back(entry.name);
    for (const PeakListFormatAlias& alias : peakListFormatAliases()) names.emplace_back(alias.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    return text + ", or a comma list of them";
}

std::string peakListFormatsTsv() {
    std::string text = "name\tending\tspan\tmedia type\tfile\tfiles\n";
    for (const PeakListFormatEntry& e : peakListFormatTable()) {
        text += std::string(e.name) + "\t" + e.ending + "\t" + (e.span == FileSpan::run ? "run" : "spectrum") + "\t" +
                e.mediaType + "\t" + e.file + "\t" + e.files + "\n";
    }
    return text;
}
