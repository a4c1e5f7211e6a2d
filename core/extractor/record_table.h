#pragma once
// The table of one run (or one sample): one record per survey scan or MS/MS
// spectrum, in acquisition order, record i holding scan number i + 1. The
// reader fills it; every later stage walks it and updates records in place.
#include <cstdint>
#include <vector>

template <class Record>
struct RecordTable {
    std::vector<Record> records;
    // Set by the reader once it knows that no record has MS level 1; the
    // stages that read survey scans are skipped then.
    bool noMSscans = false;

    std::int32_t size() const { return static_cast<std::int32_t>(records.size()); }
    Record& operator[](std::int32_t index) { return records[static_cast<std::size_t>(index)]; }
    const Record& operator[](std::int32_t index) const { return records[static_cast<std::size_t>(index)]; }
};
