// Damaged exports fail with an error naming the file and the spectrum; none
// is read as a shorter run or as other numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>

#include "platform/msanalysis/ms_analysis.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/work_folder.h"

namespace {

// Some characters in the middle of the first m/z array replaced.
std::string foreignBase64(const std::string& whole, const std::string& foreign) {
    const std::size_t at = whole.find("<binary>") + 8 + 12;
    std::string text = whole;
    return text.replace(at, foreign.size(), foreign);
}

std::string gzipped(const TempDir& dir, const std::string& text) {
    writeGzip(dir.file("packed.gz"), text);
    return readWholeFile(dir.file("packed.gz"));
}

struct Damage {
    const char* what;
    const char* fileName;
    std::function<std::string(const TempDir&)> text;
    std::string mentions;  // besides the file name
};

// "on line N: " of the first `needle` in `text`.
std::string onLineOf(const std::string& text, const std::string& needle) {
    const std::size_t at = text.find(needle);
    return "on line " + std::to_string(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1) + ": ";
}

// The first intensity array of the hand-written export (three 64-bit values).
std::string withIntensities(const std::string& mzML, const std::vector<double>& values) {
    return replaced(mzML, base64Doubles({1000.0, 25000.5, 12000.0}, false), base64Doubles(values, false));
}

TEST(DamagedExports, RefusedNamingFileAndSpectrum) {
    const std::string mzML = handWrittenMzML();
    const std::string mzXML = handWrittenMzXML();
    const std::size_t afterFirst = mzML.find("</spectrum>") + 12;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Damage> cases = {
        {"empty", "a.mzML", [&](const TempDir&) { return ""; }, "is empty"},
        {"not an export", "b.mzXML", [&](const TempDir&) { return "hello\n</mzXML>\n"; }, "cannot be read as mzML or mzXML"},
        // A clean cut between two spectra still parses.
        {"cut after a spectrum", "c.mzML", [&](const TempDir&) { return mzML.substr(0, afterFirst); }, "incomplete"},
        {"cut inside a spectrum", "d.mzML", [&](const TempDir&) { return mzML.substr(0, afterFirst + 200); }, "incomplete"},
        {"compressed and cut", "e.mzML.gz",
         [&](const TempDir& dir) {
             const std::string packed = gzipped(dir, mzML);
             return packed.substr(0, packed.size() - 40);
         },
         ""},
        {"a spectrum cut and closed again", "f.mzML",
         [&](const TempDir&) { return mzML.substr(0, mzML.find('<', afterFirst + 200)) + "</spectrumList></run></mzML>\n"; },
         "spectrum 2 does not end"},
        {"a closing tag nothing opened", "g.mzML",
         [&](const TempDir&) { return replaced(mzML, "defaultArrayLength=\"3\">", "defaultArrayLength=\"3\"></precursor>"); },
         "Spectrum 1 (\"scan=1\")"},
        {"characters outside the base64 alphabet", "k.mzML", [&](const TempDir&) { return foreignBase64(mzML, "#!%~"); },
         "Spectrum 1 (\"scan=1\")"},
        {"base64 padding incomplete", "k2.mzML", [&](const TempDir&) { return handWrittenMzML("AACAPw="); }, "base64"},
        {"zlib that does not inflate", "k3.mzML",
         [&](const TempDir&) {
             return replaced(handWrittenMzML("eJzLSM3JyVcozy/KSQEAGgQEXQ=="), "MS:1000576\" name=\"no compression", "MS:1000574\" name=\"zlib compression");
         },
         "compressed data"},
        {"more points declared than encoded", "l.mzML",
         [&](const TempDir&) { return replaced(mzML, "defaultArrayLength=\"3\"", "defaultArrayLength=\"4\""); }, "4 values declared"},
        {"two thousand million points declared", "l2.mzML",
         [&](const TempDir&) { return replaced(mzML, "defaultArrayLength=\"3\"", "defaultArrayLength=\"2000000000\""); },
         "2000000000 values declared"},
        {"2^32 points declared", "l3.mzML",
         [&](const TempDir&) { return replaced(mzML, "defaultArrayLength=\"3\"", "defaultArrayLength=\"4294967296\""); },
         "4294967296 values declared"},
        {"an array length that is not the spectrum's", "m.mzML",
         [&](const TempDir&) { return replaced(mzML, "<binaryDataArray encodedLength", "<binaryDataArray arrayLength=\"2\" encodedLength"); },
         "Spectrum 1"},
        {"not a number", "n1.mzML", [&](const TempDir&) { return withIntensities(mzML, {1.0, nan, 2.0}); }, "point 2"},
        {"negative intensity", "n2.mzML", [&](const TempDir&) { return withIntensities(mzML, {1.0, 2.0, -3.0}); }, "point 3 has the intensity -3"},
        {"replaced characters", "n3.mzML", [&](const TempDir&) { return withIntensities(mzML, {1.0, 7.4e49, 2.0}); }, "intensity 7.4e+49"},
        {"m/z at 0", "n4.mzML", [&](const TempDir&) { return handWrittenMzML(base64Doubles({0.0, 445.25, 445.75}, false)); }, "m/z 0"},
        {"m/z beyond a million", "n5.mzML", [&](const TempDir&) { return handWrittenMzML(base64Doubles({1.5e11, 445.25, 445.75}, false)); },
         "m/z 1.5e+11"},
        {"mzXML peaksCount 0 with peaks present", "o.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "peaksCount=\"2\"", "peaksCount=\"0\""); }, "Spectrum 1"},
        {"mzXML peaksCount beyond its peaks", "p.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "peaksCount=\"1\"", "peaksCount=\"3\""); }, "Spectrum 2"},
        {"mzXML byte order", "q.mzXML", [&](const TempDir&) { return replaced(mzXML, "byteOrder=\"network\"", "byteOrder=\"little\""); },
         "byteOrder"},
        {"mzXML peaksCount of 2^63", "r.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "peaksCount=\"1\"", "peaksCount=\"9223372036854775808\""); },
         "Spectrum 2 (\"2\") of the export"},
        {"mzXML retention time not a number", "s1.mzXML", [&](const TempDir&) { return replaced(mzXML, "PT11S", "PTNaNS"); },
         "Spectrum 2 (\"2\") of the export"},
        {"mzXML retention time infinite", "s2.mzXML", [&](const TempDir&) { return replaced(mzXML, "PT10S", "PTinfS"); },
         "is damaged: its retentionTime \"PTinfS\" is not finite"},
        {"mzML scan start time of 1e308 minutes", "s3.mzML",
         [&](const TempDir&) { return replaced(mzML, "value=\"0.6\" unitCvRef", "value=\"1e308\" unitCvRef"); },
         "Spectrum 2 (\"scan=2\") of the export"},
        {"negative scan start time", "s4.mzML",
         [&](const TempDir&) { return replaced(mzML, "value=\"0.5\" unitCvRef", "value=\"-0.5\" unitCvRef"); },
         "its scan start time \"-0.5\" is negative"},
        {"scan start time beyond ten days", "s5.mzML",
         [&](const TempDir&) { return replaced(mzML, "value=\"0.5\" unitCvRef", "value=\"14401\" unitCvRef"); },
         "its scan start time \"14401\" is beyond ten days"},
        {"undeclared entity in an attribute", "t1.mzML",
         [&](const TempDir&) { return replaced(mzML, "name=\"MSn spectrum\"", "name=\"MSn &spectrum;\""); },
         "is damaged " + onLineOf(mzML, "name=\"MSn spectrum\"") + "it refers to the entity \"&spectrum;\", which it does not declare."},
        {"undeclared entity in text", "t2.mzXML", [&](const TempDir&) { return replaced(mzXML, ">500.5</precursorMz>", ">500.5&x;</precursorMz>"); },
         onLineOf(mzXML, "</precursorMz>") + "it refers to the entity \"&x;\""},
        {"declared entity", "t3.mzML",
         [&](const TempDir&) {
             return replaced(replaced(mzML, "<mzML ", "<!DOCTYPE mzML [\n<!ENTITY ms \"MSn\">\n]>\n<mzML "), "name=\"MSn spectrum\"",
                             "name=\"&ms; spectrum\"");
         },
         "cannot be read on line " + std::to_string(std::count(mzML.begin(), mzML.begin() + static_cast<std::ptrdiff_t>(mzML.find("name=\"MSn spectrum\"")), '\n') + 4) +
             ": it refers to the entity \"&ms;\" of its document type; entities other than XML's five predefined ones are not supported."},
        {"character reference to no character", "t4.mzML", [&](const TempDir&) { return replaced(mzML, "id=\"scan=1\"", "id=\"scan=&#0;\""); },
         "names no character"},
        {"a comment open beyond 64 MiB", "u.mzML.gz",
         [&](const TempDir& dir) { return gzipped(dir, replaced(mzML, "<spectrumList", "<!--" + std::string(std::size_t{65} << 20, '~') + "<spectrumList")); },
         "is damaged " + onLineOf(mzML, "<spectrumList") + "it holds a comment that stays open for more than 64 MiB."},
        {"a tag open beyond 64 MiB", "u2.mzML",
         [&](const TempDir&) { return replaced(mzML, "<spectrumList", "<x a=\"" + std::string(std::size_t{65} << 20, '>') + "<spectrumList"); },
         "it holds a tag that stays open for more than 64 MiB."},
        {"pre-1.0 mzML", "v.mzML", [&](const TempDir&) { return replaced(mzML, "version=\"1.1.0\"", "version=\"0.99.1\""); },
         "mzML 0.99.1 is not supported"},
        {"only chromatograms", "w.mzML",
         [&](const TempDir&) {
             const std::size_t from = mzML.find("<spectrumList"), to = mzML.find("</spectrumList>") + 15;
             return mzML.substr(0, from) + "<chromatogramList count=\"2\"><chromatogram index=\"0\" id=\"TIC\" defaultArrayLength=\"0\">"
                    "</chromatogram><chromatogram index=\"1\" id=\"SRM 1\" defaultArrayLength=\"0\"></chromatogram></chromatogramList>" +
                    mzML.substr(to);
         },
         "holds no spectra, only 2 chromatograms"},
    };
    for (const Damage& damage : cases) {
        TempDir dir;
        const std::string path = dir.file(damage.fileName);
        writeWholeFile(path, damage.text(dir));
        const std::string error = firstReadError(path);
        EXPECT_NE(error.find(path), std::string::npos) << damage.what << ": " << error;
        EXPECT_NE(error.find(damage.mentions), std::string::npos) << damage.what << ": " << error;
    }
}

