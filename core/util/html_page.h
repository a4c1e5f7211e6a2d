#pragma once
// The HTML output stream and the pieces of the page the programs write to
// the browser. A normal run writes no page head: only the error page has one.
//
// Text reaches a page only through these writers, and they escape it: a
// path, a query value or what a data file says can never become markup.
// The programs' own markup ("<BR>", "<P>") goes in through the one explicit
// call, PageHtml::markup.
#include <cstdio>
#include <string>
#include <string_view>

class PageHtml {
public:
    PageHtml() = default;
    // Text, escaped.
    explicit PageHtml(std::string_view text);
    // The program's own markup, as it is.
    static PageHtml markup(std::string_view html);

    PageHtml& operator+=(const PageHtml& more) {
        html_ += more.html_;
        return *this;
    }
    friend PageHtml operator+(PageHtml first, const PageHtml& second) { return first += second; }
    const std::string& html() const { return html_; }

private:
    std::string html_;
};

std::FILE* getHtmlStream();          // standard output until replaced
void setHtmlStream(std::FILE* stream);

void writePageHead(std::string_view title);
// Each non-empty line as "%s\n<BR>"; runs of line feeds count as one.
void html_message(const PageHtml& message);
void html_message(std::string_view text);
// The error printer installed by the extractor start-up.
void writeErrorPage(const PageHtml& message);
// A progress line for the browser, on standard output, flushed at once.
void printProgress(const PageHtml& line);
