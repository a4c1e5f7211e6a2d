// Instrument blocks of instrument.txt: block search, keys, and what they do
// to the peak-picking parameters.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/chemistry/amino_acids.h"
#include "core/extractor/instrument_specifics.h"
#include "core/peaks/peak_pick_params.h"
#include "tests/support/startup_fixture.h"

namespace {

// Starts up with the given instrument.txt, loads `name`, prints the settings.
ChildResult loadInstrument(const std::string& instrumentFile, const std::string& name,
                           const std::string& query = "") {
    TempDir dir;
    dir.installParameterFiles();
    writeWholeFile(dir.file("msparams_quarrow/instrument.txt"), instrumentFile);
    return startUpAndRun(dir, "logFileDir=" + dir.path() + "/&" + query, [&] {
        initialise_instrument_specifics(name);
        const InstrumentSpecifics& s = instrumentSpecifics();
        const PeakPickParams p = get_PeakPickParams();
        std::printf("certain=%d min=%.1f internal=%.1f tol=%g sn=%d limit=%d bypass=%d/%d active=%zu",
                    instrumentChargesCertain(), minFragmentMass(), s.max_internal_ion_mass, p.peakBinningTolerance,
                    p.minSignalNoiseRatio, p.peakLimitCount, p.bypassDeIsotoping, p.bypassSignalNoiseThresholding,
                    s.activeIonTypes.size());
        for (const std::string& type : s.activeIonTypes) std::printf(" %s", type.c_str());
    });
}

const std::string fatal = "Invalid or unspecified instrument name.\n<BR>Function: initialise_instrument_specifics.\n<BR>";

TEST(InstrumentBlocks, UnsetKeysKeepTheStartUpValues) {
    const ChildResult r = loadInstrument("ESI-QSTAR\nmin_fragment_mass 50\n>\n", "ESI-QSTAR",
                                         "minSignalNoiseRatio=7&peakLimitCount=40");
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(r.output, "certain=0 min=50.0 internal=700.0 tol=1e-05 sn=7 limit=40 bypass=0/0 active=0");
}

TEST(InstrumentBlocks, BlockValuesReplaceTheQuerys) {
    const ChildResult r = loadInstrument(
        "# comment naming ESI-ION-TRAP\nOTHER\nmin_fragment_mass 1\n>\n\n"
        "ESI-ION-TRAP\n  instrument_charges_certain\t1\npeakLimitCount 90\npeakBinningTolerance 0.5\n"
        "bypassDeIsotoping 1\nb 2\ny 0\na -1\ninternal_a 0.5\nb_double 3\nst 4\nunknown_key 9\n>\n"
        "ESI-ION-TRAP\nmin_fragment_mass 3\n>\n",
        "ESI-ION-TRAP", "peakLimitCount=40");
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(r.output, "certain=1 min=105.0 internal=700.0 tol=0.5 sn=5 limit=90 bypass=1/0 active=2 b internal_a");
}

TEST(InstrumentBlocks, NameWithTrailingBlankDoesNotMatch) {
    const ChildResult r = loadInstrument("ESI-QSTAR \nmin_fragment_mass 50\n>\n", "ESI-QSTAR");
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.output.find(fatal), std::string::npos) << r.output;
}

TEST(InstrumentBlocks, MissingBlocksAndUnclosedBlocksAreFatal) {
    EXPECT_EQ(loadInstrument("# ESI-QSTAR only in a comment >\n", "ESI-QSTAR").exitStatus, 1);
    const ChildResult unclosed = loadInstrument("ESI-QSTAR\nmin_fragment_mass 50\n", "ESI-QSTAR");
    EXPECT_EQ(unclosed.exitStatus, 1);
    EXPECT_NE(unclosed.output.find(fatal), std::string::npos);
    const ChildResult closedLater = loadInstrument("A\n>\nESI-QSTAR\nmin_fragment_mass 50\n", "ESI-QSTAR");
    EXPECT_EQ(closedLater.exitStatus, 1);
}

TEST(InstrumentBlocks, EmptyBlockAndKeyWithoutValue) {
    EXPECT_EQ(loadInstrument("X\n>\n", "X").output, "certain=0 min=105.0 internal=700.0 tol=1e-05 sn=5 limit=25 bypass=0/0 active=0");
    EXPECT_EQ(loadInstrument("X\nmin_fragment_mass\nmax_internal_ion_mass \n>\n", "X").output,
              "certain=0 min=0.0 internal=0.0 tol=1e-05 sn=5 limit=25 bypass=0/0 active=0");
}

TEST(InstrumentBlocks, ResidueSetsIgnoreCharactersOutsideSevenBits) {
    const ChildResult r = loadInstrument("X\nnh3_loss RK\xC3\xA9\n>\n", "X");
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult mask = startUpAndRun(dir, "logFileDir=" + dir.path() + "/", [] {
        std::printf("%d", residueSetMask("RK\xC3\xA9") == residueSetMask("RK") ? 1 : 0);
    });
    EXPECT_EQ(mask.output, "1");
}

TEST(InstrumentBlocks, ShippedFileHasEveryInstrument) {
    TempDir dir;
    dir.installParameterFiles();
    for (const char* name : {"ESI-ION-TRAP", "ESI-QSTAR", "MALDI-QSTAR", "ESI-QTRAP"}) {
        const ChildResult r = startUpAndRun(dir, "logFileDir=" + dir.path() + "/", [&] {
            initialise_instrument_specifics(name);
            std::printf("ok");
        });
        EXPECT_EQ(r.output, "ok") << name;
    }
}

}  // namespace
