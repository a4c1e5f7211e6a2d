// The format table is what the programs write and what the front ends count,
// list and serve: a value of peakListFormat, a file's format by its ending,
// and the listing scripts read.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/extractor/peak_list_formats.h"
#include "core/extractor/query_keys.h"

namespace {

using F = PeakListFormat;

TEST(PeakListFormats, ValuesAreCommaListsOfNamesInTableOrder) {
    const std::vector<std::pair<std::string, std::optional<std::vector<F>>>> cases = {
        {"pkl", std::vector{F::pkl}},
        {"MGF", std::vector{F::mgf}},
        {"Both", std::vector{F::pkl, F::mgf}},
        {"pkl,mgf", std::vector{F::pkl, F::mgf}},
        {"mgf,pkl", std::vector{F::pkl, F::mgf}},
        {"mgf,both,MGF", std::vector{F::pkl, F::mgf}},
        {"mzML", std::vector{F::mzml}},
        {"mzml,both", std::vector{F::pkl, F::mgf, F::mzml}},
        {"", std::nullopt},
        {"mgf,", std::nullopt},
        {",pkl", std::nullopt},
        {"pkl,,mgf", std::nullopt},
        {"mgf ", std::nullopt},
        {"pkl, mgf", std::nullopt},
        {"xml", std::nullopt},
        {"mgf,xml", std::nullopt},
    };
    for (const auto& [value, formats] : cases) EXPECT_EQ(peakListFormats(value), formats) << value;
    EXPECT_EQ(peakListFormatNamesText(), "pkl, mgf, mzml and both, or a comma list of them");
}

// The front ends check the value before a program sees it, and must let
// through every list a program takes (in the letters the form offers).
TEST(PeakListFormats, TheFrontEndsCheckTakesWhatTheProgramsTake) {
    const QueryKey* key = findQueryKey("peakListFormat");
    ASSERT_NE(key, nullptr);
    for (const char* value : {"pkl", "mgf", "both", "pkl,mgf", "mgf,both", "mgf,mgf"}) {
        EXPECT_TRUE(isChoiceValue(*key, value)) << value;
        EXPECT_TRUE(peakListFormats(value)) << value;
    }
    for (const char* value : {"", "xml", "mgf,", "pkl;mgf", "mgf,xml"}) {
        EXPECT_FALSE(isChoiceValue(*key, value)) << value;
        EXPECT_FALSE(peakListFormats(value)) << value;
    }
    // A key of single choices takes no list.
    const QueryKey* charge = findQueryKey("autoCharge");
    ASSERT_NE(charge, nullptr);
    EXPECT_FALSE(isChoiceValue(*charge, "Find,Default"));
    EXPECT_TRUE(isChoiceValue(*charge, "Find"));
}

TEST(PeakListFormats, FilesAreKnownByTheirWholeEnding) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"BSA1.0012.0012.2.pkl", "pkl"}, {"lysate3_2.mgf", "mgf"}, {"x.pkl.txt", nullptr}, {".mgf", nullptr},
        {"run.MGF", nullptr},            {"runmgf", nullptr},      {"specFeatures.txt", nullptr},
    };
    for (const auto& [file, name] : cases) {
        const PeakListFormatEntry* format = peakListFormatOfFile(file);
        EXPECT_EQ(format ? std::optional<std::string>(format->name) : std::nullopt,
                  name ? std::optional<std::string>(name) : std::nullopt)
            << file;
    }
}

TEST(PeakListFormats, TheListingHasALinePerFormat) {
    EXPECT_EQ(peakListFormatsTsv(),
              "name\tending\tspan\tmedia type\tfile\tfiles\n"
              "pkl\t.pkl\tspectrum\ttext/plain; charset=utf-8\t.pkl file\t.pkl files\n"
              "mgf\t.mgf\trun\ttext/plain; charset=utf-8\tMGF file\tMGF files\n"
              "mzml\t.mzML\trun\tapplication/xml\tmzML file\tmzML files\n");
    for (const PeakListFormatEntry& entry : peakListFormatTable()) {
        EXPECT_EQ(&peakListFormatEntry(entry.format), &entry);
        // The stage opens a writer for every run format, and makes the
        // others itself.
        EXPECT_EQ(entry.openRunFile != nullptr, entry.span == FileSpan::run) << entry.name;
    }
}

}  // namespace
