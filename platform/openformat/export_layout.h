#pragma once
// One pass over an export's text that finds where each spectrum lies, where
// the header ends and what the export declares of itself (the spectrum
// count, each spectrum's index, the offset index, its checksum), so that
// the reader can compare. Fed block by block.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/openformat/xml_pull.h"

struct SpectrumPlace {
    std::uint64_t offset = 0;  // of the element's '<'
    std::uint64_t length = 0;  // mzML: the whole element; mzXML: the scan up to its first nested scan
};

struct ExportLayout {
    bool isMzXML = false;
    bool rootSeen = false;
    bool indexedMzML = false;     // the indexedmzML wrapper, which may carry a checksum
    bool hasDeclaration = false;  // the text begins with "<?xml"
    std::vector<SpectrumPlace> spectra;
    std::vector<std::string> ids;  // mzML: each spectrum's id; mzXML: its num
    // Where the spectra (or, without any, what follows the header) begin:
    // everything before is the run's header.
    std::optional<std::uint64_t> headerEnd;
    // The stated checksum and the end of its start tag: the text it covers.
    std::optional<std::string> checksum;
    std::uint64_t checksumEnd = 0;
    std::string tail;  // the last bytes of the text

    // What the export says of itself where it disagrees with what it holds;
    // each worded to follow "The export X ".
    std::optional<std::string> countDisagrees;
    std::optional<std::string> indexDisagrees;
    std::optional<std::string> numberingDisagrees;
    // Damage: spectra that do not nest; "" when none. Worded likewise.
    std::string problem;
    // Damage or what is not supported at a place in the text; worded to
    // follow "it ".
    std::optional<XmlProblem> located;
    // A construct the text ends within (the document's end is no end of it).
    std::optional<XmlProblem> unfinished;
    // The text is not UTF-8: which encoding it is in.
    const char* foreignEncoding = nullptr;
    std::size_t chromatograms = 0;
    std::string mzmlVersion;  // the version attribute of the mzML element
};

class ExportLayoutScanner {
public:
    void feed(std::string_view block);
    ExportLayout finish();
    // Known once the first tags have passed.
    const ExportLayout& soFar() const { return layout_; }

private:
    struct Offset {
        std::string ref;
        std::string value;
    };
    // Scans `text`, which begins at pendingOffset_ in the export; returns
    // where the part to keep for the next block begins.
    std::size_t scan(std::string_view text);
    void checkBounds();
    void handleTag(std::string_view name, std::string_view attributes, bool closing, bool empty,
                   std::uint64_t begin, std::uint64_t end);
    void spectrumTag(std::string_view attributes, bool closing, bool empty, std::uint64_t begin, std::uint64_t end);

    ExportLayout layout_;
    std::string pending_;
    std::uint64_t pendingOffset_ = 0;
    // A construct left open at the end of a block is scanned again only
    // once the text kept has doubled, so that scanning stays linear.
    std::size_t rescanAt_ = 0;
    std::string doctype_;
    std::uint64_t textFrom_ = 0;  // where the character data since the last tag begin
    bool inBinary_ = false;       // within <binary> or <peaks>, whose text may be long
    bool firstBlock_ = true;
    bool open_ = false;  // a spectrum's place is not complete yet
    bool inSpectrumIndex_ = false;
    std::string declaredCount_;
    std::vector<Offset> offsets_;
    std::size_t misnumbered_ = 0;
};
