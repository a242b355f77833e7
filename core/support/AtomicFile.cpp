#include "core/support/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
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

void writeFileAtomically(const fs::path& path, std::string_view bytes) {
    fs::path folder = path.parent_path();
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
        temporary = path;
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
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
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

std::string readFile(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("cannot open file", path, errno);
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
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

std::optional<std::string> readFileIfExists(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        if (ec && ec != std::errc::no_such_file_or_directory) throw fs::filesystem_error("cannot inspect file", path, ec);
        return std::nullopt;
    }
    return readFile(path);
}

} // namespace kestrine
