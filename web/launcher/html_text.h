#pragma once
// The launcher's pages are built from PageHtml pieces, as the programs'
// pages are: a text is escaped when it becomes a piece, and only the element
// and attribute names written in the launcher's code are markup. A URL is
// percent-encoded where it is made (cgi_query.h) and escaped here like any
// other attribute value.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/html_page.h"

struct Attribute {
    std::string_view name;
    std::optional<std::string> value;  // text; none for a boolean attribute ("selected")
};
using Attributes = std::vector<Attribute>;

PageHtml element(std::string_view name, const Attributes& attributes, const PageHtml& content);
PageHtml element(std::string_view name, const PageHtml& content);
// An element without content or end tag: input, meta, link.
PageHtml emptyElement(std::string_view name, const Attributes& attributes);
PageHtml link(const std::string& url, const PageHtml& content, const Attributes& more = {});
