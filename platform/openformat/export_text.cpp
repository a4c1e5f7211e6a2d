#include "platform/openformat/export_text.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/util/format_text.h"
#include "core/util/text_path.h"
#include "platform/openformat/export_types.h"

namespace {

constexpr std::size_t kBlock = 4 << 20;

int temporaryFile(const std::string& path) {
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    if (error) folder = "/tmp";
    std::string name = folder + "/quarrow-export-XXXXXX";
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        throw ExportReadError(formatText("The export %s cannot be inflated: no temporary file (%s).", path.c_str(),
                                         std::strerror(errno)));
    }
    unlink(name.c_str());
    return descriptor;
}

void writeAll(int descriptor, const char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written <= 0) {
            throw ExportReadError(formatText("The export %s cannot be inflated: the temporary file cannot be written (%s).",
                                             path.c_str(), std::strerror(errno)));
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

}  // namespace

ExportText::ExportText(const std::string& path) : path_(path) {
    if (!endsWithIgnoringCase(path, ".gz")) {
        descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor_ < 0) throw ExportReadError(formatText("The export %s cannot be opened.", path.c_str()));
        posix_fadvise(descriptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
        return;
    }
    compressed_ = gzopen(path.c_str(), "rb");
    if (compressed_ == nullptr) throw ExportReadError(formatText("The export %s cannot be opened.", path.c_str()));
    gzbuffer(static_cast<gzFile>(compressed_), 1 << 20);
    try {
        descriptor_ = temporaryFile(path);
    } catch (...) {
        gzclose(static_cast<gzFile>(compressed_));
        throw;
    }
}

void ExportText::readAll(const std::function<void(std::string_view)>& block) {
    std::vector<char> buffer(kBlock);
    if (compressed_ == nullptr) {
        for (;;) {
            const ssize_t got = ::pread(descriptor_, buffer.data(), buffer.size(), static_cast<off_t>(size_));
            if (got < 0) {
                throw ExportReadError(formatText("The export %s cannot be read: %s.", path_.c_str(), std::strerror(errno)));
            }
            if (got == 0) break;
            size_ += static_cast<std::uint64_t>(got);
            block(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        }
        return;
    }
    const gzFile file = static_cast<gzFile>(compressed_);
    compressed_ = nullptr;
    int got = 0;
    try {
        while ((got = gzread(file, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
            writeAll(descriptor_, buffer.data(), static_cast<std::size_t>(got), path_);
            size_ += static_cast<std::uint64_t>(got);
            block(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        }
    } catch (...) {
        gzclose(file);
        throw;
    }
    int status = Z_OK;
    const char* message = gzerror(file, &status);
    const bool failed = got < 0 || (status != Z_OK && status != Z_STREAM_END);
    const std::string reason = failed && message != nullptr ? message : "";
    gzclose(file);
    if (failed) {
        throw ExportReadError(formatText("The export %s is damaged: its compressed data end early or are corrupt (%s).",
                                         path_.c_str(), reason.c_str()));
    }
}

ExportText::~ExportText() {
    if (compressed_ != nullptr) gzclose(static_cast<gzFile>(compressed_));
    if (descriptor_ >= 0) ::close(descriptor_);
}

void ExportText::read(std::uint64_t offset, std::size_t length, std::string& text) const {
    text.resize(length);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(descriptor_, text.data() + done, length - done, static_cast<off_t>(offset + done));
        if (got <= 0) {
            throw ExportReadError(formatText("The export %s cannot be read at byte %llu.", path_.c_str(),
                                             static_cast<unsigned long long>(offset + done)));
        }
        done += static_cast<std::size_t>(got);
    }
}
