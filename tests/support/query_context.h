#pragma once
// An extraction context built in this process from a query text, as the
// start-up builds one, writing to four logs kept in memory. The chemistry
// tables come from the shipped parameter files, which are found from the
// working directory, so the source folder becomes it.
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "core/extractor/extractor_startup.h"
#include "core/extractor/log_sink.h"
#include "core/util/cgi_query.h"

inline void useShippedParameterFiles() {
    if (::chdir(QUARROW_SOURCE_DIR) != 0) throw std::runtime_error("cannot enter " QUARROW_SOURCE_DIR);
}

struct MemoryLogs {
    LogSink parentChargeCheck;
    LogSink rejectReasons;
    LogSink specFeatures;
    LogSink runStats;
    ExtractionLogs logs() { return {&parentChargeCheck, &rejectReasons, &specFeatures, &runStats}; }
};

// The context points into its own logs, so it is neither copied nor moved.
struct QueryContext {
    explicit QueryContext(const std::string& queryText)
        : context((useShippedParameterFiles(), prepareExtraction(parse_query_entry(queryText), logs.logs()))) {}
    QueryContext(const QueryContext&) = delete;
    QueryContext& operator=(const QueryContext&) = delete;

    MemoryLogs logs;
    ExtractionContext context;
};
