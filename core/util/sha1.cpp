#include "core/util/sha1.h"

#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// Without libcrypto's clean-up at exit: threads that hash an export or a
// source file may still be at it when a fatal error ends the process.
bool libcryptoReady() {
    static const bool ready = OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
    return ready;
}

}  // namespace

struct Sha1Digest::State {
    EVP_MD_CTX* context = libcryptoReady() ? EVP_MD_CTX_new() : nullptr;
    bool good = context != nullptr && EVP_DigestInit_ex(context, EVP_sha1(), nullptr) == 1;
    ~State() { EVP_MD_CTX_free(context); }
};

Sha1Digest::Sha1Digest() : state_(std::make_unique<State>()) {}

Sha1Digest::~Sha1Digest() = default;
Sha1Digest::Sha1Digest(Sha1Digest&&) noexcept = default;
Sha1Digest& Sha1Digest::operator=(Sha1Digest&&) noexcept = default;

void Sha1Digest::update(const void* data, std::size_t size) {
    if (state_->good && size > 0) state_->good = EVP_DigestUpdate(state_->context, data, size) == 1;
}

std::optional<std::string> Sha1Digest::hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!state_->good || EVP_DigestFinal_ex(state_->context, digest, &length) != 1) return std::nullopt;
    state_->good = false;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text.push_back(kDigits[digest[i] >> 4]);
        text.push_back(kDigits[digest[i] & 15]);
    }
    return text;
}

std::optional<std::string> sha1OfFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return std::nullopt;
    Sha1Digest digest;
    std::vector<char> block(1 << 20);
    bool read = true;
    for (;;) {
        const ssize_t got = ::read(descriptor, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            read = got == 0;
            break;
        }
        digest.update(block.data(), static_cast<std::size_t>(got));
    }
    ::close(descriptor);
    if (!read) return std::nullopt;
    return digest.hex();
}
