#pragma once
// What the object model's codes mean to the reader.
#include <cstdint>

struct ScanClass {
    std::int32_t msLevel = 0;  // 1, 2, 3, 99 or 0
    bool isSurveyScan = false;
};

// Survey types 0, 8, 15, 16 (level 1); other level-1 types 1, 2, 3, 12;
// MS/MS 4, 6, 9, 11, 14; 5, 7, 10 level 99; 13 level 3; anything else 0.
ScanClass classifyScanType(std::int16_t code);
