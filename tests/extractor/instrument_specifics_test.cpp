// Instrument blocks of instrument.txt: block search, keys, and what they do
// to the peak-picking settings the start-up made from the query.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "core/extractor/instrument_specifics.h"
#include "core/util/format_text.h"
#include "tests/support/child_process.h"
#include "tests/support/query_context.h"
#include "tests/support/temp_dir.h"

namespace {

// A working folder whose msparams_quarrow/ holds only the given instrument.txt.
class InstrumentFolder {
public:
    explicit InstrumentFolder(const std::string& instrumentFile) {
        std::filesystem::create_directory(dir_.file("msparams_quarrow"));
        writeWholeFile(dir_.file("msparams_quarrow/instrument.txt"), instrumentFile);
    }
    // Loads `name` into the context from inside the folder.
    void load(ExtractionContext& context, const std::string& name) const {
        ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
        context.useInstrument(name);
        useShippedParameterFiles();
    }

private:
    TempDir dir_;
};

std::string describe(const ExtractionContext& context) {
    const InstrumentSpecifics& s = context.instrument;
    const PeakPickParams& p = context.picking;
    std::string text = formatText("certain=%d min=%.1f internal=%.1f tol=%g sn=%d limit=%d bypass=%d/%d active=%zu",
                                  s.instrument_charges_certain, s.min_fragment_mass, s.max_internal_ion_mass,
                                  p.peakBinningTolerance, p.minSignalNoiseRatio, p.peakLimitCount,
                                  p.bypassDeIsotoping, p.bypassSignalNoiseThresholding, s.activeIonTypes.size());
    for (const std::string& type : s.activeIonTypes) text += " " + type;
    return text;
}

std::string loadInstrument(const std::string& instrumentFile, const std::string& name, const std::string& query = "") {
    QueryContext run(query);
    InstrumentFolder(instrumentFile).load(run.context, name);
    return describe(run.context);
}

TEST(InstrumentBlocks, KeysOverTheStartUpValues) {
    struct Case {
        const char* what;
        std::string file;
        std::string name;
        std::string query;
        std::string settings;
    };
    const std::vector<Case> cases = {
        {"unset keys keep the query's values", "ESI-QSTAR\nmin_fragment_mass 50\n>\n", "ESI-QSTAR",
         "minSignalNoiseRatio=7&peakLimitCount=40",
         "certain=0 min=50.0 internal=700.0 tol=1e-05 sn=7 limit=40 bypass=0/0 active=0"},
        // Comments, other blocks and a later block of the same name are
        // skipped; weights above 0 activate their ion types.
        {"block values replace the query's",
         "# comment naming ESI-ION-TRAP\nOTHER\nmin_fragment_mass 1\n>\n\n"
         "ESI-ION-TRAP\n  instrument_charges_certain\t1\npeakLimitCount 90\npeakBinningTolerance 0.5\n"
         "bypassDeIsotoping 1\nb 2\ny 0\na -1\ninternal_a 0.5\nb_double 3\nst 4\nunknown_key 9\n>\n"
         "ESI-ION-TRAP\nmin_fragment_mass 3\n>\n",
         "ESI-ION-TRAP", "peakLimitCount=40",
         "certain=1 min=105.0 internal=700.0 tol=0.5 sn=5 limit=90 bypass=1/0 active=2 b internal_a"},
        {"empty block", "X\n>\n", "X", "",
         "certain=0 min=105.0 internal=700.0 tol=1e-05 sn=5 limit=25 bypass=0/0 active=0"},
        {"keys without values read as 0", "X\nmin_fragment_mass\nmax_internal_ion_mass \n>\n", "X", "",
         "certain=0 min=0.0 internal=0.0 tol=1e-05 sn=5 limit=25 bypass=0/0 active=0"},
    };
    for (const Case& c : cases) EXPECT_EQ(loadInstrument(c.file, c.name, c.query), c.settings) << c.what;
}

TEST(InstrumentBlocks, MissingNamesAndUnclosedBlocksEndTheProcess) {
    const std::string message =
        "\nERROR MESSAGE\n-------------\n\nInvalid or unspecified instrument name.\n"
        "Function: initialise_instrument_specifics.\n";
    for (const std::string file : {"ESI-QSTAR \nmin_fragment_mass 50\n>\n",   // trailing blank: no match
                                   "# ESI-QSTAR only in a comment >\n",
                                   "ESI-QSTAR\nmin_fragment_mass 50\n",         // never closed
                                   "A\n>\nESI-QSTAR\nmin_fragment_mass 50\n"}) {
        const InstrumentFolder folder(file);
        const ChildResult r = runInChild([&] {
            QueryContext run("");
            errno = 0;
            folder.load(run.context, "ESI-QSTAR");
        });
        EXPECT_EQ(r.exitStatus, 1) << file;
        EXPECT_EQ(r.output, message) << file;
    }
}

}  // namespace
