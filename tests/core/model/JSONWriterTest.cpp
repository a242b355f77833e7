#include "core/model/JSONWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <limits>
#include <random>

using namespace kestrine;
using nlohmann::json;

namespace {

/// Writes `value` through the writer, members in the order nlohmann keeps them (sorted).
void write(JSONWriter& out, const json& value) {
    switch (value.type()) {
    case json::value_t::object:
        out.beginObject();
        for (const auto& [key, member] : value.items()) {
            out.key(key);
            write(out, member);
        }
        out.endObject();
        break;
    case json::value_t::array:
        out.beginArray();
        for (const auto& element : value) write(out, element);
        out.endArray();
        break;
    case json::value_t::string:
        out.string(value.get_ref<const std::string&>());
        break;
    case json::value_t::boolean:
        out.boolean(value.get<bool>());
        break;
    default:
        out.integer(value.get<std::int64_t>());
        break;
    }
}

/// The writer's text for `value`, or the message of what it threw.
std::string written(const json& value) {
    std::string text;
    JSONWriter out(text);
    try {
        write(out, value);
    } catch (const json::type_error& e) {
        return std::string("error: ") + e.what();
    }
    return text;
}

/// nlohmann's dump(2) of `value`, or the message of what it threw.
std::string dumped(const json& value) {
    try {
        return value.dump(2);
    } catch (const json::type_error& e) {
        return std::string("error: ") + e.what();
    }
}

// Pieces that need escaping, that must not be escaped, and UTF-8 at the edges of each
// sequence length.
const std::vector<std::string> kAwkward = {
    "", "a", "Z9", " ", "/", "\"", "\\", "\x7F", std::string(1, '\0'), "\x01", "\x1F", "\b", "\t", "\n", "\f", "\r",
    "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80",
    "\xF4\x8F\xBF\xBF", "é", "✓", "日本", "\U0001F680", "\\u0041", "{\"a\": [1]}", "x\r\ny",
};

// Byte sequences that are not UTF-8: lone and missing continuation bytes, overlong forms,
// surrogates, values above U+10FFFF, bytes that never occur.
const std::vector<std::string> kNotUTF8 = {
    "\x80", "\xBF", "\xC3", "\xC3\x28", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80",
    "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFE", "\xFF", "\xE2\x9C", "\xF0\x9F\x9A",
};

} // namespace

TEST(JSONWriter, LaysOutContainersAsDumpWithIndentTwo) {
    std::string text;
    JSONWriter out(text);
    out.beginObject();
    out.key("empty object");
    out.beginObject();
    out.endObject();
    out.key("empty array");
    out.beginArray();
    out.endArray();
    out.key("list");
    out.beginArray();
    out.integer(1);
    out.beginObject();
    out.key("flag");
    out.boolean(false);
    out.endObject();
    out.beginArray();
    out.endArray();
    out.endArray();
    out.endObject();
    EXPECT_EQ(text, "{\n"
                    "  \"empty object\": {},\n"
                    "  \"empty array\": [],\n"
                    "  \"list\": [\n"
                    "    1,\n"
                    "    {\n"
                    "      \"flag\": false\n"
                    "    },\n"
                    "    []\n"
                    "  ]\n"
                    "}");

    for (const json& value : {json::object(), json::array(), json("top"), json(true), json(-7)})
        EXPECT_EQ(written(value), dumped(value));
}

TEST(JSONWriter, EscapesEveryAwkwardStringAsNlohmannDoes) {
    for (const auto& piece : kAwkward) {
        for (const auto& text : {piece, "abcdefgh" + piece + "ijklmnopq", piece + piece + "/" + piece}) {
            json value = {{text, text}, {"list", {text}}};
            EXPECT_EQ(written(value), dumped(value)) << text;
        }
    }
    for (int c = 0; c < 0x80; ++c) {
        json value = std::string("<") + static_cast<char>(c) + ">";
        EXPECT_EQ(written(value), dumped(value)) << c;
    }
    // Plain text is passed over a word at a time: every piece at every place of a word.
    for (std::size_t at = 0; at <= 20; ++at) {
        for (const auto& piece : kAwkward) {
            json value = std::string(at, 'a') + piece + std::string(20 - at, 'b');
            EXPECT_EQ(written(value), dumped(value)) << at << " " << piece;
        }
        for (const auto& piece : kNotUTF8) {
            json value = std::string(at, 'a') + piece + std::string(20 - at, 'b');
            EXPECT_EQ(written(value), dumped(value)) << at << " " << piece;
        }
    }
}

TEST(JSONWriter, TextThatIsNotUTF8ThrowsNlohmannsError) {
    for (const auto& bad : kNotUTF8) {
        for (const auto& text : {bad, "valid é " + bad, bad + "tail", "\"quoted\"" + bad}) {
            std::string mine = written(json{{"k", text}});
            EXPECT_EQ(mine, dumped(json{{"k", text}})) << text;
            EXPECT_EQ(mine.rfind("error: [json.exception.type_error.316]", 0), 0u) << mine;
        }
        EXPECT_EQ(written(json{{bad, 1}}), dumped(json{{bad, 1}}));
    }
}

TEST(JSONWriter, IntegersAtTheEdgesOfTheRange) {
    for (std::int64_t n : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{9}, std::int64_t{10}, std::int64_t{-10},
                           std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()}) {
        json value = {{"n", n}, {"list", {n, n}}};
        EXPECT_EQ(written(value), dumped(value)) << n;
    }
}

TEST(JSONWriter, RandomDocumentsMatchDumpByteForByte) {
    std::mt19937_64 random(20240611);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    auto text = [&] {
        std::string s;
        for (std::size_t n = pick(6); n > 0; --n) {
            if (pick(40) == 0) s += kNotUTF8[pick(kNotUTF8.size())];
            else s += kAwkward[pick(kAwkward.size())];
        }
        return s;
    };
    std::function<json(int)> value = [&](int depth) -> json {
        switch (depth > 3 ? pick(3) : pick(5)) {
        case 0:
            return text();
        case 1:
            return static_cast<std::int64_t>(random()) >> pick(64);
        case 2:
            return pick(2) == 0;
        case 3: {
            json array = json::array();
            for (std::size_t n = pick(4); n > 0; --n) array.push_back(value(depth + 1));
            return array;
        }
        default: {
            json object = json::object();
            for (std::size_t n = pick(5); n > 0; --n) object[text()] = value(depth + 1);
            return object;
        }
        }
    };
    int errors = 0;
    for (int round = 0; round < 3000; ++round) {
        json document = value(0);
        std::string expected = dumped(document);
        ASSERT_EQ(written(document), expected) << "round " << round;
        errors += expected.rfind("error: ", 0) == 0;
    }
    // Both outcomes were exercised.
    EXPECT_GT(errors, 50);
    EXPECT_LT(errors, 2950);
}
