// What converters and excerpt tools legitimately write is read with one
// warning line on the page and one row in runStats.txt, and every output
// is the clean export's; both programs.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <random>
#include <regex>

#include <fcntl.h>
#include <unistd.h>

#include "platform/openformat/export_checksum.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/work_folder.h"

namespace {

// The mzML element of an indexed export, without index and checksum.
std::string plainMzML(const std::string& indexed) {
    const std::size_t from = indexed.find("<mzML");
    const std::size_t to = indexed.find("</mzML>") + 7;
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + indexed.substr(from, to - from) + "\n";
}

// `text` with each match of `pattern` replaced by what `make` makes of it.
std::string eachReplaced(const std::string& text, const std::string& pattern,
                         const std::function<std::string(const std::smatch&)>& make) {
    std::string out;
    auto last = text.cbegin();
    const std::regex expression(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it) {
        out.append(last, (*it)[0].first);
        out += make(*it);
        last = (*it)[0].second;
    }
    return out.append(last, text.cend());
}

std::string withoutChecksum(const std::string& indexed) {
    const std::size_t from = indexed.find("<fileChecksum>");
    return indexed.substr(0, from) + indexed.substr(indexed.find("</fileChecksum>") + 15);
}

struct Quirk {
    const char* what;
    std::function<std::string(const std::string& indexed)> text;  // of run.mzML, from the clean indexed export
    const char* warning;                                            // in the one warning line
};

// Everything a run leaves but its exportWarning rows and the page.
std::string outputs(const WorkFolder& folder) {
    std::string all;
    for (const auto& [name, text] : folder.peakLists()) all += name + "\n" + text + "\n";
    for (const char* log : {"f.txt", "xtractorRejectReasons.txt", "parentChargeCheck.txt", "runStats.txt"}) {
        all += std::string(log) + "\n" + std::regex_replace(folder.log(log), std::regex("exportWarning\t[^\n]*\n"), "");
    }
    for (std::size_t at = all.find(folder.file("")); at != std::string::npos; at = all.find(folder.file(""))) {
        all.replace(at, folder.file("").size(), "<folder>/");
    }
    return all;
}

std::vector<std::string> warningLines(const std::string& page) {
    std::vector<std::string> lines;
    for (const std::string& line : splitText(page)) {
        if (line.starts_with("<BR>exportWarning: ")) lines.push_back(line);
    }
    return lines;
}

void expectReadWithOneWarning(const ChildResult& clean, const WorkFolder& cleanFolder, const ChildResult& quirky,
                              const WorkFolder& folder, const std::string& warning, const char* firstStage) {
    ASSERT_EQ(quirky.exitStatus, 0) << quirky.output;
    EXPECT_TRUE(outputs(folder) == outputs(cleanFolder));
    const std::vector<std::string> lines = warningLines(quirky.output);
    ASSERT_EQ(lines.size(), 1u) << quirky.output;
    EXPECT_LT(quirky.output.find(lines[0]), quirky.output.find(firstStage));
    const std::string text = std::regex_replace(lines[0].substr(19), std::regex("&quot;"), "\"");
    EXPECT_NE(text.find(warning), std::string::npos) << text;
    EXPECT_NE(folder.log("runStats.txt").find("exportWarning\t" + text + "\n"), std::string::npos);
    EXPECT_TRUE(warningLines(clean.output).empty()) << clean.output;
}

}  // namespace

TEST(ExportQuirks, YepharvestReadsEachWithItsWarningAndTheCleanOutputs) {
    WorkFolder generated;
    generated.generate("--spectra 40 --seed 3 --output " + generated.file("run.mzML"));
    const std::string indexed = readWholeFile(generated.file("run.mzML"));
    const auto index = [](const std::smatch& m) { return "index=\"" + std::to_string(std::stoi(m[1]) + 822) + "\""; };
    const std::string chargeArray =
        "<binaryDataArray encodedLength=\"0\"><cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\"/>"
        "<cvParam cvRef=\"MS\" accession=\"MS:1000576\" name=\"no compression\"/>"
        "<cvParam cvRef=\"MS\" accession=\"MS:1000516\" name=\"charge array\"/><binary></binary></binaryDataArray>";
    const std::vector<Quirk> quirks = {
        {"cut from a longer run", [](const std::string& t) { return replaced(plainMzML(t), "<spectrumList count=\"40\"", "<spectrumList count=\"95\""); },
         "declares 95 spectra but holds 40"},
        {"index shifted by a byte", [](const std::string& t) { return replaced(withoutChecksum(t), "<spectrumList ", "<spectrumList  "); },
         "the index was ignored"},
        {"renumbered", [&](const std::string& t) { return eachReplaced(plainMzML(t), "index=\"(\\d+)\"", index); },
         "carries the index \"822\" (40 spectra are numbered otherwise)"},
        {"undeclared", [](const std::string& t) { return plainMzML(t).substr(plainMzML(t).find('\n') + 1); }, "XML declaration"},
        {"unknown arrays",
         [&](const std::string& t) {
             return eachReplaced(eachReplaced(plainMzML(t), "</binaryDataArrayList>", [&](const std::smatch&) { return chargeArray + "</binaryDataArrayList>"; }),
                                 "binaryDataArrayList count=\"2\"", [](const std::smatch&) { return std::string("binaryDataArrayList count=\"3\""); });
         },
         "(charge array, first in spectrum 1 (\"scan=1\"); 40 of the spectra read)"},
        {"missing parameter group",
         [](const std::string& t) { return replaced(plainMzML(t), "<cvParam cvRef=\"MS\" accession=\"MS:1000511\"", "<referenceableParamGroupRef ref=\"gone\"/><cvParam cvRef=\"MS\" accession=\"MS:1000511\""); },
         "group \"gone\", which it does not define (first in spectrum 1 (\"scan=1\"); 1 of the spectra read)"},
        {"stale checksum", [](const std::string& t) { return replaced(t, "\n    <fileDescription>", "     <fileDescription>"); },
         "was changed after it was written"},
    };
    const auto extract = [](const WorkFolder& folder) {
        return folder.extract(YEPHARVEST_PATH, folder.file("run.mzML"), "specFeaturesFilename=f.txt&lastScan=1000&autoCharge=Find");
    };
    WorkFolder cleanFolder;
    writeWholeFile(cleanFolder.file("run.mzML"), indexed);
    const ChildResult clean = extract(cleanFolder);
    ASSERT_EQ(clean.exitStatus, 0) << clean.output;
    for (const Quirk& quirk : quirks) {
        SCOPED_TRACE(quirk.what);
        WorkFolder folder;
        writeWholeFile(folder.file("run.mzML"), quirk.text(indexed));
        expectReadWithOneWarning(clean, cleanFolder, extract(folder), folder, quirk.warning, "<BR>MS scans pre-processed");
    }
}

