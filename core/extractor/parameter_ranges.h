#pragma once
// The reader converts leniently and never rejects; the start-up then refuses
// a query whose value would make a stage loop for ever, overflow or compute
// nonsense. The ranges are those of the key table.
#include <optional>
#include <string>
#include <vector>

#include "core/extractor/extractor_parameters.h"
#include "core/util/cgi_query.h"

// The message for the first key (in the table's order) whose last
// occurrence in the query left its field outside the range; nothing when
// every key given fits. A key the query does not give keeps its default.
std::optional<std::string> findRangeViolation(const std::vector<QueryEntry>& entries,
                                              const ExtractorParameters& parameters);

// The message for the first window of the key table (keyOrders) whose lower
// key's value lies above its upper key's in `parameters`; nothing when every
// window takes something. The front ends refuse such a query; the programs
// run it (their reject rows say why nothing is written).
std::optional<std::string> findOrderViolation(const std::vector<QueryEntry>& entries,
                                              const ExtractorParameters& parameters);

// Ends the process through the fatal-error path on a violation.
void checkParameterRanges(const std::vector<QueryEntry>& entries, const ExtractorParameters& parameters);
