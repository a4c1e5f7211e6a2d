#pragma once
// The instrument models of the PSI-MS vocabulary: an instrument
// configuration names its model by one of these terms.
#include <optional>
#include <string>
#include <string_view>

// The vocabulary's name of the model term `accession` ("MS:1000655" gives
// "QSTAR Elite"); nothing for any other term.
std::optional<std::string_view> instrumentModelName(std::string_view accession);
// The model term of the vocabulary's name `name` ("QSTAR Elite" gives
// "MS:1000655"), the same letters in another case after none matched
// exactly; nothing for a name the vocabulary does not know.
std::optional<std::string> instrumentModelAccession(std::string_view name);
