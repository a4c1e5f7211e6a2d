// The mzML writer byte by byte where other tools rely on bytes: the index
// offsets and the checksum that readers check, the room filled in at the
// end, the ids the format allows, text that XML can hold, base64, and the
// values the MGF file states. Readers and validators take the files whole
// in the platform tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "core/extractor/mzml_file.h"
#include "core/peaks/peak_writers.h"
#include "core/util/sha1.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(MzmlText, Base64AsTheStandardGivesIt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {std::string("\xff\xfe\x00", 3), "//4A"},
    };
    for (const auto& [bytes, text] : cases) {
        std::string out = "x";
        appendBase64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out);
        EXPECT_EQ(out, "x" + text) << bytes;
    }
}

TEST(MzmlText, XmlHoldsEveryTextAsUtf8) {
    const std::string replacement = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a<b>&\"c\"", "a&lt;b&gt;&amp;&quot;c&quot;"},
        {"tab\tline\nreturn\r", "tab&#9;line&#10;return&#13;"},
        {std::string("nul\0x", 5), "nul" + replacement + "x"},
        {"bell\x07\x7f", "bell" + replacement + replacement},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"lone \x80 continuation", "lone " + replacement + " continuation"},
        {"overlong \xC0\xAF", "overlong " + replacement + replacement},
        {"surrogate \xED\xA0\x80", "surrogate " + replacement + replacement + replacement},
        {"cut \xE2\x82", "cut " + replacement + replacement},
        {"beyond \xF4\x90\x80\x80", "beyond " + replacement + replacement + replacement + replacement},
        {"\xF5\x80", replacement + replacement},
        {"noncharacter \xEF\xBF\xBF", "noncharacter " + replacement + replacement + replacement},
    };
    for (const auto& [text, xml] : cases) EXPECT_EQ(xmlText(text), xml) << text;
}

TEST(MzmlText, Sha1OfKnownTexts) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    const TempDir dir;
    for (const auto& [text, hex] : cases) {
        Sha1Digest digest;
        digest.update(text.data(), text.size() / 2);
        digest.update(text.data() + text.size() / 2, text.size() - text.size() / 2);
        EXPECT_EQ(digest.hex(), hex);
        writeWholeFile(dir.file("f"), text);
        EXPECT_EQ(sha1OfFile(dir.file("f")), hex);
    }
    EXPECT_EQ(sha1OfFile(dir.file("missing")), std::nullopt);
}

// A peak line's text read back, for values on and off the fast path, at
// ties and next to them.
TEST(MzmlText, WrittenValuesAreWhatTheTextReadsAs) {
    std::mt19937_64 random(42);
    std::vector<double> values = {0.0,    0.5,      1.5,       2.5,    0.125,        1e-300, 123.456785,
                                  1e10,   99999999999.5, 1e11, 2e15 + 0.5, 1e300, 5e-324};
    std::uniform_real_distribution<double> mz(0.0, 5000.0);
    std::uniform_int_distribution<int> whole(0, 2000000);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(mz(random));
        values.push_back(whole(random) / 2.0);         // x.0 and x.5: ties at 0 decimals
        values.push_back(whole(random) / 200000.0);    // ties at 5 decimals, near enough
    }
    for (const double value : values) {
        for (const int decimals : {0, 3, 5}) {
            char text[400];
            std::snprintf(text, sizeof text, "%.*f", decimals, value);
            ASSERT_EQ(writtenValue(value, decimals), std::strtod(text, nullptr)) << text << " " << decimals;
        }
    }
}

// The offsets, in a file made of what the writer wrote.
struct Written {
    std::string text;
    std::vector<std::pair<std::string, std::size_t>> offsets;  // idRef, offset
    std::size_t indexListOffset = 0;
    std::string checksum;
};

Written readWritten(const std::string& path) {
    Written w;
    w.text = readWholeFile(path);
    const std::regex offset("<offset idRef=\"([^\"]*)\">(\\d+)</offset>");
    for (auto it = std::sregex_iterator(w.text.begin(), w.text.end(), offset); it != std::sregex_iterator(); ++it) {
        w.offsets.emplace_back((*it)[1].str(), std::stoull((*it)[2].str()));
    }
    std::smatch m;
    if (std::regex_search(w.text, m, std::regex("<indexListOffset>(\\d+)</indexListOffset>"))) {
        w.indexListOffset = std::stoull(m[1].str());
    }
    if (std::regex_search(w.text, m, std::regex("<fileChecksum>([0-9a-f]*)</fileChecksum>"))) w.checksum = m[1].str();
    return w;
}

PeakListOutput outputOf(const std::string& stem, PeakListSource source,
                        std::vector<std::pair<std::string, std::string>> settings = {}) {
    return {stem, 2, "Function: test", "yepharvest", "9.8.7", std::move(source), std::move(settings)};
}

