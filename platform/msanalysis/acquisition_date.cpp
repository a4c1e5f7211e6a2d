#include "platform/msanalysis/acquisition_date.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <regex>

namespace {

constexpr double secondsPerDay = 86400.0;

std::chrono::sys_days dateZero() {
    using namespace std::chrono;
    return sys_days(year(1899) / December / 30);
}

}  // namespace

double timeStampToDays(std::string_view timeStamp) {
    static const std::regex pattern(
        R"(^\s*(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2}(?:\.\d+)?))?)?\s*(Z|[+-]\d{2}:?\d{2})?\s*$)");
    std::cmatch match;
    const std::string text(timeStamp);
    if (!std::regex_match(text.c_str(), match, pattern)) return 0.0;

    using namespace std::chrono;
    const year_month_day date(year(std::stoi(match[1].str())), month(static_cast<unsigned>(std::stoi(match[2].str()))),
                              day(static_cast<unsigned>(std::stoi(match[3].str()))));
    if (!date.ok()) return 0.0;
    double seconds = 0.0;
    if (match[4].matched) seconds += std::stoi(match[4].str()) * 3600.0 + std::stoi(match[5].str()) * 60.0;
    if (match[6].matched) seconds += std::stod(match[6].str());
    if (match[7].matched && match[7].str() != "Z") {
        const std::string zone = match[7].str();
        const int hours = std::stoi(zone.substr(1, 2));
        const int minutes = std::stoi(zone.substr(zone.size() - 2));
        const double offset = hours * 3600.0 + minutes * 60.0;
        seconds += zone[0] == '+' ? -offset : offset;  // local time minus offset is UTC
    }
    const auto wholeDays = (sys_days(date) - dateZero()).count();
    return static_cast<double>(wholeDays) + seconds / secondsPerDay;
}

std::string formatAcquisitionDate(double days) {
    // Rounded to the second so that 10:30 does not print as 10:29.
    const double seconds = std::round((days * secondsPerDay));
    const auto zero = std::chrono::system_clock::to_time_t(std::chrono::sys_seconds(dateZero()));
    const std::time_t moment = zero + static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (gmtime_r(&moment, &parts) == nullptr) return {};
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "%m/%d/%Y %H:%M", &parts);
    return std::string(text, length);
}
