#include "core/support/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <system_error>

namespace kestrine {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

std::string temporarySuffix() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    const char* digits = "0123456789abcdef";
    std::string s = ".tmp-";
    auto n = rng();
    for (int i = 0; i < 12; ++i, n >>= 4) s += digits[n & 15];
    return s;
}

} // namespace

fs::path resolvedWriteTarget(const fs::path& path) {
    fs::path target = path;
    // As many links as the kernel follows in one path before it reports a loop.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return target;
        std::error_code ec;
        fs::path link = fs::read_symlink(target, ec);
        if (ec) throw fs::filesystem_error("cannot read symbolic link", target, ec);
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    fail("too many levels of symbolic links", path, ELOOP);
}

void writeFileAtomically(const fs::path& path, std::string_view bytes) {
    // Through a link to the file it names, so that a settings file kept elsewhere (a
    // dotfiles folder) is updated there and the link stays.
    const fs::path target = resolvedWriteTarget(path);
    fs::path folder = target.parent_path();
    if (!folder.empty()) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) throw fs::filesystem_error("cannot create folder", folder, ec);
    }
    // A writer killed before its rename leaves its temporary file behind, and a forked
    // process draws the same names as its parent: on a name that is taken, draw another.
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target;
        temporary += temporarySuffix();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) fail("cannot create temporary file", temporary, errno);
    auto abandon = [&](const char* what) {
        int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        fail(what, path, error);
    };
    // The replacement keeps the permissions of the file it replaces (a file the user made
    // private stays private), and its owner and group where the process may set them.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        if (::fchmod(fd, existing.st_mode & 07777) != 0) abandon("cannot set permissions");
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
            [[maybe_unused]] int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
        }
    }
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            abandon("cannot write file");
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) abandon("cannot flush file to disk");
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        fail("cannot close file", path, error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        fail("cannot replace file", path, error);
    }
    // Make the rename itself durable.
    if (!folder.empty()) {
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
}

namespace {

/// Reads `fd` to its end and closes it; more than `maxBytes` fails with EFBIG.
std::string readAndClose(int fd, const fs::path& path, std::size_t maxBytes) {
    std::string out;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            fail("cannot read file", path, error);
        }
        if (n == 0) break;
        if (static_cast<std::size_t>(n) > maxBytes - out.size()) {
            ::close(fd);
            fail("file too large", path, EFBIG);
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

} // namespace

std::string readFile(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("cannot open file", path, errno);
    return readAndClose(fd, path, std::string().max_size());
}

std::optional<std::string> readFileIfExists(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        if (ec && ec != std::errc::no_such_file_or_directory) throw fs::filesystem_error("cannot inspect file", path, ec);
        return std::nullopt;
    }
    return readFile(path);
}

std::optional<std::string> readRegularFileIfExists(const fs::path& path, std::size_t maxBytes) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        fail("cannot open file", path, errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        int error = errno;
        ::close(fd);
        fail("cannot inspect file", path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        fail("not a regular file", path, EINVAL);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        fail("file too large", path, EFBIG);
    }
    return readAndClose(fd, path, maxBytes);
}

} // namespace kestrine
