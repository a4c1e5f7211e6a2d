#pragma once
// One pass over an export's text that finds where each spectrum lies and
// checks the export against what it declares of itself: the spectrum
// count, each spectrum's index and the offset index. Fed block by block.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SpectrumPlace {
    std::uint64_t offset = 0;  // of the element's '<'
    std::uint64_t length = 0;  // mzML: the whole element; mzXML: the scan up to its first nested scan
};

struct ExportLayout {
    bool isMzXML = false;
    std::vector<SpectrumPlace> spectra;
    std::uint64_t spectrumListOffset = 0;  // mzML: of <spectrumList (0 when there is none)
    bool usesParamGroups = false;          // a referenceableParamGroupRef anywhere
    std::string tail;                      // the last bytes of the text
    // The first way the export disagrees with itself, "" when none; worded
    // to follow "The export X is damaged: ".
    std::string problem;
};

class ExportLayoutScanner {
public:
    void feed(std::string_view block);
    ExportLayout finish();

private:
    struct Offset {
        std::string ref;
        std::string value;
    };
    // Scans `text`, which begins at pendingOffset_ in the export; returns
    // where the part to keep for the next block begins.
    std::size_t scan(std::string_view text);
    void handleTag(std::string_view name, std::string_view attributes, bool closing, bool empty,
                   std::uint64_t begin, std::uint64_t end);
    void note(std::string problem);

    ExportLayout layout_;
    std::string pending_;
    std::uint64_t pendingOffset_ = 0;
    bool rootSeen_ = false;
    bool open_ = false;              // a spectrum's place is not complete yet
    bool inSpectrumIndex_ = false;
    std::string declaredCount_;
    std::vector<std::string> ids_;
    std::vector<Offset> offsets_;
};
