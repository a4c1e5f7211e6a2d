#pragma once
// The peak-list formats, each described once: its name in peakListFormat,
// its file ending, whether it makes one file per spectrum or one per run
// (per sample of a .wiff file), the media type a server sends it as, the
// words people read for its files, and its writer. The output stage writes
// by this table; the front ends count, list, link and serve peak lists by
// it (quarrow-keys --formats --tsv lists it for scripts).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/extractor/run_peak_list_file.h"

struct ExtractionContext;

enum class PeakListFormat { pkl, mgf, mzml };

enum class FileSpan {
    spectrum,  // one file per written spectrum or merged group
    run,       // one file per run, or per sample of a .wiff file
};

// Opens the file of a run (or sample) at `path`.
using RunFileWriter = std::unique_ptr<RunPeakListFile> (*)(const std::string& path, const PeakListOutput& output,
                                                           const ExtractionContext& context);

struct PeakListFormatEntry {
    PeakListFormat format;
    const char* name;       // as peakListFormat names it
    const char* ending;     // of its files, with the dot
    FileSpan span;
    const char* mediaType;  // as a server sends its files
    const char* choice;     // as the form offers it
    const char* file;       // "MGF file"
    const char* files;      // "MGF files"
    // The run's file, for FileSpan::run; the stage itself makes the files of
    // one spectrum each.
    RunFileWriter openRunFile = nullptr;
};

// In the order the stage writes them and people see them.
const std::vector<PeakListFormatEntry>& peakListFormatTable();
const PeakListFormatEntry& peakListFormatEntry(PeakListFormat format);
// The format whose ending `fileName` has (exactly, as the programs write
// it); nothing for any other file.
const PeakListFormatEntry* peakListFormatOfFile(std::string_view fileName);

// Names that stand for several formats: "both", kept for pkl,mgf.
struct PeakListFormatAlias {
    const char* name;
    const char* formats;  // a value of peakListFormat
};
const std::vector<PeakListFormatAlias>& peakListFormatAliases();

// The formats a value of peakListFormat asks for, in table order: a comma
// list of names and aliases (letters in any case); nothing for a value with
// an empty or unknown item.
std::optional<std::vector<PeakListFormat>> peakListFormats(std::string_view value);
// As the error names them: "pkl, mgf, mzml and both, or a comma list of them".
std::string peakListFormatNamesText();

// One header line, then one tab-separated line per format: name, ending,
// span ("spectrum" or "run"), media type, file, files.
std::string peakListFormatsTsv();
