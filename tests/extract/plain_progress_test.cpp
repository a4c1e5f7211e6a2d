// The programs' output as a terminal shows it: the same lines whatever the
// pipe's chunks, markup never shown, the error page's sentences kept.
#include <gtest/gtest.h>

#include "frontend/plain_progress.h"

namespace {

TEST(PlainProgress, LinesOfProgressAndErrorPages) {
    struct Case {
        std::string html;
        std::string plain;
    };
    const std::vector<Case> cases = {
        {"<BR>Initialize extractor complete! \n<BR>Data read.\n", "Initialize extractor complete!\nData read.\n"},
        {"<BR>spectra: 137<BR>Charges assigned.\n<BR>\n\n", "spectra: 137\nCharges assigned.\n"},
        // The page head's title is no line of its own; the heading is.
        {"\n<html>\n<head>\n<TITLE>Velmora Quarrow - Error Message</TITLE>\n<link rel=\"x\" href=\"/a.css\" />"
         "\n</head>\n<BODY Id=\"ResRev\" >\n<H2 ALIGN=center >Error Message</H2><HR />The value -3 of the query key "
         "groupScans is outside its range 0 - 10000.\n<BR></BODY>",
         "Error Message\nThe value -3 of the query key groupScans is outside its range 0 - 10000.\n"},
        {"Description:looked for x-&lt;sample&gt;.mzML &amp; y&#46;gz&#x21; &#39;&bogus; a&b\nError Message:none",
         "Description:looked for x-<sample>.mzML & y.gz! '&bogus; a&b\nError Message:none\n"},
        {"m/z < 4 and <b>bold</b> &#233;<BR>", "m/z < 4 and bold \xC3\xA9\n"},
        {"no line end at all", "no line end at all\n"},
        // A run that read nothing: the stages over nothing are not shown.
        {"<BR>Initialize extractor complete! \n<BR>Error opening analysis file.\n<BR>No run export was found.\n"
         "<BR>Data read into memory. \n<BR>Spectra filtered. \n<BR>Created spectral files.\n",
         "Initialize extractor complete!\nError opening analysis file.\nNo run export was found.\n"},
        // One that goes on with what it read before the error shows them.
        {"Error: damaged\n<BR>The run goes on with the 5 of its 9 spectra read before this error.\n"
         "<BR>Data read into memory. \n<BR>Created spectral files.\n",
         "Error: damaged\nThe run goes on with the 5 of its 9 spectra read before this error.\n"
         "Data read into memory.\nCreated spectral files.\n"},
    };
    for (const Case& c : cases) {
        PlainProgress whole;
        const std::string plain = whole.feed(c.html);
        EXPECT_EQ(plain + whole.finish(), c.plain) << c.html;
        // The pipe may cut a tag or a reference anywhere.
        PlainProgress bytes;
        std::string pieces;
        for (const char b : c.html) pieces += bytes.feed(std::string_view(&b, 1));
        EXPECT_EQ(pieces + bytes.finish(), c.plain) << c.html;
    }
}

// A line is handed on as soon as it is complete, not at the next one.
TEST(PlainProgress, ALineComesWhenItEnds) {
    PlainProgress progress;
    EXPECT_EQ(progress.feed("<BR>Data read into memory. "), "");
    EXPECT_EQ(progress.feed("\n<B"), "Data read into memory.\n");
    EXPECT_EQ(progress.feed("R>Merged.\n"), "Merged.\n");
    EXPECT_EQ(progress.finish(), "");
}

}  // namespace
