#pragma once
// Dates as the vendor component hands them over: days since 30 December
// 1899 00:00, fractional, here always in UTC.
#include <string>
#include <string_view>

// An xs:dateTime time stamp ("2008-01-15T10:30:00Z", "...+02:00", a time
// without zone counting as UTC); 0.0 for an empty or unreadable text.
double timeStampToDays(std::string_view timeStamp);
// The date as "%m/%d/%Y %H:%M" (month, day, four-digit year, 24-hour time), UTC.
std::string formatAcquisitionDate(double days);
