#include "platform/openformat/export_checksum.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The checksum element lies near the end, so the last bytes seen are kept
// back until the end is known; a checksum placed before them is computed
// afresh from the start.
constexpr std::uint64_t kHeldBack = 1 << 16;
constexpr std::size_t kChunk = 1 << 20;

// SHA-1 fed in pieces; libcrypto picks the processor's SHA instructions
// where there are any, which keeps the checksum of a large export off the
// reading's critical path.
class Sha1 {
public:
    Sha1() : context_(EVP_MD_CTX_new()) {
        ok_ = context_ && EVP_DigestInit_ex(context_.get(), EVP_sha1(), nullptr) == 1;
    }

    void update(const unsigned char* data, std::size_t size) {
        ok_ = ok_ && EVP_DigestUpdate(context_.get(), data, size) == 1;
    }

    // Lowercase hexadecimal; "" when the library failed.
    std::string hex() {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (!ok_ || EVP_DigestFinal_ex(context_.get(), digest, &length) != 1) return {};
        static constexpr char digits[] = "0123456789abcdef";
        std::string text;
        for (unsigned int i = 0; i < length; ++i) {
            text += digits[digest[i] >> 4];
            text += digits[digest[i] & 0xF];
        }
        return text;
    }

private:
    struct Free {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> context_;
    bool ok_ = false;
};

}  // namespace

// Without its clean-up at exit: the opened exports, and the threads that
// hash them, may outlive it there.
ExportChecksum::ExportChecksum(int descriptor) : descriptor_(descriptor) {
    static const bool initialised = OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
    (void)initialised;
    worker_ = std::thread([this] { run(); });
}

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
