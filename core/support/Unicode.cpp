#include "core/support/Unicode.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace kestrine {
namespace {

icu::UnicodeString fromUtf8(std::string_view s) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
}

std::string toUtf8(const icu::UnicodeString& u) {
    std::string out;
    u.toUTF8String(out);
    return out;
}

} // namespace

std::string lowercased(std::string_view utf8) {
    auto u = fromUtf8(utf8);
    u.toLower(icu::Locale::getRoot());
    return toUtf8(u);
}

std::string trimmed(std::string_view utf8) {
    // Walk code points from both ends; U+0085, U+2028 and U+2029 are White_Space too.
    auto isSpace = [](UChar32 c) { return u_hasBinaryProperty(c, UCHAR_WHITE_SPACE) != 0; };
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    auto length = static_cast<int32_t>(utf8.size());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT(s, next, length, c);
        if (c < 0 || !isSpace(c)) break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(s, start, previous, c);
        if (c < 0 || !isSpace(c)) break;
        end = previous;
    }
    return std::string(utf8.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
}

bool containsIgnoringCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return true;
    auto h = fromUtf8(haystack);
    auto n = fromUtf8(needle);
    h.foldCase();
    n.foldCase();
    return h.indexOf(n) >= 0;
}

struct NameCollator::Impl {
    std::unique_ptr<icu::Collator> collator;
};

NameCollator::NameCollator(const std::string& locale) : impl_(std::make_unique<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale where = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    // The C/POSIX locale (no LANG set) maps to en_US_POSIX, whose collation is plain ASCII
    // order with upper case first; a file browser's order is the root collation there.
    if (std::string_view(where.getVariant()) == "POSIX") where = icu::Locale::getRoot();
    impl_->collator.reset(icu::Collator::createInstance(where, status));
    if (U_FAILURE(status) || !impl_->collator) {
        status = U_ZERO_ERROR;
        impl_->collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (impl_->collator) {
        status = U_ZERO_ERROR;
        impl_->collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
        impl_->collator->setStrength(icu::Collator::SECONDARY);
    }
}

NameCollator::~NameCollator() = default;

int NameCollator::compare(std::string_view a, std::string_view b) const {
    if (!impl_->collator) return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    auto r = impl_->collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                          icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_FAILURE(status)) return a.compare(b);
    return static_cast<int>(r);
}

} // namespace kestrine
