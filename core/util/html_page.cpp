#include "core/util/html_page.h"

#include <string>

#include "core/util/tokenizer.h"

namespace {
std::FILE* htmlStream = nullptr;
}

std::FILE* getHtmlStream() { return htmlStream != nullptr ? htmlStream : stdout; }

void setHtmlStream(std::FILE* stream) { htmlStream = stream; }

void writePageHead(std::string_view title) {
    std::FILE* out = getHtmlStream();
    const std::string titleText(title);
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

void html_message(std::string_view text) {
    std::FILE* out = getHtmlStream();
    Tokenizer lines(text, "\n");
    for (std::string_view line; lines.next(line);) {
        const std::string lineText(line);
        std::fprintf(out, "%s\n<BR>", lineText.c_str());
    }
}

void writeErrorPage(std::string_view text) {
    writePageHead("Error Message");
    html_message(text);
    std::fprintf(getHtmlStream(), "</BODY>");
}
