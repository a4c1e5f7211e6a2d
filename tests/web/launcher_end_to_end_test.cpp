// The launcher as the web server runs it: under a program's name, with the
// request variables only, the query as a POST body or in QUERY_STRING. What
// it runs is compared with the program run directly with the front ends'
// defaults; what it keeps and sends afterwards is read back.
#include <gtest/gtest.h>

#include "frontend/settings_file.h"

#include <array>
#include <filesystem>
#include <regex>

#include "tests/support/work_folder.h"

namespace fs = std::filesystem;

namespace {

// cgi-bin/ with the launcher under every name, programs/ with the programs
// and the report tool, work/ holding the parameter files, data/ with runs.
class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"cgi-bin", "programs", "work", "data", "results"}) {
            fs::create_directory(dir.file(folder));
        }
        for (const char* name : {"yepharvest", "wiffharvest", "results", "other"}) {
            fs::create_symlink(LAUNCHER_PATH, dir.file("cgi-bin/") + name);
        }
        fs::create_symlink(YEPHARVEST_PATH, dir.file("programs/yepharvest"));
        fs::create_symlink(REPORT_PATH, dir.file("programs/quarrow-report"));
        fs::copy(QUARROW_PARAMS_DIR, dir.file("work/msparams_quarrow"), fs::copy_options::recursive);
        runGenerator("--folder --output " + dir.file("data/sample7.d") + " --spectra 200 --seed 3");
        root = fs::canonical(dir.file("results"));
    }

    ChildResult request(const std::string& program, const std::string& queryString, const std::string& body = "") {
        ProgramRun run;
        run.program = dir.file("cgi-bin/" + program);
        run.environment = {{"QUERY_STRING", queryString},
                           {"CONTENT_LENGTH", std::to_string(body.size())},
                           {"REQUEST_METHOD", body.empty() ? "GET" : "POST"},
                           {"QUARROW_DATA_ROOT", dir.file("data")},
                           {"QUARROW_RESULTS_ROOT", dir.file("results")},
                           {"QUARROW_PROGRAM_DIR", dir.file("programs")},
                           {"QUARROW_WORK_DIR", dir.file("work")}};
        run.standardInput = body;
        return runProgram(run);
    }

    // The one request folder there is.
    fs::path requestFolder() const {
        std::vector<fs::path> folders;
        for (const auto& entry : fs::directory_iterator(root)) folders.push_back(entry.path());
        EXPECT_EQ(folders.size(), 1u);
        return folders.empty() ? fs::path() : folders.front();
    }

    // What a link of the page leads to, as a file under the results root.
    std::string linked(const std::string& page, const std::string& id) const {
        std::smatch match;
        if (!std::regex_search(page, match, std::regex("<a href=\"/results/([^\"]+)\" id=\"" + id + "\">"))) return "";
        return (root / match[1].str()).string();
    }

    TempDir dir;
    fs::path root;
};

