// The three spectrum filters: inclusive bounds, codes and their reject rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/extractor/output_files.h"
#include "core/extractor/spectrum_filters.h"
#include "tests/support/startup_fixture.h"

namespace {

std::string rejectRowsAfter(const std::string& query, const std::function<void()>& filters) {
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult r = startUpAndRun(dir, "logFileDir=" + dir.path() + "/&" + query, filters);
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    const std::string log = readWholeFile(dir.file("xtractorRejectReasons.txt"));
    const std::string header = "spectrumName\tnumScansAfterParent\tRejectReason";
    EXPECT_EQ(log.substr(0, header.size()), header);
    return r.output + "|" + log.substr(header.size());
}

TEST(ParentRangeFilter, BoundsAreInclusiveAndNotANumberIsRefused) {
    const std::string result = rejectRowsAfter("", [] {
        std::printf("%d", filterParentRange(500.0, "a"));
        std::printf("%d", filterParentRange(5000.0, "b"));
        std::printf("%d", filterParentRange(450.25, "r1.0012.0012.0.pkl"));
        std::printf("%d", filterParentRange(5000.001, "c"));
        std::printf("%d", filterParentRange(std::nan(""), "d"));
        std::printf("%d", filterParentRange(-std::nan(""), "e"));
    });
    EXPECT_EQ(result,
              "002222|\nr1.0012.0012.0.pkl\t0\t450.25 outside range 500.0 - 5000.0"
              "\nc\t0\t5000.00 outside range 500.0 - 5000.0"
              "\nd\t0\tnan outside range 500.0 - 5000.0"
              "\ne\t0\tnan outside range 500.0 - 5000.0");
}

TEST(ParentRangeFilter, QueryBounds) {
    EXPECT_EQ(rejectRowsAfter("lowParent=600.55&highParent=700", [] {
                  std::printf("%d", filterParentRange(600.5, "x"));
              }),
              "2|\nx\t0\t600.50 outside range 600.5 - 700.0");
}

TEST(PeakCountFilter, FourPeaksPass) {
    EXPECT_EQ(rejectRowsAfter("", [] {
                  std::printf("%d", filterPeakCount(4, "four"));
                  std::printf("%d", filterPeakCount(3, "three"));
              }),
              "04|\nthree\t0\t< 4 peaks after picking");
}

TEST(SequenceTagFilter, TagMustBeLongerThanTheThreshold) {
    EXPECT_EQ(rejectRowsAfter("", [] {
                  std::printf("%d", filterSequenceTagLength(1, "one"));
                  std::printf("%d", filterSequenceTagLength(0, "none"));
              }),
              "03|\nnone\t0\tmaxSequenceTagLength: 0 <= 0 specified");
    EXPECT_EQ(rejectRowsAfter("maxSequenceTagLength=2", [] {
                  std::printf("%d", filterSequenceTagLength(2, "two"));
                  std::printf("%d", filterSequenceTagLength(3, "three"));
              }),
              "30|\ntwo\t0\tmaxSequenceTagLength: 2 <= 2 specified");
}

}  // namespace
