#include "platform/openformat/export_checksum.h"

#include <cpuid.h>
#include <immintrin.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// The checksum element lies near the end, so the last bytes seen are kept
// back until the end is known; a checksum placed before them is computed
// afresh from the start.
constexpr std::uint64_t kHeldBack = 1 << 16;
constexpr std::size_t kChunk = 1 << 20;

using Sha1State = std::array<std::uint32_t, 5>;

std::uint32_t rotate(std::uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

void compressPortably(Sha1State& state, const unsigned char* block) {
    std::array<std::uint32_t, 80> w{};
    for (int i = 0; i < 16; ++i) {
        w[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 | static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
               static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
    }
    for (int i = 16; i < 80; ++i) w[i] = rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        std::uint32_t f = 0, k = 0;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const std::uint32_t next = rotate(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = rotate(b, 30);
        b = a;
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

// The processor's SHA instructions do the 80 rounds four at a time: about
// five times the portable speed, which keeps the checksum of a large
// export off the reading's critical path.
__attribute__((target("sha,sse4.1,ssse3"))) void compressWithShaInstructions(Sha1State& state,
                                                                              const unsigned char* block) {
    const __m128i byteOrder = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state.data())), 0x1B);
    const __m128i abcdBefore = abcd;
    const __m128i eBefore = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
    __m128i message[4];
    __m128i e[2] = {eBefore, _mm_setzero_si128()};
    for (int i = 0; i < 4; ++i) {
        message[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i)), byteOrder);
    }
    // Group g runs rounds 4g to 4g + 3 on message word group g % 4 while the
    // schedule prepares the groups after it.
    e[0] = _mm_add_epi32(e[0], message[0]);
    e[1] = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e[0], 0);
#pragma GCC unroll 20
    for (int g = 1; g < 20; ++g) {
        const __m128i words = message[g % 4];
        __m128i& current = e[g % 2];
        current = _mm_sha1nexte_epu32(current, words);
        e[(g + 1) % 2] = abcd;
        if (g >= 3 && g <= 18) {
            __m128i& next = message[(g + 1) % 4];
            next = _mm_sha1msg2_epu32(next, words);
        }
        switch (g / 5) {  // the round function takes an immediate
            case 0: abcd = _mm_sha1rnds4_epu32(abcd, current, 0); break;
            case 1: abcd = _mm_sha1rnds4_epu32(abcd, current, 1); break;
            case 2: abcd = _mm_sha1rnds4_epu32(abcd, current, 2); break;
            default: abcd = _mm_sha1rnds4_epu32(abcd, current, 3); break;
        }
        if (g <= 16) {
            __m128i& later = message[(g + 3) % 4];
            later = _mm_sha1msg1_epu32(later, words);
        }
        if (g >= 2 && g <= 17) {
            __m128i& after = message[(g + 2) % 4];
            after = _mm_xor_si128(after, words);
        }
    }
    e[0] = _mm_sha1nexte_epu32(e[0], eBefore);
    abcd = _mm_add_epi32(abcd, abcdBefore);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state.data()), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e[0], 3));
}

bool processorHasShaInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_SSSE3) == 0 || (c & bit_SSE4_1) == 0) return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (b & bit_SHA) != 0;
}

}  // namespace

void sha1Compress(std::array<std::uint32_t, 5>& state, const unsigned char* block, bool useShaInstructions) {
    if (useShaInstructions) {
        compressWithShaInstructions(state, block);
    } else {
        compressPortably(state, block);
    }
}

bool sha1InstructionsAvailable() {
    static const bool available = processorHasShaInstructions();
    return available;
}

namespace {

// SHA-1 (FIPS 180-4), fed in pieces.
class Sha1 {
public:
    void update(const unsigned char* data, std::size_t size) {
        length_ += size;
        while (size > 0) {
            const std::size_t take = std::min(size, block_.size() - filled_);
            std::memcpy(block_.data() + filled_, data, take);
            filled_ += take;
            data += take;
            size -= take;
            if (filled_ == block_.size()) {
                compress(block_.data());
                filled_ = 0;
            }
        }
    }

    std::string hex() {
        const std::uint64_t bits = length_ * 8;
        const unsigned char one = 0x80;
        update(&one, 1);
        const unsigned char zero = 0;
        while (filled_ != 56) update(&zero, 1);
        unsigned char tail[8];
        for (int i = 0; i < 8; ++i) tail[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
        update(tail, 8);
        static constexpr char digits[] = "0123456789abcdef";
        std::string text;
        for (const std::uint32_t word : state_) {
            for (int shift = 28; shift >= 0; shift -= 4) text += digits[(word >> shift) & 0xF];
        }
        return text;
    }

private:
    void compress(const unsigned char* block) { sha1Compress(state_, block, sha1InstructionsAvailable()); }

    std::array<std::uint32_t, 5> state_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::array<unsigned char, 64> block_{};
    std::size_t filled_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace

ExportChecksum::ExportChecksum(int descriptor) : descriptor_(descriptor), worker_([this] { run(); }) {}

ExportChecksum::~ExportChecksum() {
    finish(0);
    worker_.join();
}

void ExportChecksum::available(std::uint64_t bytes) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        available_ = bytes;
    }
    changed_.notify_all();
}

void ExportChecksum::finish(std::uint64_t limit) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (finished_) return;
        finished_ = true;
        limit_ = limit;
    }
    changed_.notify_all();
}

std::string ExportChecksum::hex() {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return done_; });
    return hex_;
}

void ExportChecksum::run() {
    Sha1 sha;
    bool readable = true;
    std::vector<unsigned char> buffer(kChunk);
    std::uint64_t hashed = 0;
    for (;;) {
        std::uint64_t target = 0;
        bool last = false;
        {
            std::unique_lock<std::mutex> guard(lock_);
            changed_.wait(guard, [&] { return finished_ || available_ >= hashed + kHeldBack + kChunk; });
            last = finished_;
            target = last ? limit_ : available_ - kHeldBack;
        }
        if (target < hashed) {
            sha = Sha1();
            hashed = 0;
        }
        while (readable && hashed < target) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, target - hashed));
            const ssize_t got = ::pread(descriptor_, buffer.data(), want, static_cast<off_t>(hashed));
            readable = got > 0;
            if (!readable) break;
            sha.update(buffer.data(), static_cast<std::size_t>(got));
            hashed += static_cast<std::uint64_t>(got);
        }
        if (last) break;
    }
    std::string hex = readable ? sha.hex() : std::string();
    {
        const std::lock_guard<std::mutex> guard(lock_);
        hex_ = std::move(hex);
        done_ = true;
    }
    changed_.notify_all();
}
