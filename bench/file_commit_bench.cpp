// What committing thousands of small files costs, by way of making them:
// the same peak-list-sized files written into a fresh folder, on one thread
// and on two, each way atomic (a file never stands under its name half
// written) except the last, which is the floor of writing the bytes at all.
//   file_commit_bench FOLDER [FILES] [BYTES]
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Way {
    const char* name;
    // Makes file `name` in `folder` (whose descriptor is `dir`) with `bytes`.
    std::function<bool(const std::string& folder, int dir, const std::string& name, const std::string& bytes)> make;
};

bool writeAll(int fd, const std::string& bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::string temporaryName(const std::string& name) {
    static std::atomic<unsigned> made{0};
    return name + "." + std::to_string(::getpid()) + "-" + std::to_string(made++) + ".tmp";
}

const std::vector<Way> ways = {
    {"stdio, temporary name, rename",
     [](const std::string& folder, int, const std::string& name, const std::string& bytes) {
         const std::string temporary = folder + "/" + temporaryName(name);
         std::FILE* file = std::fopen(temporary.c_str(), "w");
         if (file == nullptr) return false;
         // The header and the peak lines as the writers hand them over.
         std::fwrite(bytes.data(), 1, 24, file);
         std::fwrite(bytes.data() + 24, 1, bytes.size() - 24, file);
         return std::fclose(file) == 0 && std::rename(temporary.c_str(), (folder + "/" + name).c_str()) == 0;
     }},
    {"one write, temporary name, rename",
     [](const std::string& folder, int, const std::string& name, const std::string& bytes) {
         const std::string temporary = folder + "/" + temporaryName(name);
         const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
         if (fd < 0) return false;
         const bool written = writeAll(fd, bytes);
         return (::close(fd) == 0) && written && std::rename(temporary.c_str(), (folder + "/" + name).c_str()) == 0;
     }},
    {"one write, names relative to the folder",
     [](const std::string&, int dir, const std::string& name, const std::string& bytes) {
         const std::string temporary = temporaryName(name);
         const int fd = ::openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
         if (fd < 0) return false;
         const bool written = writeAll(fd, bytes);
         return (::close(fd) == 0) && written && ::renameat(dir, temporary.c_str(), dir, name.c_str()) == 0;
     }},
    {"unnamed file linked in (O_TMPFILE, linkat)",
     [](const std::string&, int dir, const std::string& name, const std::string& bytes) {
         const int fd = ::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
         if (fd < 0) return false;
         const bool written = writeAll(fd, bytes);
         // A file of that name already there is not replaced by linkat.
         const std::string self = "/proc/self/fd/" + std::to_string(fd);
         const bool linked = written && ::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
         return (::close(fd) == 0) && linked;
     }},
    {"not atomic: written under its name",
     [](const std::string&, int dir, const std::string& name, const std::string& bytes) {
         const int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
         if (fd < 0) return false;
         const bool written = writeAll(fd, bytes);
         return (::close(fd) == 0) && written;
     }},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: file_commit_bench FOLDER [FILES] [BYTES]\n");
        return 2;
    }
    const std::string base = argv[1];
    const int files = argc > 2 ? std::atoi(argv[2]) : 20000;
    const std::size_t size = argc > 3 ? static_cast<std::size_t>(std::atoi(argv[3])) : 4000;
    std::string bytes(size, '7');
    for (std::size_t i = 24; i < size; i += 14) bytes[i] = '\n';
    std::printf("%d files of %zu bytes in %s (microseconds per file)\n", files, size, base.c_str());
    for (const Way& way : ways) {
        for (const int threads : {1, 2}) {
            const std::string folder = base + "/commit-bench";
            std::filesystem::remove_all(folder);
            std::filesystem::create_directory(folder);
            const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            std::atomic<int> next{0};
            std::atomic<int> failed{0};
            const auto start = std::chrono::steady_clock::now();
            const auto work = [&] {
                for (int i = next++; i < files; i = next++) {
                    if (!way.make(folder, dir, "run." + std::to_string(10000 + i) + ".2.pkl", bytes)) ++failed;
                }
            };
            std::vector<std::thread> helpers;
            for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
            work();
            for (std::thread& helper : helpers) helper.join();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            ::close(dir);
            std::printf("  %-44s %d thread%s: %6.1f%s\n", way.name, threads, threads == 1 ? " " : "s",
                        seconds * 1e6 / files, failed != 0 ? " (failures: not available here)" : "");
        }
    }
    std::filesystem::remove_all(base + "/commit-bench");
    return 0;
}
