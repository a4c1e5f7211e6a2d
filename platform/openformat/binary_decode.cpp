#include "platform/openformat/binary_decode.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/util/format_text.h"

namespace {

constexpr unsigned char kSkip = 0xFE;
constexpr unsigned char kForeign = 0xFF;

constexpr std::array<unsigned char, 256> makeTable() {
    std::array<unsigned char, 256> table{};
    for (auto& entry : table) entry = kForeign;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i) table[static_cast<unsigned char>(alphabet[i])] = static_cast<unsigned char>(i);
    for (const char space : {' ', '\t', '\r', '\n'}) table[static_cast<unsigned char>(space)] = kSkip;
    return table;
}

constexpr std::array<unsigned char, 256> kTable = makeTable();

struct Decompressor {
    libdeflate_decompressor* handle = libdeflate_alloc_decompressor();
    ~Decompressor() { libdeflate_free_decompressor(handle); }
};

template <typename Bits>
Bits swapBytes(Bits value) {
    if constexpr (sizeof(Bits) == 8) return __builtin_bswap64(value);
    else return __builtin_bswap32(value);
}

template <typename Bits, typename Float>
void convert(const unsigned char* bytes, std::size_t count, ByteOrder order, std::vector<double>& values) {
    values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        Bits raw;
        std::memcpy(&raw, bytes + i * sizeof(Bits), sizeof(Bits));
        if ((order == ByteOrder::big) == (std::endian::native == std::endian::little)) raw = swapBytes(raw);
        values[i] = static_cast<double>(std::bit_cast<Float>(raw));
    }
}

}  // namespace

bool decodeBase64(std::string_view text, std::vector<unsigned char>& bytes) {
    bytes.resize(text.size() / 4 * 3 + 3);
    unsigned char* out = bytes.data();
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::uint32_t group = 0;
    int filled = 0;
    int padding = 0;
    for (std::size_t i = 0; i < size; ++i) {
        // Arrays are mostly long runs of the alphabet: four characters at a
        // time, when all four are of it, as the loop below would take them.
        if (filled == 0 && padding == 0) {
            for (; i + 4 <= size; i += 4) {
                const unsigned a = kTable[in[i]], b = kTable[in[i + 1]], c = kTable[in[i + 2]], d = kTable[in[i + 3]];
                if ((a | b | c | d) >= 64) break;
                const std::uint32_t four = (a << 18) | (b << 12) | (c << 6) | d;
                out[0] = static_cast<unsigned char>(four >> 16);
                out[1] = static_cast<unsigned char>(four >> 8);
                out[2] = static_cast<unsigned char>(four);
                out += 3;
            }
            if (i >= size) break;
        }
        const unsigned char code = kTable[in[i]];
        if (code < 64) {
            if (padding != 0) return false;
            group = (group << 6) | code;
            if (++filled == 4) {
                out[0] = static_cast<unsigned char>(group >> 16);
                out[1] = static_cast<unsigned char>(group >> 8);
                out[2] = static_cast<unsigned char>(group);
                out += 3;
                group = 0;
                filled = 0;
            }
        } else if (code == kSkip) {
            continue;
        } else if (in[i] == '=') {
            if (filled < 2 || ++padding > 4 - filled) return false;
        } else {
            return false;
        }
    }
    if (padding != 0 && filled + padding != 4) return false;
    if (filled == 1) return false;
    if (filled == 2) *out++ = static_cast<unsigned char>(group >> 4);
    if (filled == 3) {
        out[0] = static_cast<unsigned char>(group >> 10);
        out[1] = static_cast<unsigned char>(group >> 2);
        out += 2;
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
    return true;
}

namespace {

// No deflate stream inflates to more than 1032 times its size.
constexpr std::size_t kMostInflation = 1032;

// Inflates `encoded` into `plain`, which may take at most `most` bytes;
// "" on success.
std::string inflate(const std::vector<unsigned char>& encoded, std::size_t most, std::vector<unsigned char>& plain) {
    thread_local Decompressor decompressor;
    plain.resize(std::min(most, encoded.size() * kMostInflation + 64) + 1);  // one spare byte tells a longer stream
    std::size_t got = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress(decompressor.handle, encoded.data(), encoded.size(), plain.data(), plain.size(), &got);
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE) {
        return formatText("its compressed data hold more than the %zu bytes declared", most);
    }
    if (result != LIBDEFLATE_SUCCESS) return "its compressed data are corrupt";
    plain.resize(got);
    return {};
}

}  // namespace

std::string decodeBinaryArray(std::string_view text, const BinaryLayout& layout, std::size_t count,
                              std::vector<double>& values) {
    thread_local std::vector<unsigned char> encoded;
    thread_local std::vector<unsigned char> plain;
    if (!decodeBase64(text, encoded)) return "its base64 text holds characters outside the base64 alphabet or is cut";
    const std::size_t width = static_cast<std::size_t>(layout.bits / 8);
    const bool numpress = layout.numpress != Numpress::none;
    // What `count` values take; checked against what the bytes can hold
    // before anything is made that large.
    const std::size_t expected = numpress ? numpressSize(layout.numpress, count) : count * width;
    if (count > (std::size_t{1} << 40)) return formatText("%zu values declared, more than any spectrum holds", count);
    const std::vector<unsigned char>* bytes = &encoded;
    if (layout.zlib && !(encoded.empty() && count == 0)) {
        if (!numpress && expected > encoded.size() * kMostInflation + 64) {
            return formatText("%zu values declared, but its %zu compressed bytes cannot hold them", count, encoded.size());
        }
        const std::string problem = inflate(encoded, expected, plain);
        if (!problem.empty()) return problem;
        bytes = &plain;
    }
    if (numpress) return decodeNumpress(layout.numpress, bytes->data(), bytes->size(), count, values);
    if (bytes->size() != expected) {
        return formatText("%zu values declared, %zu bytes decoded (%zu expected)", count, bytes->size(), expected);
    }
    if (layout.bits == 64) {
        convert<std::uint64_t, double>(bytes->data(), count, layout.order, values);
    } else {
        convert<std::uint32_t, float>(bytes->data(), count, layout.order, values);
    }
    return {};
}

bool inBase64Alphabet(std::string_view text) {
    for (const char c : text) {
        if (kTable[static_cast<unsigned char>(c)] == kForeign && c != '=') return false;
    }
    return true;
}
