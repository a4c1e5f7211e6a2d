#include "wiffharvest/scan_types.h"

ScanClass classifyScanType(std::int16_t code) {
    switch (code) {
        case 0: case 8: case 15: case 16: return {1, 1};
        case 1: case 2: case 3: case 12: return {1, 0};
        case 4: case 6: case 9: case 11: case 14: return {2, 0};
        case 5: case 7: case 10: return {99, 0};
        case 13: return {3, 0};
        default: return {0, 0};
    }
}
