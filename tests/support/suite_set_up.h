#pragma once
// What a whole suite shares (generated runs, reference outputs), made once by
// the first test that needs it. GoogleTest skips every test of a suite whose
// SetUpTestSuite fails, and ctest counts skipped tests as passed, so a broken
// set-up (a missing data folder, a program that fails) would go unseen. Made
// here, a failure fails the test that made it and every later one.
#include <gtest/gtest.h>

class SuiteSetUp {
public:
    // Runs `make` the first time, inside the current test; true when it ran
    // without a failure, now or before.
    template <class Make>
    bool ready(Make make) {
        if (!tried_) {
            tried_ = true;
            make();
            ok_ = !::testing::Test::HasFailure();
        }
        return ok_;
    }

private:
    bool tried_ = false;
    bool ok_ = false;
};
