// What the run page shows of a run: the program's lines with the time since
// the start, a heading where each sample of a .wiff file begins, and a banner
// that says how the run ended.
#include <gtest/gtest.h>

#include "web/launcher/progress_page.h"
#include "web/launcher/request_view.h"

namespace {

TEST(RunPage, ProgressLinesWithTheirTimeAndSampleHeadings) {
    ProgressPage page(true);
    std::string html = page.feed("<BR>Wiff file opened. Contains 2 samples\n<BR>Alloted memory for # spectra: 9<BR>n", 3)
                           .html();
    html += page.feed("umActualCycles: 2\n<BR>numNonRejectedMSMSspectra: 4<BR>Alloted memory for # spectra: 8", 65).html();
    html += page.finish(3725).html();
    EXPECT_EQ(html,
              "<div class=\"line\"><span class=\"at\">0:03</span><span class=\"text\">Wiff file opened. Contains 2 "
              "samples</span></div>\n<h3 class=\"sample\">Sample 1 of 2</h3>\n<div class=\"line\"><span "
              "class=\"at\">0:03</span><span class=\"text\">Alloted memory for # spectra: 9</span></div>\n"
              "<div class=\"line\"><span class=\"at\">1:05</span><span class=\"text\">numActualCycles: "
              "2</span></div>\n<div class=\"line\"><span class=\"at\">1:05</span><span "
              "class=\"text\">numNonRejectedMSMSspectra: 4</span></div>\n<h3 class=\"sample\">Sample 2 of 2</h3>\n"
              "<div class=\"line\"><span class=\"at\">1:02:05</span><span class=\"text\">Alloted "
              "memory for # spectra: 8</span></div>\n");
    EXPECT_EQ(page.plainText(), "Wiff file opened. Contains 2 samples\nAlloted memory for # spectra: 9\nnumActualCycles: "
                                "2\nnumNonRejectedMSMSspectra: 4\nAlloted memory for # spectra: 8\n");
    // yepharvest's lines are no samples, whatever they say.
    ProgressPage yep(false);
    EXPECT_EQ(yep.feed("<BR>Alloted memory for # spectra\n", 0).html().find("<h3"), std::string::npos);
}

TEST(RunPage, BannerSaysHowTheRunEnded) {
    const std::vector<std::pair<RequestOutcome, std::string>> cases = {
        {{"yepharvest", "r", "finished", "", "42.9", "exit status 0", "383", "pkl", "", "", ""},
         "class=\"outcome finished\"><strong>Finished</strong> in 0:42: 383 spectra written."},
        {{"yepharvest", "r", "finished", "", "1", "exit status 0", "", "pkl", "", "", ""},
         "<strong>Finished</strong> in 0:01: no spectrum written."},
        {{"wiffharvest", "r", "failed", "", "3", "exit status 1", "", "pkl", "No export <x> was found.", "", ""},
         "class=\"outcome failed\"><strong>Failed</strong> (exit status 1, after 0:03): No export &lt;x&gt; was found."},
        {{"yepharvest", "r", "failed", "", "", "signal 9 (Killed)", "", "pkl", "", "", ""},
         "<strong>Failed</strong> (signal 9 (Killed)): the program printed no error message; its progress tells more."},
        // A launcher that is gone can no longer finish the record.
        {{"yepharvest", "r", "running", "", "", "", "", "pkl", "", "", "999999999"},
         "class=\"outcome interrupted\"><strong>Interrupted</strong>: "},
    };
    for (const auto& [outcome, said] : cases) {
        const std::string html = outcomeBanner(outcome).html();
        EXPECT_NE(html.find(said), std::string::npos) << html;
    }
}

}  // namespace
