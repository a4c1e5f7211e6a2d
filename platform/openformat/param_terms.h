#pragma once
// The cvParams and userParams of an export's elements, and the
// referenceable parameter groups that elements take theirs from.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/openformat/xml_pull.h"

struct ParamTerm {
    bool user = false;          // a userParam
    std::string accession;      // cvParam only
    std::string name;
    std::string value;
    std::string unitAccession;  // cvParam only
};

using ParamGroups = std::unordered_map<std::string, std::vector<ParamTerm>>;

// The term of a cvParam or userParam tag, its attributes' references
// resolved; nothing when one of them cannot be.
std::optional<ParamTerm> readTerm(const XmlTag& tag);

// An attribute with its references resolved: "" when absent, nothing when
// a reference cannot be resolved.
std::optional<std::string> attributeValue(std::string_view attributes, std::string_view name);

// The value of `tag` as a number, else nothing.
std::optional<double> numberValue(std::string_view text);

// What is wrong with a retention time of `seconds` as no run can have it
// (not finite, negative, beyond ten days), worded to follow "it is"; ""
// when nothing is.
std::string retentionTimeProblem(double seconds);
