#pragma once
// The HTML output stream and the pieces of the page the programs write to
// the browser. A normal run writes no page head: only the error page has one.
#include <cstdio>
#include <string_view>

std::FILE* getHtmlStream();          // standard output until replaced
void setHtmlStream(std::FILE* stream);

void writePageHead(std::string_view title);
// Each non-empty line of the text as "%s\n<BR>"; runs of line feeds count as one.
void html_message(std::string_view text);
// The error printer installed by the extractor start-up.
void writeErrorPage(std::string_view text);
