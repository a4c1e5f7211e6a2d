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
    // Opens the export and passes its whole text to `block` in order, one
    // large block at a time. Throws ExportReadError naming the file.
    ExportText(const std::string& path, const std::function<void(std::string_view)>& block);
    ~ExportText();
    ExportText(const ExportText&) = delete;
    ExportText& operator=(const ExportText&) = delete;

    std::uint64_t size() const { return size_; }
    // The `length` bytes at `offset` into `text`; throws when they cannot be read.
    void read(std::uint64_t offset, std::size_t length, std::string& text) const;

private:
    std::string path_;
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
};
