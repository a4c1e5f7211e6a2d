#pragma once
// SHA-1 digests, as the mzML format states them of a file's bytes: of a
// source file whole, and of its own text up to its checksum.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class Sha1Digest {
public:
    Sha1Digest();
    ~Sha1Digest();
    Sha1Digest(const Sha1Digest&) = delete;
    Sha1Digest& operator=(const Sha1Digest&) = delete;

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