// A spectrum without peaks may flag its empty arrays as compressed.
TEST(DamagedExports, EmptyArraysFlaggedZlibReadAsAnEmptySpectrum) {
    TempDir dir;
    const std::string mzML = handWrittenMzML();
    const std::string empty = "<binaryDataArray encodedLength=\"0\"><cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\"/>"
                              "<cvParam cvRef=\"MS\" accession=\"MS:1000574\" name=\"zlib compression\"/><cvParam cvRef=\"MS\" accession=\"";
    const std::string text = replaced(mzML, "name=\"MSn spectrum\"/>\n</spectrum>\n</spectrumList>",
                                      "name=\"MSn spectrum\"/>\n<binaryDataArrayList count=\"2\">" + empty + "MS:1000514\" name=\"m/z array\"/>"
                                      "<binary></binary></binaryDataArray>" + empty + "MS:1000515\" name=\"intensity array\"/><binary/>"
                                      "</binaryDataArray></binaryDataArrayList></spectrum>\n</spectrumList>");
    writeWholeFile(dir.file("z.mzML"), text);
    EXPECT_EQ(firstReadError(dir.file("z.mzML")), "");
}

// Some converters wrap the base64 lines; the library reader refuses them.
TEST(StreamingReader, WrappedBase64ReadsLikeTheUnwrapped) {
    const std::string whole = handWrittenMzML();
    std::string wrapped = whole;
    for (std::size_t at = wrapped.find("<binary>"); at != std::string::npos; at = wrapped.find("<binary>", at + 1)) {
        wrapped.insert(at + 8 + 16, "\n  ");
        wrapped.insert(at + 8 + 4, "\r\n\t");
        const std::size_t length = wrapped.rfind("encodedLength=\"", at) + 15;
        const std::size_t end = wrapped.find('"', length);
        const std::size_t text = wrapped.find('<', at + 8) - (at + 8);
        wrapped.replace(length, end - length, std::to_string(text));
    }
    TempDir dir;
    writeWholeFile(dir.file("plain.mzML"), whole);
    writeWholeFile(dir.file("wrapped.mzML"), wrapped);
    MSAnalysis plain, lines;
    ASSERT_EQ(plain.Open(dir.file("plain.mzML")), S_OK);
    ASSERT_EQ(lines.Open(dir.file("wrapped.mzML")), S_OK) << lines.openFailureDescription();
    for (std::int32_t i = 1; i <= 2; ++i) {
        std::vector<double> mz, intensity, wrappedMz, wrappedIntensity;
        std::int32_t count = 0;
        plain.getSpectra().getItem(i).getData(0, mz, intensity, count);
        lines.getSpectra().getItem(i).getData(0, wrappedMz, wrappedIntensity, count);
        EXPECT_EQ(mz, wrappedMz);
        EXPECT_EQ(intensity, wrappedIntensity);
        EXPECT_FALSE(mz.empty());
    }
}

}  // namespace

// A retention time no run can have is refused by either reader, naming the
// file and the spectrum, before it reaches a peak list's name or the MGF.
TEST(DamagedExports, RetentionTimesNoRunHasRefusedByBothReaders) {
    const std::string mzML = handWrittenMzML();
    for (const char* value : {"1e308", "-2", "14401"}) {
        for (const char* reader : {"own", "pwiz"}) {
            TempDir dir;
            const std::string path = dir.file(std::string(reader) + ".mzML");
            writeWholeFile(path, replaced(mzML, "value=\"0.6\" unitCvRef", std::string("value=\"") + value + "\" unitCvRef"));
            setenv("QUARROW_READER", reader, 1);
            const std::string error = firstReadError(path);
            unsetenv("QUARROW_READER");
            EXPECT_NE(error.find("Spectrum 2"), std::string::npos) << reader << " " << value << ": " << error;
            EXPECT_NE(error.find(path), std::string::npos) << error;
            EXPECT_NE(error.find(std::string("scan start time \"") + value + "\" is "), std::string::npos) << error;
        }
    }
}
