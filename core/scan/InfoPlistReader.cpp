#include "core/scan/InfoPlistReader.h"

#include "core/plist/PlistCoding.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace kestrine::InfoPlistReader {
namespace {

// Deeper documents are left to the general parser.
constexpr int kMaxDepth = 64;

int keyIndex(std::string_view key) {
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------------------------------
// XML: the layout property-list writers produce. The prolog is one of the usual ones;
// every element is written exactly as <name>, </name> or <name/>; text holds only the
// five named entities; there are no comments, CDATA sections or processing instructions.
// Anything else is refused.

class XMLReader {
public:
    explicit XMLReader(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

    std::optional<plist::Dictionary> document() {
        if (!prolog()) return std::nullopt;
        skipSpace();
        Start start;
        if (!readStart(start) || start.element != Element::Dict) return std::nullopt;
        if (!start.empty && !topLevelEntries()) return std::nullopt;
        skipSpace();
        if (!consume("</plist>")) return std::nullopt;
        skipSpace();
        if (p_ != end_) return std::nullopt;
        return std::move(result_);
    }

private:
    enum class Element { Key, String, True, False, Dict, Array, Integer, Real, Date, Data };

    struct Start {
        Element element = Element::Key;
        bool empty = false; // written <name/>
    };

    struct ElementName {
        std::string_view name; // without the angle brackets
        std::string_view end;  // the end tag
        Element element;
    };

    // The element names of property lists, most frequent first.
    static constexpr ElementName kElements[] = {
        {"key", "</key>", Element::Key},
        {"string", "</string>", Element::String},
        {"true", "</true>", Element::True},
        {"false", "</false>", Element::False},
        {"dict", "</dict>", Element::Dict},
        {"array", "</array>", Element::Array},
        {"integer", "</integer>", Element::Integer},
        {"real", "</real>", Element::Real},
        {"date", "</date>", Element::Date},
        {"data", "</data>", Element::Data},
    };

    static std::string_view endTag(Element element) {
        return kElements[static_cast<std::size_t>(element)].end;
    }

    bool startsWith(std::string_view literal) const {
        return static_cast<std::size_t>(end_ - p_) >= literal.size() &&
               std::memcmp(p_, literal.data(), literal.size()) == 0;
    }
    bool consume(std::string_view literal) {
        if (!startsWith(literal)) return false;
        p_ += literal.size();
        return true;
    }
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    void skipSpace() {
        while (p_ < end_ && isSpace(*p_)) ++p_;
    }

    // The prolog as writers produce it, matched exactly: an optional XML declaration, an
    // optional document type naming the property-list DTD, then the <plist> start tag.
    bool prolog() {
        skipSpace();
        for (std::string_view declaration :
             {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<?xml version=\"1.0\"?>"}) {
            if (consume(declaration)) break;
        }
        skipSpace();
        for (std::string_view doctype : {"<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">",
                                         "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                                         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"}) {
            if (consume(doctype)) break;
        }
        skipSpace();
        return consume("<plist version=\"1.0\">") || consume("<plist>");
    }

    // A start tag <name> or an empty-element tag <name/> of a known element.
    bool readStart(Start& start) {
        if (p_ == end_ || *p_ != '<') return false;
        const char* name = p_ + 1;
        const auto left = static_cast<std::size_t>(end_ - name);
        for (const ElementName& known : kElements) {
            const std::size_t n = known.name.size();
            if (left < n + 1 || std::memcmp(name, known.name.data(), n) != 0) continue;
            if (name[n] == '>') {
                start = Start{known.element, false};
                p_ = name + n + 1;
                return true;
            }
            if (left >= n + 2 && name[n] == '/' && name[n + 1] == '>') {
                start = Start{known.element, true};
                p_ = name + n + 2;
                return true;
            }
            return false; // a known name followed by anything else
        }
        return false;
    }

    // Character data up to the next '<', which must exist: valid UTF-8 without NUL, with
    // only the five named entities. `entities` tells whether any occurred.
    bool text(std::string_view& raw, bool& entities) {
        const char* start = p_;
        entities = false;
        for (;;) {
            // Eight bytes at a time while all are ASCII other than '<', '&' and NUL.
            constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
            auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
            while (end_ - p_ >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p_, 8);
                if ((word & highs) | hasZero(word ^ (ones * '<')) | hasZero(word ^ (ones * '&')) | hasZero(word))
                    break;
                p_ += 8;
            }
            while (p_ < end_ && *p_ != '<' && *p_ != '&' && *p_ != '\0' && static_cast<unsigned char>(*p_) < 0x80)
                ++p_;
            if (p_ == end_ || *p_ == '\0') return false;
            if (*p_ == '<') break;
            std::string_view rest(p_, static_cast<std::size_t>(end_ - p_));
            std::size_t length = *p_ == '&' ? entityLength(rest) : utf8SequenceLength(rest);
            if (length == 0) return false;
            entities = entities || *p_ == '&';
            p_ += length;
        }
        raw = std::string_view(start, static_cast<std::size_t>(p_ - start));
        return true;
    }

    // The length of the well-formed UTF-8 sequence of a non-ASCII character that `text`
    // starts with (no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
    static std::size_t utf8SequenceLength(std::string_view text) {
        auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
        auto continuation = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
        const unsigned lead = byte(0);
        if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
        if (lead >= 0xE0 && lead <= 0xEF) {
            if (!continuation(1) || !continuation(2)) return 0;
            if (lead == 0xE0 && byte(1) < 0xA0) return 0; // overlong
            if (lead == 0xED && byte(1) >= 0xA0) return 0; // surrogate
            return 3;
        }
        if (lead >= 0xF0 && lead <= 0xF4) {
            if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
            if (lead == 0xF0 && byte(1) < 0x90) return 0; // overlong
            if (lead == 0xF4 && byte(1) >= 0x90) return 0; // above U+10FFFF
            return 4;
        }
        return 0;
    }

    // The length of the named entity that `text` starts with, or 0.
    static std::size_t entityLength(std::string_view text) {
        for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"})
            if (text.substr(0, entity.size()) == entity) return entity.size();
        return 0;
    }

    // The text as a string, entities replaced. Refuses carriage returns, whose handling
    // differs between XML readers.
    static std::optional<std::string> decode(std::string_view raw, bool entities) {
        if (raw.find('\r') != std::string_view::npos) return std::nullopt;
        if (!entities) return std::string(raw);
        std::string out;
        out.reserve(raw.size());
        for (std::size_t i = 0; i < raw.size();) {
            if (raw[i] != '&') {
                out += raw[i++];
                continue;
            }
            std::size_t length = entityLength(raw.substr(i));
            if (length == 0) return std::nullopt;
            const char second = raw[i + 1];
            out += second == 'a' ? (raw[i + 2] == 'm' ? '&' : '\'') : second == 'l' ? '<' : second == 'g' ? '>' : '"';
            i += length;
        }
        return out;
    }

    // One value. When `capture` is given, the value must be a string or a boolean and is
    // stored there; other values are checked and passed over.
    bool value(int depth, std::optional<plist::Value>* capture) {
        if (depth > kMaxDepth) return false;
        Start start;
        if (!readStart(start)) return false;
        std::string_view raw;
        bool entities = false;
        switch (start.element) {
        case Element::String:
            if (start.empty) {
                if (capture) *capture = plist::Value(std::string());
                return true;
            }
            if (!text(raw, entities) || !consume("</string>")) return false;
            if (capture) {
                auto decoded = decode(raw, entities);
                if (!decoded) return false;
                *capture = plist::Value(std::move(*decoded));
            }
            return true;
        case Element::True:
        case Element::False:
            if (!start.empty) return false;
            if (capture) *capture = plist::Value(start.element == Element::True);
            return true;
        case Element::Key:
            return false;
        default:
            break;
        }
        if (capture) return false; // a value of another type: left to the general parser
        switch (start.element) {
        case Element::Integer:
        case Element::Real:
        case Element::Date:
        case Element::Data:
            return !start.empty && text(raw, entities) && !raw.empty() && consume(endTag(start.element));
        case Element::Array:
            if (start.empty) return true;
            for (;;) {
                skipSpace();
                if (consume("</array>")) return true;
                if (!value(depth + 1, nullptr)) return false;
            }
        case Element::Dict:
            if (start.empty) return true;
            for (;;) {
                skipSpace();
                if (consume("</dict>")) return true;
                if (!key(raw, entities)) return false;
                skipSpace();
                if (!value(depth + 1, nullptr)) return false;
            }
        default:
            return false;
        }
    }

    // A <key> element with non-empty text.
    bool key(std::string_view& raw, bool& entities) {
        return consume("<key>") && text(raw, entities) && !raw.empty() && consume("</key>");
    }

    bool topLevelEntries() {
        bool seen[keys.size()] = {};
        for (;;) {
            skipSpace();
            if (consume("</dict>")) return true;
            std::string_view raw;
            bool entities = false;
            if (!key(raw, entities)) return false;
            skipSpace();
            int index = -1;
            if (!entities) {
                index = keyIndex(raw);
            } else if (auto decoded = decode(raw, entities)) {
                index = keyIndex(*decoded);
            } else {
                return false;
            }
            if (index < 0) {
                if (!value(1, nullptr)) return false;
                continue;
            }
            if (seen[index]) return false; // repeated keys: left to the general parser
            seen[index] = true;
            std::optional<plist::Value> captured;
            if (!value(1, &captured)) return false;
            result_.emplace(std::string(keys[static_cast<std::size_t>(index)]), std::move(*captured));
        }
    }

    const char* p_;
    const char* end_;
    plist::Dictionary result_;
};

// ---------------------------------------------------------------------------------------
// Binary (bplist00): every object reachable from the top is checked for its bounds and
// references; only booleans, integers, reals, dates, data, strings, arrays and
// dictionaries with non-empty string keys are accepted.

class BinaryReader {
public:
    explicit BinaryReader(std::string_view bytes)
        : data_(reinterpret_cast<const std::uint8_t*>(bytes.data())), size_(bytes.size()) {}

    std::optional<plist::Dictionary> document() {
        if (size_ < 8 + 32 || std::memcmp(data_, "bplist00", 8) != 0) return std::nullopt;
        const std::uint8_t* trailer = data_ + size_ - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = bigEndian(trailer + 8, 8);
        const std::uint64_t top = bigEndian(trailer + 16, 8);
        table_ = bigEndian(trailer + 24, 8);
        auto validSize = [](unsigned s) { return s == 1 || s == 2 || s == 4 || s == 8; };
        if (!validSize(offsetSize_) || !validSize(refSize_)) return std::nullopt;
        const std::uint64_t tableEnd = size_ - 32;
        if (count_ == 0 || count_ > tableEnd || top >= count_ || table_ < 8 || table_ > tableEnd ||
            count_ > (tableEnd - table_) / offsetSize_)
            return std::nullopt;
        state_.assign(count_, Unseen);
        if (!check(top, 0)) return std::nullopt;

        // Everything reachable is now known to be well formed.
        const std::uint64_t offset = objectOffset(top);
        if (data_[offset] >> 4 != 0xD) return std::nullopt;
        std::uint64_t entries = 0, start = 0;
        lengthOf(offset, entries, start);
        plist::Dictionary result;
        bool seen[keys.size()] = {};
        std::string buffer;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint64_t keyObject = reference(start, i);
            const std::uint64_t valueObject = reference(start, entries + i);
            const int index = keyIndex(text(keyObject, buffer));
            if (index < 0) continue;
            if (seen[index]) return std::nullopt; // repeated keys: left to the general parser
            seen[index] = true;
            std::string name(keys[static_cast<std::size_t>(index)]);
            const std::uint8_t marker = data_[objectOffset(valueObject)];
            if (marker == 0x08 || marker == 0x09) {
                result.emplace(std::move(name), plist::Value(marker == 0x09));
            } else if (marker >> 4 == 0x5 || marker >> 4 == 0x6) {
                result.emplace(std::move(name), plist::Value(std::string(text(valueObject, buffer))));
            } else {
                return std::nullopt; // another type: left to the general parser
            }
        }
        return result;
    }

private:
    enum State : std::uint8_t { Unseen, Checking, Checked };

    static std::uint64_t bigEndian(const std::uint8_t* p, unsigned size) {
        switch (size) {
        case 1:
            return p[0];
        case 2:
            return static_cast<std::uint64_t>(p[0]) << 8 | p[1];
        default: {
            std::uint64_t value = 0;
            for (unsigned i = 0; i < size; ++i) value = value << 8 | p[i];
            return value;
        }
        }
    }

    // The `index`-th object reference of a collection whose references start at `start`.
    std::uint64_t reference(std::uint64_t start, std::uint64_t index) const {
        return bigEndian(data_ + start + index * refSize_, refSize_);
    }

    std::uint64_t objectOffset(std::uint64_t object) const {
        return bigEndian(data_ + table_ + object * offsetSize_, offsetSize_);
    }

    // Whether `length` bytes starting at `start` lie before the offset table.
    bool fits(std::uint64_t start, std::uint64_t length) const {
        return start <= table_ && length <= table_ - start;
    }

    // The element count of the object at `offset` and where its payload starts.
    bool lengthOf(std::uint64_t offset, std::uint64_t& length, std::uint64_t& start) const {
        const unsigned info = data_[offset] & 0xF;
        if (info != 0xF) {
            length = info;
            start = offset + 1;
            return true;
        }
        if (!fits(offset + 1, 1)) return false;
        const std::uint8_t marker = data_[offset + 1];
        if (marker >> 4 != 0x1 || (marker & 0xF) > 3) return false;
        const unsigned size = 1u << (marker & 0xF);
        if (!fits(offset + 2, size)) return false;
        length = bigEndian(data_ + offset + 2, size);
        start = offset + 2 + size;
        return true;
    }

    bool check(std::uint64_t object, int depth) {
        if (object >= count_ || depth > kMaxDepth) return false;
        if (state_[object] == Checked) return true;
        if (state_[object] == Checking) return false; // a cycle
        state_[object] = Checking;
        const std::uint64_t offset = objectOffset(object);
        if (offset < 8 || offset >= table_) return false;
        const std::uint8_t marker = data_[offset];
        const unsigned type = marker >> 4, info = marker & 0xF;
        std::uint64_t length = 0, start = 0;
        bool ok = false;
        switch (type) {
        case 0x0:
            ok = marker == 0x08 || marker == 0x09;
            break;
        case 0x1:
            ok = info <= 3 && fits(offset + 1, 1u << info);
            break;
        case 0x2:
            ok = (info == 2 || info == 3) && fits(offset + 1, 1u << info);
            break;
        case 0x3:
            ok = marker == 0x33 && fits(offset + 1, 8);
            break;
        case 0x4:
            ok = lengthOf(offset, length, start) && fits(start, length);
            break;
        case 0x5:
            ok = lengthOf(offset, length, start) && fits(start, length) && cleanASCII(data_ + start, length);
            break;
        case 0x6: // the general parser refuses empty UTF-16 strings
            ok = lengthOf(offset, length, start) && length > 0 && length <= table_ / 2 && fits(start, length * 2) &&
                 cleanUTF16(data_ + start, length);
            break;
        case 0xA:
            ok = lengthOf(offset, length, start) && length <= table_ / refSize_ && fits(start, length * refSize_);
            for (std::uint64_t i = 0; ok && i < length; ++i) ok = check(reference(start, i), depth + 1);
            break;
        case 0xD:
            ok = lengthOf(offset, length, start) && length <= table_ / (2 * refSize_) &&
                 fits(start, 2 * length * refSize_);
            for (std::uint64_t i = 0; ok && i < length; ++i) {
                const std::uint64_t key = reference(start, i);
                ok = check(key, depth + 1) && isNonEmptyString(key) && check(reference(start, length + i), depth + 1);
            }
            break;
        default:
            ok = false; // UIDs, sets, fill bytes, null and unknown types
        }
        if (ok) state_[object] = Checked;
        return ok;
    }

    bool isNonEmptyString(std::uint64_t object) const {
        const std::uint64_t offset = objectOffset(object);
        const unsigned type = data_[offset] >> 4;
        std::uint64_t length = 0, start = 0;
        return (type == 0x5 || type == 0x6) && lengthOf(offset, length, start) && length > 0;
    }

    // ASCII without NUL; other bytes are left to the general parser.
    static bool cleanASCII(const std::uint8_t* p, std::uint64_t length) {
        // Eight bytes at a time: a high bit set, or a zero byte (found by the borrow of
        // subtracting one from each byte), marks a byte to refuse.
        constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
        std::uint64_t i = 0;
        for (; i + 8 <= length; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if ((word & highs) != 0 || ((word - ones) & ~word & highs) != 0) return false;
        }
        for (; i < length; ++i)
            if (p[i] == 0 || p[i] >= 0x80) return false;
        return true;
    }

    // Well-formed UTF-16 (surrogates in pairs) without NUL.
    static bool cleanUTF16(const std::uint8_t* p, std::uint64_t length) {
        for (std::uint64_t i = 0; i < length; ++i) {
            const unsigned unit = static_cast<unsigned>(p[2 * i]) << 8 | p[2 * i + 1];
            if (unit == 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return false;
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 1 >= length) return false;
                const unsigned low = static_cast<unsigned>(p[2 * i + 2]) << 8 | p[2 * i + 3];
                if (low < 0xDC00 || low > 0xDFFF) return false;
                ++i;
            }
        }
        return true;
    }