// mzXML as the library writes it, its parent file typed as OpenMS types it.
TEST(ExportQuirks, ProcessedDataParentFileOfAnMzXML) {
    WorkFolder generated;
    generated.generate("--spectra 40 --seed 5 --output " + generated.file("run.mzML"));
    const std::string mzXML = asMzXML(generated.file("run.mzML"), generated.file("run.mzXML"));
    const auto extract = [](const WorkFolder& folder) {
        return folder.extract(YEPHARVEST_PATH, folder.file("run.mzXML"), "specFeaturesFilename=f.txt&lastScan=1000");
    };
    WorkFolder cleanFolder;
    writeWholeFile(cleanFolder.file("run.mzXML"), mzXML);
    const ChildResult clean = extract(cleanFolder);
    ASSERT_EQ(clean.exitStatus, 0) << clean.output;
    WorkFolder folder;
    const std::string plain = mzXML.substr(0, mzXML.find("<index ")) + "</mzXML>\n";
    writeWholeFile(folder.file("run.mzXML"),
                   replaced(plain, "<msInstrument", "<parentFile fileName=\"file:///data/run.mzML\" fileType=\"processedData\" "
                                                   "fileSha1=\"0000000000000000000000000000000000000000\"/>\n<msInstrument"));
    expectReadWithOneWarning(clean, cleanFolder, extract(folder), folder, "\"run.mzML\" (processedData)", "<BR>MS scans pre-processed");
}

TEST(ExportQuirks, WiffharvestWarnsAfterTheOpening) {
    WorkFolder cleanFolder;
    cleanFolder.generate("--sciex qstar --spectra 60 --seed 2 --output " + cleanFolder.file("lys.wiff"));
    const std::string indexed = readWholeFile(cleanFolder.file("lys.mzML"));
    WorkFolder folder;
    writeWholeFile(folder.file("lys.mzML"), replaced(plainMzML(indexed), "<spectrumList count=\"", "<spectrumList count=\"9"));
    const auto extract = [](const WorkFolder& f) {
        return f.extract(WIFFHARVEST_PATH, f.file("lys.wiff"), "specFeaturesFilename=f.txt&lastScan=1000");
    };
    const ChildResult clean = extract(cleanFolder);
    ASSERT_EQ(clean.exitStatus, 0) << clean.output;
    expectReadWithOneWarning(clean, cleanFolder, extract(folder), folder, "lys.mzML declares 9", "<BR>Wiff file opened");
}

// The checksum of texts of every length around the block size and of one
// held back past the scanner's blocks: what sha1sum prints.
TEST(ExportChecksumText, AgreesWithSha1sum) {
    TempDir dir;
    std::mt19937 random(7);
    for (const std::size_t size : {std::size_t{0}, std::size_t{55}, std::size_t{56}, std::size_t{64}, std::size_t{3} << 20}) {
        SCOPED_TRACE(size);
        std::string text(size, '\0');
        for (char& c : text) c = static_cast<char>('a' + random() % 26);
        const std::string path = dir.file("text");
        writeWholeFile(path, text);
        const ChildResult sum = runProgram({"/usr/bin/sha1sum", "", {}, "", {path}});
        ASSERT_EQ(sum.exitStatus, 0);
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(descriptor, 0);
        std::string computed;
        {
            ExportChecksum checksum(descriptor);
            checksum.available(size);
            checksum.finish(size);
            computed = checksum.hex();
        }
        ::close(descriptor);
        EXPECT_EQ(computed, sum.output.substr(0, 40));
    }
}
