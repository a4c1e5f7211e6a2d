#include <gtest/gtest.h>

#include "platform/com/com_runtime.h"
#include "platform/msanalysis/acquisition_date.h"

// The texts reach the pages of both programs after "Error Message:".
TEST(ComRuntime, SystemTextsOfTheStatusCodes) {
    const std::vector<std::pair<HRESULT, const char*>> cases = {
        {E_NOTIMPL, "Not implemented"},
        {E_NOINTERFACE, "No such interface supported"},
        {E_POINTER, "Invalid pointer"},
        {E_FAIL, "Unspecified error"},
        {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation"},
        {E_INVALIDARG, "The parameter is incorrect"},
        {E_FILENOTFOUND, "The system cannot find the file specified"},
        {static_cast<HRESULT>(0x80001234u), "Unknown error 0x80001234"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(systemMessageText(code), text) << code;
}

TEST(AcquisitionDate, DaysSinceTheEndOf1899InUtc) {
    EXPECT_DOUBLE_EQ(timeStampToDays("2008-01-15T10:30:00Z"), 39462.4375);
    EXPECT_DOUBLE_EQ(timeStampToDays("2008-01-15T12:30:00+02:00"), 39462.4375);
    EXPECT_DOUBLE_EQ(timeStampToDays("1899-12-31T00:00:00"), 1.0);
    EXPECT_DOUBLE_EQ(timeStampToDays("yesterday"), 0.0);
    EXPECT_DOUBLE_EQ(timeStampToDays("2008-02-30T00:00:00Z"), 0.0);
    EXPECT_EQ(formatAcquisitionDate(0.0), "12/30/1899 00:00");
    // 10:29:59.9 rounds to the second, not down to the minute before.
    EXPECT_EQ(formatAcquisitionDate(39462.4375 - 0.05 / 86400.0), "01/15/2008 10:30");
}
