#include <gtest/gtest.h>

#include "platform/com/com_runtime.h"
#include "platform/msanalysis/acquisition_date.h"

TEST(ComRuntime, StatusCodesAreNegativeFailuresWithTheirSystemTexts) {
    EXPECT_EQ(E_FILENOTFOUND, -2147024894);
    EXPECT_EQ(E_FAIL, -2147467259);
    EXPECT_EQ(E_INVALIDARG, -2147024809);
    EXPECT_TRUE(FAILED(E_POINTER));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_EQ(systemMessageText(E_NOTIMPL), "Not implemented");
    EXPECT_EQ(systemMessageText(E_NOINTERFACE), "No such interface supported");
    EXPECT_EQ(systemMessageText(E_POINTER), "Invalid pointer");
    EXPECT_EQ(systemMessageText(E_FAIL), "Unspecified error");
    EXPECT_EQ(systemMessageText(E_OUTOFMEMORY),
              "Not enough memory resources are available to complete this operation");
    EXPECT_EQ(systemMessageText(E_INVALIDARG), "The parameter is incorrect");
    EXPECT_EQ(systemMessageText(E_FILENOTFOUND), "The system cannot find the file specified");
    EXPECT_EQ(systemMessageText(static_cast<HRESULT>(0x80001234u)), "Unknown error 0x80001234");
}

TEST(ComRuntime, ErrorCarriesCodeDescriptionAndInterface) {
    const ComError error(E_INVALIDARG, "index 0", "IMSSpectrumCollection");
    EXPECT_EQ(error.code(), E_INVALIDARG);
    EXPECT_EQ(error.description(), "index 0");
    EXPECT_EQ(error.interfaceName(), "IMSSpectrumCollection");
    EXPECT_EQ(error.errorMessage(), "The parameter is incorrect");
    EXPECT_EQ(comInitialize(), S_OK);
    comUninitialize();
}

TEST(AcquisitionDate, DaysSinceTheEndOf1899InUtc) {
    EXPECT_DOUBLE_EQ(timeStampToDays("2008-01-15T10:30:00Z"), 39462.4375);
    EXPECT_DOUBLE_EQ(timeStampToDays("2008-01-15T12:30:00+02:00"), 39462.4375);
    EXPECT_DOUBLE_EQ(timeStampToDays("1899-12-31T00:00:00"), 1.0);
    EXPECT_DOUBLE_EQ(timeStampToDays(""), 0.0);
    EXPECT_DOUBLE_EQ(timeStampToDays("yesterday"), 0.0);
    EXPECT_DOUBLE_EQ(timeStampToDays("2008-02-30T00:00:00Z"), 0.0);
    EXPECT_EQ(formatAcquisitionDate(39462.4375), "01/15/2008 10:30");
    EXPECT_EQ(formatAcquisitionDate(0.0), "12/30/1899 00:00");
    // 10:29:59.9 rounds to the second, not down to the minute before.
    EXPECT_EQ(formatAcquisitionDate(39462.4375 - 0.05 / 86400.0), "01/15/2008 10:30");
}