// A GET link with only the run: the front ends' defaults filled in and said,
// the program's files byte for byte those of a direct run with them, each
// linked, and the request's records and report kept.
TEST_F(Launcher, ALinkWithOnlyTheRunGetsTheFrontEndsDefaults) {
    const ChildResult page = request("yepharvest", "xtractorDataFilename=sample7.d%2FAnalysis.yep");
    EXPECT_EQ(page.exitStatus, 0);
    ASSERT_EQ(page.output.rfind("Content-Type: text/html; charset=utf-8\n\n", 0), 0u) << page.output.substr(0, 200);
    const std::vector<std::string> inOrder = {
        "The front ends&#39; defaults filled in for keys the request left out: autoCharge=Find, lastScan=999999999, "
        "specFeaturesFilename=specFeatures.txt, filterOpenCharges=1, peakListFormat=mgf.",
        "<span class=\"text\">Initialize extractor complete!</span>",
        "<span class=\"text\">Run statistics calculated and output.</span>",
        "<div id=\"outcome\" class=\"outcome finished\"><strong>Finished</strong> in ",
        "<pre class=\"runstats\">FileName\tsample7\n", "<section id=\"results\">", "id=\"again\">Run again"};
    std::size_t at = 0;
    for (const std::string& piece : inOrder) {
        const std::size_t found = page.output.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << "\n" << page.output;
        at = found;
    }

    WorkFolder direct;
    const ChildResult expected = direct.extract(YEPHARVEST_PATH, dir.file("data/sample7.d/Analysis.yep"),
                                                "autoCharge=Find&lastScan=999999999&specFeaturesFilename=specFeatures.txt"
                                                "&filterOpenCharges=1&peakListFormat=mgf");
    ASSERT_EQ(expected.exitStatus, 0);
    const fs::path folder = requestFolder();
    const auto peakLists = folderContents(direct.file("peaklists"));
    ASSERT_EQ(peakLists.size(), 1u) << "one MGF file";
    EXPECT_TRUE(peakLists == folderContents((folder / "peaklists").string()));
    EXPECT_TRUE(folderContents(direct.file("logs")) == folderContents((folder / "logs").string()));
    for (const auto& [name, bytes] : peakLists) {
        const std::string url = "/results/" + folder.filename().string() + "/peaklists/" + name;
        EXPECT_NE(page.output.find("<a href=\"" + url + "\">" + name + "</a>"), std::string::npos) << url;
    }
    const std::map<std::string, int> statistics = counters(direct.log("runStats.txt"));
    // However long it took on a busy machine.
    EXPECT_TRUE(std::regex_search(page.output, std::regex("Finished</strong> in [0-9]+:[0-5][0-9]: " +
                                                          std::to_string(statistics.at("numOutputSpectra")) +
                                                          " spectra written\\.")));

    const std::string query = readWholeFile((folder / "query.txt").string());
    for (const char* entry : {"&autoCharge=Find&", "&lastScan=999999999&", "&specFeaturesFilename=specFeatures.txt&"}) {
        EXPECT_NE(query.find(entry), std::string::npos) << query;
    }
    // The same keys as a settings file, the web's defaults and the run's own files said.
    const std::vector<Setting> settings =
        parseSettings(readWholeFile((folder / "settings.tsv").string()), "settings.tsv");
    std::string keys;
    for (const Setting& setting : settings) keys += "&" + setting.key + "=" + setting.value + "&";
    for (const std::string& entry : splitText(query.substr(0, query.find('\n')), '&')) {
        const bool own = entry.starts_with("xtractorDataFilename=") || entry.starts_with("logFileDir=") ||
                         entry.starts_with("resultsXtractorDir=");
        EXPECT_EQ(keys.find("&" + entry + "&") != std::string::npos, !own) << entry;
    }
    const std::string settingsText = readWholeFile((folder / "settings.tsv").string());
    EXPECT_NE(settingsText.find("\nlastScan\t999999999\tfront ends' default\n"), std::string::npos) << settingsText;
    EXPECT_NE(settingsText.find("\tset for the run\n"), std::string::npos) << settingsText;
    const std::string outcome = readWholeFile((folder / "outcome.txt").string());
    for (const char* line : {"program\tyepharvest\n", "status\tfinished\n", "ended\texit status 0\n",
                                    "peakListFormat\tmgf\n", "error\t\n", "launcher\t\n"}) {
        EXPECT_NE(outcome.find(line), std::string::npos) << line << outcome;
    }
    EXPECT_NE(outcome.find("spectraWritten\t" + std::to_string(statistics.at("numOutputSpectra")) + "\n"),
              std::string::npos);
    EXPECT_EQ(splitText(readWholeFile((folder / "files.txt").string())).size(), peakLists.size() + 4);
    const std::string report = readWholeFile(linked(page.output, "report"));
    EXPECT_NE(report.find("Precursor m/z against retention time"), std::string::npos)
        << "yepharvest's report is given its data file for the times";
}

