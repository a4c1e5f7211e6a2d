#pragma once
// Text from a query or a data file on its way into a page: every byte that
// could end an attribute or open a tag becomes an entity.
#include <string>
#include <string_view>

std::string escapeHtml(std::string_view text);

// The text of the program's own HTML: each tag a line break, and the
// references escapeHtml makes back to their characters.
std::string textOfHtml(std::string_view html);
