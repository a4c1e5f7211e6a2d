#include "core/util/html_page.h"

#include <string>

#include "core/util/html_escape.h"
#include "core/util/tokenizer.h"

namespace {
std::FILE* htmlStream = nullptr;
}

PageHtml::PageHtml(std::string_view text) : html_(escapeHtml(text)) {}

PageHtml PageHtml::markup(std::string_view html) {
    PageHtml page;
    page.html_ = html;
    return page;
}

std::FILE* getHtmlStream() { return htmlStream != nullptr ? htmlStream : stdout; }

void setHtmlStream(std::FILE* stream) { htmlStream = stream; }

void writePageHead(std::string_view title) {
    std::FILE* out = getHtmlStream();
    const std::string titleText = escapeHtml(title);
    std::fprintf(out, "\n<html>");
    std::fprintf(out, "\n<head>");
    std::fprintf(out, "\n<TITLE>Velmora Quarrow - %s</TITLE>", titleText.c_str());
    std::fprintf(out, "\n<link rel=%s href=%s type=%s  %s>", "\"stylesheet\"",
                 "\"/quarrowhtml/vqrforms.css\"", "\"text/css\"", "/");
    std::fprintf(out, "\n<link rel=%s href=%s type=%s  media=%s %s>", "\"stylesheet\"",
                 "\"/quarrowhtml/vqrsumprint.css\"", "\"text/css\"", "\"print\"", "/");
    std::fprintf(out, "\n</head>");
    std::fprintf(out, "\n<BODY Id=%s >", "\"ResRev\"");
    if (!titleText.empty()) std::fprintf(out, "\n<H2 ALIGN=center >%s</H2><HR />", titleText.c_str());
}

void html_message(const PageHtml& message) {
    std::FILE* out = getHtmlStream();
    Tokenizer lines(message.html(), "\n");
    for (std::string_view line; lines.next(line);) {
        const std::string lineText(line);
        std::fprintf(out, "%s\n<BR>", lineText.c_str());
    }
}

void html_message(std::string_view text) { html_message(PageHtml(text)); }

void writeErrorPage(const PageHtml& message) {
    writePageHead("Error Message");
    html_message(message);
    std::fprintf(getHtmlStream(), "</BODY>");
}

void printProgress(const PageHtml& line) {
    std::fwrite(line.html().data(), 1, line.html().size(), stdout);
    std::fflush(stdout);
}