// Refused before anything runs (no folder is left), or run and failed: the
// status line, the one clean page, and never a success.
TEST_F(Launcher, RefusedAndFailedRequestsSaySo) {
    const std::vector<std::array<std::string, 4>> cases = {
        {"yepharvest", "xtractorDataFilename=sample7.d/../../../etc/passwd", "Status: 403 Forbidden\n",
         "lies outside the data root"},
        {"yepharvest", "xtractorDataFilename=sample7.d/Analysis.yep&groupScans=x", "Status: 400 Bad Request\n",
         "groupScans &quot;x&quot;: not a whole number"},
        {"yepharvest", "xtractorDataFilename=sample7.d/Analysis.yep&lastScan=-1", "Status: 400 Bad Request\n",
         "The value -1 of the query key lastScan is outside its range 0 - 2147483647."},
        // A GET link's window that takes nothing, in the words of every front end.
        {"yepharvest", "xtractorDataFilename=sample7.d&firstScan=10&lastScan=5", "Status: 400 Bad Request\n",
         "The value 10 of the query key firstScan is above the value 5 of the query key lastScan: no scan lies "
         "between them."},
        {"wiffharvest", "xtractorDataFilename=x.wiff", "Status: 503 Service Unavailable\n",
         "wiffharvest is not installed on this server"},
        {"other", "xtractorDataFilename=x", "Status: 404 Not Found\n", "No program is served under the name"},
        // The path as given, escaped, and a way back to the form with it.
        {"yepharvest", "xtractorDataFilename=missing%3Cb%3E.d%2FAnalysis.yep&groupScans=7", "Status: 404 Not Found\n",
         "xtractorDataFilename &quot;missing&lt;b&gt;.d/Analysis.yep&quot;: there is no run folder missing&lt;b&gt;.d "
         "under the data root.</p>\n<p class=\"next\"><a href=\"/cgi-bin/yepharvest?edit=1&amp;"
         "xtractorDataFilename=missing%3Cb%3E.d/Analysis.yep&amp;groupScans=7\" id=\"back\">"},
        {"yepharvest", "xtractorDataFilename=broken.d", "Content-Type: text/html; charset=utf-8\n\n",
         "<strong>Failed</strong> (exit status 1, after "},
    };
    fs::create_directory(dir.file("data/broken.d"));
    writeWholeFile(dir.file("data/broken.d/Analysis.mzML"), "<mzML>cut off");
    const std::string brokenSaid = "The export " + dir.file("data/broken.d/Analysis.mzML") + " is incomplete or damaged: ";
    std::vector<std::string> failedPages;
    for (const auto& [program, query, start, text] : cases) {
        const bool runs = start.starts_with("Content-Type");
        const ChildResult page = request(program, query);
        EXPECT_EQ(fs::is_empty(root), !runs) << query;
        EXPECT_EQ(page.exitStatus, 0) << query;
        EXPECT_EQ(page.output.rfind(start, 0), 0u) << page.output;
        EXPECT_NE(page.output.find(text), std::string::npos) << page.output;
        if (runs) {
            EXPECT_NE(page.output.find("): " + brokenSaid), std::string::npos) << page.output;
            failedPages.push_back(page.output);
        }
        EXPECT_EQ(page.output.find("Finished"), std::string::npos) << page.output;
        EXPECT_EQ(page.output.find("<html>", page.output.find("<html>") + 1), std::string::npos) << "two pages in one";
    }
    const std::string outcome = readWholeFile((requestFolder() / "outcome.txt").string());
    EXPECT_NE(outcome.find("status\tfailed\nstarted\t"), std::string::npos) << outcome;
    // The failed run's page, and its request's page afterwards: failed
    // first, then no statistics, report, archive or list of nothing.
    failedPages.push_back(request("results", "request=" + requestFolder().filename().string()).output);
    for (const std::string& page : failedPages) {
        const std::size_t banner = page.find("<strong>Failed</strong>");
        EXPECT_LT(banner, page.find("<section id=\"results\">")) << page;
        EXPECT_NE(page.find("<p class=\"nothing\">The run wrote no peak list and no log row.</p>"), std::string::npos)
            << page;
        for (const char* nothing : {"<h2>Run statistics</h2>", "making-report", "id=\"report\"", "id=\"archive\"",
                                    "class=\"peaklists\"", "<h3>Logs</h3>"}) {
            EXPECT_EQ(page.find(nothing), std::string::npos) << nothing << "\n" << page;
        }
    }
    EXPECT_NE(outcome.find("error\t" + brokenSaid), std::string::npos) << outcome;

    // The refused request's link: its form, filled in with what was given.
    const ChildResult back =
        request("yepharvest", "edit=1&xtractorDataFilename=missing%3Cb%3E.d/Analysis.yep&groupScans=7");
    EXPECT_EQ(back.output.rfind("Content-Type: text/html; charset=utf-8\n\n<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(back.output.find("size=\"60\" required value=\"missing&lt;b&gt;.d/Analysis.yep\">"), std::string::npos)
        << back.output;
    EXPECT_NE(back.output.find("name=\"groupScans\" type=\"number\""), std::string::npos);
    EXPECT_NE(back.output.find("value=\"7\">"), std::string::npos);
}