    // The text of a checked string object: a view into the file for ASCII, or the UTF-16
    // text converted into `buffer`.
    std::string_view text(std::uint64_t object, std::string& buffer) const {
        const std::uint64_t offset = objectOffset(object);
        std::uint64_t length = 0, start = 0;
        lengthOf(offset, length, start);
        if (data_[offset] >> 4 == 0x5)
            return std::string_view(reinterpret_cast<const char*>(data_ + start), static_cast<std::size_t>(length));
        buffer.clear();
        const std::uint8_t* p = data_ + start;
        for (std::uint64_t i = 0; i < length; ++i) {
            std::uint32_t code = static_cast<std::uint32_t>(p[2 * i]) << 8 | p[2 * i + 1];
            if (code >= 0xD800 && code <= 0xDBFF) {
                const std::uint32_t low = static_cast<std::uint32_t>(p[2 * i + 2]) << 8 | p[2 * i + 3];
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
            appendUTF8(buffer, code);
        }
        return buffer;
    }

    static void appendUTF8(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    const std::uint8_t* data_;
    std::uint64_t size_;
    unsigned offsetSize_ = 0;
    unsigned refSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t table_ = 0;
    std::vector<State> state_;
};

} // namespace

std::optional<plist::Dictionary> readCommonForm(std::string_view bytes) {
    if (bytes.substr(0, 6) == "bplist") return BinaryReader(bytes).document();
    return XMLReader(bytes).document();
}


plist::Dictionary read(std::string_view bytes) noexcept {
    try {
        if (auto common = readCommonForm(bytes)) return std::move(*common);
        plist::Value value = plist::parse(bytes);
        plist::Dictionary picked;
        if (auto* dictionary = value.dictionary()) {
            for (std::string_view key : keys) {
                auto it = dictionary->find(std::string(key));
                if (it != dictionary->end()) picked.emplace(it->first, std::move(it->second));
            }
        }
        return picked;
    } catch (...) {
        return {}; // not a property list
    }
}

} // namespace kestrine::InfoPlistReader
