#include "core/plist/PlistScreen.h"

#include <cstdint>
#include <algorithm>
#include <vector>

namespace kestrine::plist {
namespace {

// What the general parser must not be given: it aborts the process on strings holding
// U+0000 and overflows the stack on very deep nesting. Such files are unreadable.

// Far deeper than any property list worth reading, far shallower than what overflows.
constexpr int kMaxGeneralDepth = 1024;

bool xmlIsSafe(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) return false;
    // Element nesting, counted loosely: every start tag opens a level unless it closes
    // itself, every end tag closes one. Counting too much only makes this stricter.
    int depth = 0;
    for (std::size_t at = bytes.find('<'); at != std::string_view::npos; at = bytes.find('<', at + 1)) {
        if (at + 1 >= bytes.size()) break;
        char next = bytes[at + 1];
        if (next == '/') {
            --depth;
        } else if (next != '?' && next != '!') {
            auto close = bytes.find('>', at);
            if (close == std::string_view::npos) break;
            if (bytes[close - 1] != '/' && ++depth > kMaxGeneralDepth) return false;
        }
    }
    return true;
}

class BinaryScreen {
public:
    explicit BinaryScreen(std::string_view bytes)
        : data_(reinterpret_cast<const std::uint8_t*>(bytes.data())), size_(bytes.size()) {}

    bool safe() {
        if (size_ < 8 + 32) return false;
        const std::uint8_t* trailer = data_ + size_ - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = read(trailer + 8, 8);
        const std::uint64_t top = read(trailer + 16, 8);
        table_ = read(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
        const std::uint64_t tableEnd = size_ - 32;
        if (count_ == 0 || count_ > tableEnd || top >= count_ || table_ > tableEnd ||
            count_ > (tableEnd - table_) / offsetSize_)
            return false;
        height_.assign(count_, 0);
        return height(top, 0) > 0;
    }

private:
    static std::uint64_t read(const std::uint8_t* p, unsigned size) {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < size; ++i) value = value << 8 | p[i];
        return value;
    }

    // The nesting height below `object` (1 for a leaf), or 0 when the object is out of
    // bounds, part of a cycle, too deep, or a UTF-16 string holding U+0000.
    int height(std::uint64_t object, int depth) {
        if (object >= count_ || depth >= kMaxGeneralDepth) return 0;
        if (height_[object] == kBusy) return 0;
        if (height_[object] != 0) return depth + height_[object] <= kMaxGeneralDepth ? height_[object] : 0;
        height_[object] = kBusy;
        const std::uint64_t offset = read(data_ + table_ + object * offsetSize_, offsetSize_);
        if (offset >= size_) return 0;
        const unsigned type = data_[offset] >> 4;
        int result = 1;
        if (type == 0x6 || type == 0xA || type == 0xC || type == 0xD) {
            std::uint64_t length = 0, start = 0;
            if (!lengthOf(offset, length, start)) return 0;
            if (type == 0x6) {
                if (length > (size_ - start) / 2) return 0;
                for (std::uint64_t i = 0; i < length; ++i)
                    if (data_[start + 2 * i] == 0 && data_[start + 2 * i + 1] == 0) return 0;
            } else {
                const std::uint64_t references = type == 0xD ? 2 * length : length;
                if (length > size_ || references > (size_ - start) / refSize_) return 0;
                for (std::uint64_t i = 0; i < references; ++i) {
                    int below = height(read(data_ + start + i * refSize_, refSize_), depth + 1);
                    if (below == 0) return 0;
                    result = std::max(result, below + 1);
                }
            }
        }
        height_[object] = result;
        return result;
    }

    bool lengthOf(std::uint64_t offset, std::uint64_t& length, std::uint64_t& start) const {
        if ((data_[offset] & 0xF) != 0xF) {
            length = data_[offset] & 0xF;
            start = offset + 1;
            return true;
        }
        if (offset + 2 > size_) return false;
        const unsigned size = 1u << (data_[offset + 1] & 0xF);
        if (data_[offset + 1] >> 4 != 0x1 || size > 8 || offset + 2 + size > size_) return false;
        length = read(data_ + offset + 2, size);
        start = offset + 2 + size;
        return true;
    }

    static constexpr int kBusy = -1;

    const std::uint8_t* data_;
    std::uint64_t size_;
    unsigned offsetSize_ = 0;
    unsigned refSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t table_ = 0;
    std::vector<int> height_;
};

} // namespace

const char* valueNotKeptWhole(std::string_view bytes) {
    if (bytes.substr(0, 8) != "bplist00" || bytes.size() < 8 + 32) return nullptr;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::uint64_t size = bytes.size();
    auto read = [&](std::uint64_t at, unsigned width) {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) value = value << 8 | data[at + i];
        return value;
    };
    const std::uint64_t trailer = size - 32;
    const unsigned offsetSize = data[trailer + 6];
    const std::uint64_t count = read(trailer + 8, 8), table = read(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || table > trailer || count > (trailer - table) / offsetSize) return nullptr;
    // Every object of the table, referenced or not: a cheap pass over what is mostly data.
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t offset = read(table + i * offsetSize, offsetSize);
        if (offset >= trailer) continue;
        const unsigned type = data[offset] >> 4;
        if (type != 0x5 && type != 0x6) continue;
        std::uint64_t length = data[offset] & 0xF, start = offset + 1;
        if (length == 0xF) {
            if (offset + 2 > trailer || data[offset + 1] >> 4 != 0x1) continue;
            const unsigned width = 1u << (data[offset + 1] & 0xF);
            if (width > 8 || offset + 2 + width > trailer) continue;
            length = read(offset + 2, width);
            start = offset + 2 + width;
        }
        const std::uint64_t unit = type == 0x6 ? 2 : 1;
        if (length > (trailer - start) / unit) continue;
        for (std::uint64_t k = 0; k < length; ++k)
            if (data[start + k * unit] == 0 && (unit == 1 || data[start + k * unit + 1] == 0))
                return "a string holding U+0000";
    }
    return nullptr;
}

bool isSafeToParse(std::string_view bytes) {
    if (bytes.substr(0, 6) == "bplist") return BinaryScreen(bytes).safe();
    return xmlIsSafe(bytes);
}

} // namespace kestrine::plist
