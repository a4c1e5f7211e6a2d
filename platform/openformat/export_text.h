#pragma once
// The text of an export, read in large blocks: a plain file as it is, a
// gzip-compressed one inflated once into an unnamed temporary file, so that
// single spectra can be read again later at their offsets without holding
// the run in memory.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class ExportText {
public:
    // Opens the export; throws ExportReadError naming the file.
    explicit ExportText(const std::string& path);
    ~ExportText();
    ExportText(const ExportText&) = delete;
    ExportText& operator=(const ExportText&) = delete;

    // Passes the whole text to `block` in order, one large block at a time;
    // once a block is passed, `descriptor()` reads it too. Called once.
    void readAll(const std::function<void(std::string_view)>& block);
    // The text read so far (all of it after `readAll`).
    std::uint64_t size() const { return size_; }
    int descriptor() const { return descriptor_; }
    // The `length` bytes at `offset` into `text`; throws when they cannot be read.
    void read(std::uint64_t offset, std::size_t length, std::string& text) const;

private:
    std::string path_;
    int descriptor_ = -1;
    void* compressed_ = nullptr;  // the gzip stream until it is inflated
    std::uint64_t size_ = 0;
};