// Each run format under its own heading, in the table's order, linked; an
// mzML file names no folder of the request among its settings.
TEST_F(Launcher, RunFilesOfEachFormatUnderTheirHeading) {
    const ChildResult page = request("yepharvest", "xtractorDataFilename=sample7.d%2FAnalysis.yep&peakListFormat=mzml%2Cmgf");
    ASSERT_EQ(page.exitStatus, 0) << page.output;
    const std::string name = requestFolder().filename().string();
    const std::size_t mgf = page.output.find("<h3>MGF files (1)</h3>");
    const std::size_t mzml = page.output.find("<h3>mzML files (1)</h3>");
    ASSERT_NE(mzml, std::string::npos) << page.output;
    EXPECT_LT(mgf, mzml);
    for (const char* file : {"sample7.mgf", "sample7.mzML"}) {
        EXPECT_NE(page.output.find("<a href=\"/results/" + name + "/peaklists/" + file + "\">"), std::string::npos) << file;
    }
    const std::string text = readWholeFile((requestFolder() / "peaklists/sample7.mzML").string());
    EXPECT_NE(text.find("<userParam name=\"peakListFormat\" value=\"mzml,mgf\""), std::string::npos);
    EXPECT_EQ(text.find(name), std::string::npos) << "the request's folder in its settings";
}