PeakListSource sourceAt(const std::string& path, std::vector<std::string> ids) {
    return {path, "MS:1000655", "QSTAR Elite", [ids = std::move(ids)](std::int32_t scan) {
                return scan >= 1 && static_cast<std::size_t>(scan) <= ids.size() ? ids[static_cast<std::size_t>(scan - 1)]
                                                                                  : std::string();
            }};
}

TEST(MzmlFile, IndexChecksumAndHeadPointWhereReadersLook) {
    const TempDir dir;
    writeWholeFile(dir.file("Analysis.mzML"), "abc");
    // Scan 3 repeats scan 2's id and scan 4's is no "key=value" id: both give way.
    const PeakListSource source =
        sourceAt(dir.file("Analysis.mzML"), {"scan=1", "scan=7", "scan=7", "no id", "scan=5", "scan=6"});
    const std::string path = dir.file("run.mzML");
    {
        MzmlFile file(path, outputOf("2 runs: <a&b>", source, {{"cys", "Carbamidomethyl"}, {"note", "a\"b\nc"}}));
        ASSERT_TRUE(file.created());
        const SpectrumPoints peaks = {{100.123456, 10.5}, {200.5, 3.4999}, {300.000004, 1e6}};
        file.add({"run.0001.0001.2", 500.123456, 1234.5, 2, 1, 1, 61.0004}, peaks);
        file.add({"run.0002.0006.0", 600.5, 0.0, 0, 2, 6, std::nullopt}, peaks);
        file.add({"run.0003.0003.3", 700.25, 10.0, 3, 3, 3, 62.5}, {});
        file.add({"run.0004.0004.1", 800.0, 10.0, 1, 4, 4, 63.0}, {{150.0, 2.0}});
        EXPECT_EQ(file.spectra(), 4);
        // Until it is committed, the file is not there under its name.
        EXPECT_FALSE(fileExists(path));
        file.commit();
    }
    const Written w = readWritten(path);
    ASSERT_EQ(w.offsets.size(), 4u);
    const std::vector<std::string> ids = {"scan=1", "scan=7", "scan=3", "scan=4"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(w.offsets[i].first, ids[i]);
        const std::string tag = "<spectrum index=\"" + std::to_string(i) + "\" id=\"" + ids[i] + "\" defaultArrayLength=\"";
        EXPECT_EQ(w.text.substr(w.offsets[i].second, tag.size()), tag) << i;
    }
    EXPECT_EQ(w.text.substr(w.indexListOffset, 10), "<indexList");
    const std::size_t checked = w.text.find("<fileChecksum>") + std::string("<fileChecksum>").size();
    Sha1Digest digest;
    digest.update(w.text.data(), checked);
    EXPECT_EQ(w.checksum, digest.hex());
    EXPECT_TRUE(w.text.ends_with("</fileChecksum>\n</indexedmzML>\n"));

    // The room kept in the head, filled in.
    EXPECT_NE(w.text.find("<spectrumList count=\"4\"           defaultDataProcessingRef=\"peak_lists\">"),
              std::string::npos);
    EXPECT_NE(w.text.find("name=\"SHA-1\" value=\"a9993e364706816aba3e25717850c26c9cd0d89d\""), std::string::npos);
    EXPECT_NE(w.text.find("<run id=\"_2_runs___a_b_\" defaultInstrumentConfigurationRef=\"instrument\" "
                          "defaultSourceFileRef=\"source\">"),
              std::string::npos);
    EXPECT_NE(w.text.find("<software id=\"yepharvest\" version=\"9.8.7\">"), std::string::npos);
    EXPECT_NE(w.text.find("accession=\"MS:1000655\" name=\"QSTAR Elite\""), std::string::npos);
    EXPECT_NE(w.text.find("<userParam name=\"note\" value=\"a&quot;b&#10;c\" type=\"xsd:string\"/>"), std::string::npos);
    EXPECT_NE(w.text.find("<sourceFile id=\"source\" name=\"Analysis.mzML\" location=\"file://"), std::string::npos);
    EXPECT_NE(w.text.find("accession=\"MS:1000776\" name=\"scan number only nativeID format\""), std::string::npos);

    // The values the MGF states, and only the established charges.
    EXPECT_NE(w.text.find("name=\"selected ion m/z\" value=\"500.12346\""), std::string::npos);
    EXPECT_NE(w.text.find("name=\"peak intensity\" value=\"1234\""), std::string::npos);
    EXPECT_NE(w.text.find("name=\"scan start time\" value=\"61\" unitCvRef=\"UO\""), std::string::npos);
    EXPECT_EQ(std::count(w.text.begin(), w.text.end(), '\0'), 0);
    const std::regex charge("name=\"charge state\" value=\"(\\d+)\"");
    std::vector<std::string> charges;
    for (auto it = std::sregex_iterator(w.text.begin(), w.text.end(), charge); it != std::sregex_iterator(); ++it) {
        charges.push_back((*it)[1].str());
    }
    EXPECT_EQ(charges, (std::vector<std::string>{"2", "3", "1"}));
    // A merged group names its last scan, a single scan no combination.
    EXPECT_NE(w.text.find("name=\"sum of spectra\""), std::string::npos);
    EXPECT_NE(w.text.find("<userParam name=\"last merged scan\" value=\"scan=6\""), std::string::npos);
    // Peaks: m/z of five decimals, whole intensities, as 64-bit little-endian.
    std::string expected;
    const double mz[] = {100.12346, 200.5, 300.0};
    appendBase64(reinterpret_cast<const unsigned char*>(mz), sizeof mz, expected);
    EXPECT_NE(w.text.find("<binary>" + expected + "</binary>"), std::string::npos);
    expected.clear();
    const double intensity[] = {10.0, 3.0, 1e6};
    appendBase64(reinterpret_cast<const unsigned char*>(intensity), sizeof intensity, expected);
    EXPECT_NE(w.text.find("<binary>" + expected + "</binary>"), std::string::npos);
    EXPECT_NE(w.text.find("defaultArrayLength=\"0\""), std::string::npos);
}

