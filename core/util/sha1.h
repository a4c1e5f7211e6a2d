#pragma once
// SHA-1 digests, as the mzML format states them of a file's bytes: of an
// export's text up to its checksum, of a source file whole. libcrypto picks
// the processor's SHA instructions where there are any.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class Sha1Digest {
public:
    Sha1Digest();
    ~Sha1Digest();
    Sha1Digest(Sha1Digest&&) noexcept;
    Sha1Digest& operator=(Sha1Digest&&) noexcept;

    void update(const void* data, std::size_t size);
    // The digest of everything given, lowercase hexadecimal (40 digits);
    // nothing when the library failed. Ends the digest.
    std::optional<std::string> hex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The digest of the file at `path`; nothing when it cannot be read whole.
std::optional<std::string> sha1OfFile(const std::string& path);
