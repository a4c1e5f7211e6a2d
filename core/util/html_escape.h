#pragma once
// Text from a query or a data file on its way into a page: every byte that
// could end an attribute or open a tag becomes an entity.
#include <string>
#include <string_view>

std::string escapeHtml(std::string_view text);
