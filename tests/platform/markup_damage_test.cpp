// The end of an export is only a real end: markup left open, or a '<' that
// begins nothing, is damage named by file and line, never an excerpt. Runs
// of every size are read: the bound on open markup is never charged with
// text spread over many elements. Exports in another encoding than UTF-8
// are refused naming it.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/openformat/export_layout.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/work_folder.h"

namespace {

std::size_t lineOf(const std::string& text, std::size_t at) {
    return static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n')) + 1;
}

struct Format {
    const char* extension;
    std::string text;
    std::string second;  // the start tag of the second spectrum
};

std::vector<Format> bothFormats() {
    return {{"mzML", handWrittenMzML(), "<spectrum index=\"1\" id=\"scan=2\" defaultArrayLength=\"2\">"},
            {"mzXML", handWrittenMzXML(),
             "<scan num=\"2\" msLevel=\"2\" peaksCount=\"1\" polarity=\"+\" retentionTime=\"PT11S\" collisionEnergy=\"30\">"}};
}

struct MarkupDamage {
    const char* what;
    std::function<std::string(const std::string& secondTag)> edit;  // what the second spectrum's start tag becomes
    const char* holds;                                               // after "it holds "
};

}  // namespace

// Each damage stands on the line of the second spectrum's start tag; each
// was read as an excerpt of one spectrum, or lost a spectrum, before.
TEST(MarkupDamage, RefusedNamingFileAndLineInBothFormats) {
    const std::vector<MarkupDamage> cases = {
        {"a comment that never ends", [](const std::string& tag) { return "<!-- " + tag; }, "a comment that does not end"},
        {"a CDATA section that never ends", [](const std::string& tag) { return "<![CDATA[" + tag; },
         "a CDATA section that does not end"},
        {"'<s' become '<?'", [](const std::string& tag) { return "<?" + tag.substr(2); },
         "a processing instruction that does not end"},
        {"a comment whose end lost its '>'", [](const std::string& tag) { return "<!-- cycle 2 --" + tag + "<!-- survey -->"; },
         "a comment with \"--\" inside it"},
        {"a stray quote", [](const std::string& tag) { return replaced(tag, "=\"", "=\"\""); }, "a tag that is not well formed"},
        {"an unterminated quote", [](const std::string& tag) { return replaced(tag, "\">", ">"); },
         "a quoted attribute value that does not end before the next \"<\""},
        {"a lone '<'", [](const std::string& tag) { return "<\n" + tag; },
         "a \"<\" that begins no tag, comment, CDATA section or processing instruction"},
        {"a '<!' that begins nothing", [](const std::string& tag) { return "<!ELEMENT spectrum ANY>" + tag; },
         "a \"<\" that begins no tag, comment, CDATA section or processing instruction"},
    };
    for (const Format& format : bothFormats()) {
        const std::string& clean = format.text;
        const std::size_t line = lineOf(clean, clean.find(format.second));
        for (const MarkupDamage& damage : cases) {
            SCOPED_TRACE(std::string(format.extension) + ": " + damage.what);
            TempDir dir;
            const std::string path = dir.file(std::string("run.") + format.extension);
            writeWholeFile(path, replaced(clean, format.second, damage.edit(format.second)));
            EXPECT_NE(firstReadError(path).find("The export " + path + " is damaged on line " + std::to_string(line) +
                                                ": it holds " + damage.holds + "."),
                      std::string::npos)
                << firstReadError(path);
        }
        // An excerpt, cut between spectra and closed again, still reads.
        TempDir dir;
        const std::string path = dir.file(std::string("excerpt.") + format.extension);
        const std::size_t cut = clean.find(format.second);
        const std::string rest = format.extension == std::string("mzML") ? "</spectrumList></run></mzML>\n" : "</scan></msRun></mzXML>\n";
        writeWholeFile(path, clean.substr(0, cut) + rest);
        EXPECT_EQ(firstReadError(path), "") << format.extension;
    }
}

// What the text ends within, at the offset where it opened; a document
// that ends as it should is no damage.
TEST(MarkupDamage, DocumentEndWithinAConstruct) {
    const std::string head = "<?xml version=\"1.0\"?>\n<mzML>\n<a/>\n";
    const std::vector<std::tuple<std::string, std::size_t, std::string>> cases = {
        {"<!-- open", 0, "holds a comment that does not end"},
        {"<![CDATA[ open", 0, "holds a CDATA section that does not end"},
        {"<?pi open", 0, "holds a processing instruction that does not end"},
        {"<!DOCTYPE mzML [<!ENTITY e 'x'>", 0, "holds a document type declaration that does not end"},
        {"<spectrum index=\"1\"", 0, "holds a tag that does not end"},
        {"<spectrum index=\"1\" id='scan=2 and on", 23, "holds a quoted attribute value that does not end"},
        {"<", 0, "holds a tag that does not end"},
        {"x &amp", 2, "holds a reference that does not end"},
    };
    for (const auto& [end, at, what] : cases) {
        SCOPED_TRACE(end);
        for (const std::size_t block : {std::size_t{3}, std::size_t{1} << 20}) {
            ExportLayoutScanner scanner;
            const std::string text = head + end;
            for (std::size_t from = 0; from < text.size(); from += block) scanner.feed(std::string_view(text).substr(from, block));
            const ExportLayout layout = scanner.finish();
            EXPECT_FALSE(layout.located) << layout.located->what;
            ASSERT_TRUE(layout.unfinished);
            EXPECT_EQ(layout.unfinished->what, what);
            EXPECT_EQ(layout.unfinished->offset, head.size() + at);
        }
    }
    ExportLayoutScanner complete;
    complete.feed("<?xml version=\"1.0\"?>\n<mzML><!-- c --><?pi?><a b='&lt;'/></mzML>\n<!-- after -->\n");
    EXPECT_FALSE(complete.finish().unfinished);
}

