#pragma once
// The program's output as the run page shows it, line by line as it comes:
// plain lines (the program's markup, and an error page of its own, reduced
// to their sentences), each with the time since the start, and for a .wiff
// file a heading where each of its samples begins.
#include <string>
#include <string_view>

#include "core/util/html_page.h"
#include "frontend/plain_progress.h"

class ProgressPage {
public:
    explicit ProgressPage(bool samplesOfAWiffFile) : samples_(samplesOfAWiffFile) {}

    // The lines these bytes complete; `seconds` since the program started.
    PageHtml feed(std::string_view bytes, double seconds);
    // What is left when the output has ended.
    PageHtml finish(double seconds);
    // Every line so far, each ending in "\n".
    const std::string& plainText() const { return text_; }

private:
    PageHtml lines(const std::string& plain, double seconds);

    PlainProgress plain_;
    std::string text_;
    bool samples_;
    int announced_ = 0;  // "Contains N samples"
    int begun_ = 0;
};

// "0:07", "12:30", "1:02:03".
std::string elapsedText(double seconds);
