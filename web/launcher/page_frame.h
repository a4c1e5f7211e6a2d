#pragma once
// The frame of every page the launcher writes, with the same two style
// sheets as the programs' own pages, and the CGI response header before it.
#include <string>
#include <string_view>

#include "core/util/html_page.h"

// "Content-Type: text/html", after a "Status:" line unless the status is 200.
std::string htmlHeader(int status = 200);

PageHtml pageStart(std::string_view title);
PageHtml pageEnd();

// A complete response that only says why a request is not carried out, and
// what the user may do next (`next`, a paragraph's content, when not empty).
std::string errorResponse(int status, std::string_view title, std::string_view reason,
                          const PageHtml& next = PageHtml());
