#include "platform/openformat/numpress.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/util/format_text.h"

namespace {

// The fixed point leads linear and slof data, as the 8 bytes of a
// big-endian double.
double fixedPoint(const unsigned char* bytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | bytes[i];
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Half bytes, high half first.
class HalfBytes {
public:
    HalfBytes(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
    std::size_t left() const { return 2 * size_ - position_; }
    unsigned next() {
        const unsigned char byte = bytes_[position_ / 2];
        const unsigned half = (position_ % 2 == 0) ? byte >> 4 : byte & 0xF;
        ++position_;
        return half;
    }
    // The encoder pads an odd number of half bytes with one zero half.
    bool onlyPaddingLeft() const { return left() == 1 && (bytes_[size_ - 1] & 0xF) == 0; }

    // One integer: a head half byte n (0-8) followed by 8 - n halves,
    // least significant first, the n top halves being zero; a head of 9-15
    // means n - 8 top halves of ones.
    bool integer(std::uint32_t& value) {
        const unsigned head = next();
        std::size_t n = head;
        value = 0;
        if (head > 8) {
            n = head - 8;
            for (std::size_t i = 0; i < n; ++i) value |= 0xF0000000U >> (4 * i);
        }
        if (left() < 8 - n) return false;
        for (std::size_t i = n; i < 8; ++i) value |= static_cast<std::uint32_t>(next()) << (4 * (i - n));
        return true;
    }

private:
    const unsigned char* bytes_;
    std::size_t size_;
    std::size_t position_ = 0;
};

std::int64_t littleEndian32(const unsigned char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[i];
    return static_cast<std::int32_t>(value);
}

std::string countMismatch(std::size_t count, const char* more) {
    return formatText("its numpress data hold %s than the %zu values declared", more, count);
}

std::string decodeLinear(const unsigned char* bytes, std::size_t size, std::size_t count, std::vector<double>& values) {
    if (size < 8) return "its numpress data are cut";
    const double fixed = fixedPoint(bytes);
    const std::size_t leading = size >= 16 ? 2 : (size >= 12 ? 1 : 0);
    if (size != 8 && size != 12 && size < 16) return "its numpress data are cut";
    if (count < leading) return countMismatch(count, "more");
    values.clear();
    values.reserve(count);
    std::int64_t previous = 0;
    std::int64_t current = 0;
    if (leading >= 1) {
        current = littleEndian32(bytes + 8);
        values.push_back(static_cast<double>(current) / fixed);
    }
    if (leading == 2) {
        previous = current;
        current = littleEndian32(bytes + 12);
        values.push_back(static_cast<double>(current) / fixed);
    }
    if (size > 16) {
        HalfBytes halves(bytes + 16, size - 16);
        while (halves.left() > 0 && !halves.onlyPaddingLeft()) {
            if (values.size() == count) return countMismatch(count, "more");
            std::uint32_t difference = 0;
            if (!halves.integer(difference)) return "its numpress data are cut";
            const std::int64_t next = 2 * current - previous + static_cast<std::int32_t>(difference);
            values.push_back(static_cast<double>(next) / fixed);
            previous = current;
            current = next;
        }
    }
    if (values.size() != count) return countMismatch(count, "fewer");
    return {};
}

std::string decodePic(const unsigned char* bytes, std::size_t size, std::size_t count, std::vector<double>& values) {
    values.clear();
    values.reserve(count);
    HalfBytes halves(bytes, size);
    while (halves.left() > 0 && !halves.onlyPaddingLeft()) {
        if (values.size() == count) return countMismatch(count, "more");
        std::uint32_t value = 0;
        if (!halves.integer(value)) return "its numpress data are cut";
        values.push_back(static_cast<double>(value));
    }
    if (values.size() != count) return countMismatch(count, "fewer");
    return {};
}

std::string decodeSlof(const unsigned char* bytes, std::size_t size, std::size_t count, std::vector<double>& values) {
    if (size < 8 || (size - 8) % 2 != 0) return "its numpress data are cut";
    if ((size - 8) / 2 != count) return countMismatch(count, (size - 8) / 2 > count ? "more" : "fewer");
    const double fixed = fixedPoint(bytes);
    values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned stored = bytes[8 + 2 * i] | (static_cast<unsigned>(bytes[9 + 2 * i]) << 8);
        values[i] = std::exp(stored / fixed) - 1;
    }
    return {};
}

}  // namespace

std::size_t numpressCapacity(Numpress coding, std::size_t bytes) {
    switch (coding) {
        case Numpress::linear: return bytes < 16 ? (bytes >= 12 ? 1 : 0) : 2 + 2 * (bytes - 16);
        case Numpress::pic: return 2 * bytes;
        case Numpress::slof: return bytes < 8 ? 0 : (bytes - 8) / 2;
        case Numpress::none: break;
    }
    return 0;
}

std::size_t numpressSize(Numpress coding, std::size_t count) {
    switch (coding) {
        case Numpress::linear: return 16 + (9 * count + 1) / 2;
        case Numpress::pic: return (9 * count + 1) / 2;
        case Numpress::slof: return 8 + 2 * count;
        case Numpress::none: break;
    }
    return 0;
}

std::string decodeNumpress(Numpress coding, const unsigned char* bytes, std::size_t size, std::size_t count,
                           std::vector<double>& values) {
    if (size == 0 && count == 0) {
        values.clear();
        return {};
    }
    if (numpressCapacity(coding, size) < count) {
        return formatText("%zu values declared, but its %zu bytes of numpress data hold at most %zu", count, size,
                          numpressCapacity(coding, size));
    }
    switch (coding) {
        case Numpress::linear: return decodeLinear(bytes, size, count, values);
        case Numpress::pic: return decodePic(bytes, size, count, values);
        case Numpress::slof: return decodeSlof(bytes, size, count, values);
        case Numpress::none: break;
    }
    return "it names no numpress coding";
}
