#include "web/launcher/progress_page.h"

#include <cstdio>
#include <cstdlib>

#include "web/launcher/html_text.h"

namespace {

// wiffharvest's lines that open the file and begin each sample.
constexpr std::string_view samplesLine = "Wiff file opened. Contains ";
constexpr std::string_view sampleBegins = "Alloted memory for # spectra";

}  // namespace

std::string elapsedText(double seconds) {
    const long whole = seconds > 0 ? static_cast<long>(seconds) : 0;
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    }
    return text;
}

PageHtml ProgressPage::feed(std::string_view bytes, double seconds) { return lines(plain_.feed(bytes), seconds); }

PageHtml ProgressPage::finish(double seconds) { return lines(plain_.finish(), seconds); }

PageHtml ProgressPage::lines(const std::string& plain, double seconds) {
    text_ += plain;
    PageHtml html;
    for (std::size_t at = 0; at < plain.size();) {
        const std::size_t end = plain.find('\n', at);
        const std::string_view line = std::string_view(plain).substr(at, end - at);
        at = end + 1;
        if (samples_ && line.starts_with(samplesLine)) announced_ = std::atoi(line.data() + samplesLine.size());
        if (samples_ && line.starts_with(sampleBegins)) {
            ++begun_;
            const std::string of = announced_ > 0 ? " of " + std::to_string(announced_) : "";
            html += element("h3", {{"class", "sample"}}, PageHtml("Sample " + std::to_string(begun_) + of)) +
                    PageHtml::markup("\n");
        }
        html += element("div", {{"class", "line"}},
                        element("span", {{"class", "at"}}, PageHtml(elapsedText(seconds))) +
                            element("span", {{"class", "text"}}, PageHtml(line))) +
                PageHtml::markup("\n");
    }
    return html;
}