// Without a source (a run that could not be opened) the file names none;
// a source that cannot be read again keeps no checksum rather than a wrong
// one; a file that is not committed leaves nothing.
TEST(MzmlFile, WhatItCannotKnowItLeavesOut) {
    const TempDir dir;
    {
        MzmlFile file(dir.file("none.mzML"), outputOf("run", {}));
        file.add({"run.0001.0001.0", 500.0, 1.0, 0, 1, 1, 1.0}, {{100.0, 1.0}});
        file.commit();
    }
    const std::string none = readWholeFile(dir.file("none.mzML"));
    EXPECT_EQ(none.find("sourceFile"), std::string::npos);
    EXPECT_EQ(none.find("externalSpectrumID"), std::string::npos);
    EXPECT_NE(none.find("id=\"scan=1\""), std::string::npos);
    EXPECT_NE(none.find("accession=\"MS:1000031\" name=\"instrument model\""), std::string::npos);

    {
        MzmlFile file(dir.file("gone.mzML"), outputOf("run", sourceAt(dir.file("vanished.mzXML"), {"scan=1"})));
        file.add({"run.0001.0001.0", 500.0, 1.0, 0, 1, 1, 1.0}, {{100.0, 1.0}});
        file.commit();
    }
    const Written gone = readWritten(dir.file("gone.mzML"));
    EXPECT_EQ(gone.text.find("SHA-1"), std::string::npos);
    EXPECT_NE(gone.text.find("name=\"ISB mzXML format\""), std::string::npos);
    ASSERT_EQ(gone.offsets.size(), 1u);
    EXPECT_EQ(gone.text.substr(gone.offsets[0].second, 9), "<spectrum");
    Sha1Digest digest;
    digest.update(gone.text.data(), gone.text.find("<fileChecksum>") + 14);
    EXPECT_EQ(gone.checksum, digest.hex());

    {
        MzmlFile file(dir.file("left.mzML"), outputOf("run", {}));
        file.add({"run.0001.0001.0", 500.0, 1.0, 0, 1, 1, 1.0}, {{100.0, 1.0}});
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);

    const MzmlFile nowhere(dir.file("no/such/folder/run.mzML"), outputOf("run", {}));
    EXPECT_FALSE(nowhere.created());
}

TEST(MzmlFile, NativeIdFormatsAreKnownByTheirShape) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"controllerType=0 controllerNumber=1 scan=12", "Thermo nativeID format"},
        {"sample=1 period=1 cycle=96 experiment=2", "WIFF nativeID format"},
        {"scan=12", "scan number only nativeID format"},
        {"index=0", "multiple peak list nativeID format"},
        {"spectrum=4", "spectrum identifier nativeID format"},
        {"scan=x", "no nativeID format"},
        {"scan=1 extra=2", "no nativeID format"},
        {"", "no nativeID format"},
    };
    const TempDir dir;
    writeWholeFile(dir.file("e.mzML"), "x");
    for (const auto& [id, name] : cases) {
        {
            MzmlFile file(dir.file("f.mzML"), outputOf("run", sourceAt(dir.file("e.mzML"), {id})));
            file.commit();
        }
        EXPECT_NE(readWholeFile(dir.file("f.mzML")).find("name=\"" + name + "\""), std::string::npos) << id;
    }
}

}  // namespace
