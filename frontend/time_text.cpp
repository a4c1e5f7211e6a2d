#include "frontend/time_text.h"

#include <ctime>

std::string timeText(std::chrono::system_clock::time_point when, TimeStyle style) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    if (style == TimeStyle::isoUtc) {
        gmtime_r(&seconds, &parts);
    } else {
        localtime_r(&seconds, &parts);
    }
    char text[64];
    std::size_t length = 0;
    switch (style) {
        case TimeStyle::isoUtc: length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts); break;
        case TimeStyle::local: length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts); break;
        case TimeStyle::localStamp: length = std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts); break;
    }
    return std::string(text, length);
}