// A .wiff file's samples under headings, its MGF files linked, and
// afterwards the results list, the request's page, its archive and the form
// to run it again.
TEST_F(Launcher, WiffRunAndWhatIsKeptOfIt) {
    fs::create_symlink(WIFFHARVEST_PATH, dir.file("programs/wiffharvest"));
    runGenerator("--sciex qstar --samples 2 --spectra 80 --seed 2 --output " + dir.file("data/lysate3.wiff"));
    const ChildResult page = request("wiffharvest", "", "xtractorDataFilename=lysate3.wiff&peakListFormat=mgf");
    const std::size_t first = page.output.find("<h3 class=\"sample\">Sample 1 of 2</h3>");
    const std::size_t second = page.output.find("<h3 class=\"sample\">Sample 2 of 2</h3>");
    ASSERT_NE(second, std::string::npos) << page.output;
    EXPECT_LT(page.output.find("Wiff file opened. Contains 2 samples"), first);
    // Each sample's lines under its own heading.
    for (const char* step : {"Alloted memory for # spectra", "Run statistics calculated and output."}) {
        const std::size_t inFirst = page.output.find(step, first);
        EXPECT_LT(inFirst, second) << step;
        EXPECT_GT(page.output.find(step, inFirst + 1), second) << step;
    }
    const fs::path folder = requestFolder();
    const std::string name = folder.filename().string();
    for (const char* mgf : {"lysate3.mgf", "lysate3_2.mgf"}) {
        EXPECT_NE(page.output.find("<a href=\"/results/" + name + "/peaklists/" + mgf + "\">"), std::string::npos);
    }
    // No fold of no .pkl file.
    EXPECT_EQ(page.output.find("Peak lists ("), std::string::npos);

    const ChildResult list = request("results", "");
    EXPECT_NE(list.output.find("<tr class=\"finished\"><td>"), std::string::npos) << list.output;
    EXPECT_TRUE(std::regex_search(list.output, std::regex("<td class=\"status\">finished</td><td>wiffharvest</td>"
                                                          "<td class=\"run\">lysate3.wiff</td><td class=\"number\">[1-9][0-9]*</td>"
                                                          "<td>mgf</td><td class=\"request\"><a href=\"/cgi-bin/results\\?request=" +
                                                          name + "\">")));
    const ChildResult again = request("wiffharvest", "again=" + name);
    // The .wiff file is not there: the form shows its first export.
    EXPECT_NE(again.output.find("name=\"xtractorDataFilename\" type=\"text\" size=\"60\" required "
                                "value=\"lysate3-Sample1.mzML\">"),
              std::string::npos);
    EXPECT_NE(again.output.find("<option value=\"mgf\" selected>"), std::string::npos);
    EXPECT_EQ(again.output.find("name=\"resultsXtractorDir\""), std::string::npos);

    // The archive unpacks to the request's files, byte for byte.
    const ChildResult archive = request("results", "archive=" + name);
    const std::string head = "Content-Type: application/gzip\nContent-Disposition: attachment; filename=\"" + name +
                             ".tar.gz\"\n\n";
    ASSERT_EQ(archive.output.rfind(head, 0), 0u) << archive.output.substr(0, 300);
    writeWholeFile(dir.file("archive.tar.gz"), archive.output.substr(head.size()));
    fs::create_directory(dir.file("unpacked"));
    ASSERT_EQ(runProgram({"/bin/tar", "", {}, "", {"-xzf", dir.file("archive.tar.gz"), "-C", dir.file("unpacked")}}).exitStatus, 0);
    const auto files = [](const fs::path& top) {
        std::map<std::string, std::string> all;
        for (const auto& entry : fs::recursive_directory_iterator(top)) {
            if (entry.is_regular_file()) all[entry.path().lexically_relative(top).string()] = readWholeFile(entry.path());
        }
        return all;
    };
    const auto kept = files(folder);
    EXPECT_EQ(kept.size(), 13u);  // 2 MGF files, 4 logs, 5 records, the report and its log
    EXPECT_TRUE(files(dir.file("unpacked/" + name)) == kept);

    const ChildResult shown = request("results", "request=" + name);
    EXPECT_NE(shown.output.find("<a href=\"/cgi-bin/wiffharvest?again=" + name + "\" id=\"again\">"), std::string::npos);
    EXPECT_NE(shown.output.find("<th>Peak-list format</th><td><code>peakListFormat</code></td><td>mgf</td>"),
              std::string::npos);
    EXPECT_NE(linked(shown.output, "report"), "");
    EXPECT_EQ(request("results", "archive=..").output.rfind("Status: 404 Not Found\n", 0), 0u);
}

TEST_F(Launcher, AFormWithTheRunsThereAreNow) {
    const ChildResult before = request("yepharvest", "");
    EXPECT_NE(before.output.find("<option value=\"sample7.d\">"), std::string::npos) << before.output;
    runGenerator("--folder --output " + dir.file("data/later.d") + " --spectra 50 --seed 1");
    EXPECT_NE(request("yepharvest", "").output.find("<option value=\"later.d\">"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(root));
}

}  // namespace