namespace {

// What the scan found, for comparing scans of one text fed in other blocks.
std::string described(const ExportLayout& layout) {
    std::string text;
    for (std::size_t i = 0; i < layout.spectra.size(); ++i) {
        text += layout.ids[i] + " " + std::to_string(layout.spectra[i].offset) + " " + std::to_string(layout.spectra[i].length) + "\n";
    }
    text += "header " + std::to_string(layout.headerEnd.value_or(0)) + "\nchecksum " + layout.checksum.value_or("-") + " " +
            std::to_string(layout.checksumEnd) + "\n";
    for (const auto* said : {&layout.countDisagrees, &layout.indexDisagrees, &layout.numberingDisagrees}) text += said->value_or("-") + "\n";
    text += layout.problem + (layout.located ? layout.located->what : "-") + (layout.unfinished ? layout.unfinished->what : "-");
    return text;
}

ExportLayout scannedInBlocks(const std::string& text, const std::vector<std::size_t>& cuts) {
    ExportLayoutScanner scanner;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        scanner.feed(std::string_view(text).substr(from, cut - from));
        from = cut;
    }
    scanner.feed(std::string_view(text).substr(from));
    return scanner.finish();
}

}  // namespace

// However the blocks fall, the index and checksum of an indexed export
// read alike: a block may end inside an offset's value.
TEST(LargeRuns, IndexReadAlikeWhereverABlockEnds) {
    TempDir dir;
    runGenerator("--spectra 10 --top 4 --output " + dir.file("run.mzML"));
    const std::string mzML = readWholeFile(dir.file("run.mzML"));
    const std::string mzXML = asMzXML(dir.file("run.mzML"), dir.file("run.mzXML"));
    for (const std::string* text : {&mzML, &mzXML}) {
        const ExportLayout whole = scannedInBlocks(*text, {});
        ASSERT_EQ(whole.spectra.size(), 10u);
        ASSERT_TRUE(whole.checksum);
        EXPECT_FALSE(whole.indexDisagrees) << *whole.indexDisagrees;
        const std::string expected = described(whole);
        // Every cut through the first offsets and through the checksum.
        const std::size_t mzXMLOffset = text->find("<indexOffset");
        const std::size_t checksum = mzXMLOffset != std::string::npos ? mzXMLOffset : text->find("<indexListOffset");
        for (const std::size_t from : {text->find("<index"), checksum}) {
            for (std::size_t cut = from; cut < std::min(from + 400, text->size()); ++cut) {
                EXPECT_EQ(described(scannedInBlocks(*text, {cut})), expected) << "cut at " << cut;
            }
        }
        for (const std::size_t block : {1, 7, 100}) {
            std::vector<std::size_t> cuts;
            for (std::size_t at = block; at < text->size(); at += block) cuts.push_back(at);
            EXPECT_EQ(described(scannedInBlocks(*text, cuts)), expected) << "blocks of " << block;
        }
    }
}

// More than 64 MiB of small index elements, each well under any bound,
// read by the reader in its own blocks (which end inside offsets' values).
TEST(LargeRuns, IndexOfMoreThan64MiBOfElementsReads) {
    const std::string mzML = handWrittenMzML();
    const std::size_t from = mzML.find("<mzML");
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<indexedmzML xmlns=\"http://psi.hupo.org/ms/mzml\">\n" +
                       mzML.substr(from, mzML.find("</mzML>") + 7 - from) + "\n<indexList count=\"1\">\n<index name=\"chromatogram\">\n";
    const std::string value(48, '0');
    for (std::size_t i = 0; text.size() < (std::size_t{66} << 20); ++i) {
        text += "<offset idRef=\"SRM " + std::to_string(i) + "\">" + value + std::to_string(i) + "</offset>\n";
    }
    text += "</index>\n</indexList>\n<indexListOffset>0</indexListOffset>\n<fileChecksum>0</fileChecksum>\n</indexedmzML>\n";
    TempDir dir;
    writeWholeFile(dir.file("large.mzML"), text);
    EXPECT_EQ(firstReadError(dir.file("large.mzML")), "");
}

// A UTF-16 export is refused as such, whichever byte order and also
// compressed; never read as damaged or incomplete.
TEST(ExportEncoding, Utf16RefusedNamingTheEncoding) {
    for (const Format& format : bothFormats()) {
        const std::size_t named = format.text.find("encoding=\"") + 10;
        const std::string declared = format.text.substr(0, named) + "UTF-16" + format.text.substr(format.text.find('"', named));
        for (const bool bigEndian : {false, true}) {
            for (const bool compressed : {false, true}) {
                std::string wide = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
                for (const char c : declared) wide += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
                TempDir dir;
                const std::string path = dir.file(std::string("run.") + format.extension + (compressed ? ".gz" : ""));
                if (compressed) {
                    writeGzip(path, wide);
                } else {
                    writeWholeFile(path, wide);
                }
                const std::string error = firstReadError(path);
                EXPECT_NE(error.find("The export " + path + " cannot be read: it is encoded in UTF-16 (" + (bigEndian ? "big" : "little") +
                                     "-endian); only UTF-8 exports are read (the converters' default): convert the run again to UTF-8."),
                          std::string::npos)
                    << error;
            }
        }
    }
}
