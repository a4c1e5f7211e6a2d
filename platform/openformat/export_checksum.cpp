#include "platform/openformat/export_checksum.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "core/util/sha1.h"

namespace {

// The checksum element lies near the end, so the last bytes seen are kept
// back until the end is known; a checksum placed before them is computed
// afresh from the start.
constexpr std::uint64_t kHeldBack = 1 << 16;
constexpr std::size_t kChunk = 1 << 20;

}  // namespace

ExportChecksum::ExportChecksum(int descriptor) : descriptor_(descriptor) {
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
    Sha1Digest sha;
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
            sha = Sha1Digest();
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
    std::string hex = readable ? sha.hex().value_or("") : std::string();
    {
        const std::lock_guard<std::mutex> guard(lock_);
        hex_ = std::move(hex);
        done_ = true;
    }
    changed_.notify_all();
}
