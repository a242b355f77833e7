#include "core/model/JSONDocument.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <random>

using namespace kestrine;
using nlohmann::json;

namespace {

/// The document as nlohmann's tree, so the general-purpose parser can serve as the oracle.
json toJSON(const JSONValue& v) {
    switch (v.type()) {
    case JSONValue::Type::Null:
        return nullptr;
    case JSONValue::Type::Boolean:
        return v.boolean();
    case JSONValue::Type::Integer:
        return v.integer();
    case JSONValue::Type::Unsigned:
        return v.unsignedInteger();
    case JSONValue::Type::Real:
        return v.real();
    case JSONValue::Type::String:
        return std::string(v.string());
    case JSONValue::Type::Array: {
        json out = json::array();
        for (std::size_t i = 0; i < v.size(); ++i) out.push_back(toJSON(v[i]));
        return out;
    }
    case JSONValue::Type::Object: {
        json out = json::object();
        for (std::size_t i = 0; i < v.size(); ++i) out[std::string(v.key(i))] = toJSON(v[i]); // last one wins
        return out;
    }
    }
    return nullptr;
}

std::optional<json> oracle(const std::string& text) {
    try {
        return json::parse(text);
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

std::optional<json> ours(const std::string& text) {
    try {
        JSONDocument document(text);
        return toJSON(document.root());
    } catch (const JSONSyntaxError&) {
        return std::nullopt;
    }
}

} // namespace

TEST(JSONDocument, AgreesWithAGeneralParserOnValidText) {
    const std::vector<std::string> valid = {
        R"({})",
        R"([])",
        R"( {"a" : [1, -2, 3.5, -0, 0.25e2, 1E+2, 7e-1, true, false, null, "s"]} )",
        "\xEF\xBB\xBF{\"bom\": 1}",
        R"({"esc": "\"\\\/\b\f\n\r\t\u0041\u00e9\u4E2D\uD83D\uDE80\u0000"})",
        "{\"raw\": \"Café 中 🚀 \x7F\"}",
        R"({"big": 18446744073709551615, "bigger": 18446744073709551616, "low": -9223372036854775808,
            "lower": -9223372036854775809})",
        R"({"dup": 1, "dup": 2, "x": {"dup": [3]}})",
        R"("just a string")",
        R"(42)",
        R"([[[[[]]]], {"": ""}, [{}]])",
        "\t\r\n [1 ,\n2]\n",
    };
    for (const auto& text : valid) {
        SCOPED_TRACE(text);
        auto expected = oracle(text);
        ASSERT_TRUE(expected);
        auto actual = ours(text);
        ASSERT_TRUE(actual);
        EXPECT_EQ(*actual, *expected);
    }
}

TEST(JSONDocument, RejectsWhatIsNotJSON) {
    const std::vector<std::string> invalid = {
        "", "   ", "{", "}", "[1,]", "{\"a\":1,}", "{\"a\" 1}", "{a:1}", "{'a':1}", "[1 2]", "01", "1.", ".5", "-",
        "1e", "1e+", "+1", "0x10", "NaN", "Infinity", "tru", "nul", "nulll", "[true false]", "{} {}", "[] x",
        "\"unterminated", "\"tab\tinside\"", "\"newline\ninside\"", "\"\\x\"", "\"\\u12\"", "\"\\uZZZZ\"",
        "\"\\uD800\"", "\"\\uDC00\"", "\"\\uD800\\u0041\"", "\"\xC3\x28\"", "\"\xC0\xAF\"", "\"\xE0\x80\xAF\"",
        "\"\xED\xA0\x80\"", "\"\xF4\x90\x80\x80\"", "\"\xF5\x80\x80\x80\"", "\"\xFF\"", "\"\xE4\xB8\"",
        "\"\x80\"", "[\f]", "1e400", "-1e400",
    };
    for (const auto& text : invalid) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(oracle(text)) << "the oracle accepts it";
        EXPECT_FALSE(ours(text));
    }
    // Some general parsers stop at a NUL byte; here it is text after the document.
    EXPECT_FALSE(ours(std::string("[1]\0[2]", 7)));
}

TEST(JSONDocument, ErrorsGiveTheByteOffset) {
    try {
        JSONDocument document(R"({"a": [1, 2,, 3]})");
        FAIL() << "accepted a double comma";
    } catch (const JSONSyntaxError& e) {
        EXPECT_EQ(e.offset(), 12u);
        EXPECT_EQ(std::string(e.what()), "malformed JSON at byte 12: unexpected character, expected a value");
    }
}

TEST(JSONDocument, DeepNestingIsRefusedNotACrash) {
    std::string fine(JSONDocument::maxDepth, '[');
    fine += std::string(JSONDocument::maxDepth, ']');
    EXPECT_NO_THROW(JSONDocument{fine});
    std::string deep(100000, '[');
    deep += std::string(100000, ']');
    EXPECT_THROW(JSONDocument{deep}, JSONSyntaxError);
}

TEST(JSONDocument, MutatedDocumentsAreAcceptedExactlyWhenTheOracleAcceptsThem) {
    const std::string seed = R"({"activePresetID": "default", "hidden": [{"originalIndex": -2, "tile": "YnBs"}],
        "presets": [{"apps": [{"id": "com.a", "name": "Caf\u00e9 \"A\"", "path": "/Applications/Café.app"}],
        "emoji": "🏠", "hiddenIDs": [], "id": "x", "isDefault": true, "name": "Home"}], "n": [0.5, 1e3, -7]})";
    const std::string alphabet = "{}[]\",:\\/ \n0123456789.-+eEtrufalsn\x80\xC3\xA9\xF0\x9F\xED";
    std::mt19937 rng(20240611);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = seed;
        int edits = 1 + static_cast<int>(rng() % 3);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            std::size_t at = rng() % text.size();
            switch (rng() % 4) {
            case 0: text[at] = alphabet[rng() % alphabet.size()]; break;
            case 1: text.erase(at, 1 + rng() % 3); break;
            case 2: text.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
            default: text.resize(at); break;
            }
        }
        auto expected = oracle(text);
        auto actual = ours(text);
        ASSERT_EQ(actual.has_value(), expected.has_value()) << text;
        if (expected) {
            ++accepted;
            EXPECT_EQ(*actual, *expected) << text;
        }
    }
    EXPECT_GT(accepted, 100); // the mutations exercise both sides
}

TEST(JSONDocument, EveryKindOfByteIsSeenAtAnyPlaceOfALongString) {
    // Strings are scanned eight bytes at a time: put each byte that ends or interrupts the
    // plain run at every position of a few words.
    const std::vector<std::string> specials = {"\\\"", "\\\\", "\\n", "\\u00e9", "é", "🚀", "\x7F", "/"};
    const std::vector<std::string> broken = {std::string(1, '\x01'), "\x1F", "\t", "\xFF", "\xC3\x28", "\x80"};
    for (std::size_t at = 0; at <= 24; ++at) {
        const std::string before(at, 'a'), after(24 - at + 3, 'b');
        for (const auto& piece : specials) {
            std::string text = "[\"" + before + piece + after + "\", \"" + before + "\"]";
            SCOPED_TRACE(text);
            auto expected = oracle(text);
            ASSERT_TRUE(expected);
            EXPECT_EQ(ours(text), expected);
        }
        for (const auto& piece : broken) {
            std::string text = "[\"" + before + piece + after + "\"]";
            SCOPED_TRACE(text);
            try {
                JSONDocument document(text);
                ADD_FAILURE() << "accepted";
            } catch (const JSONSyntaxError& e) {
                EXPECT_EQ(e.offset(), 2 + at);
            }
        }
        // A string that ends inside a word, and one cut off before its quote.
        EXPECT_EQ(ours("\"" + before + "\""), json(before));
        EXPECT_FALSE(ours("\"" + before + after));
    }
}

TEST(JSONDocument, WhiteSpaceRunsOfAnyLengthAndMix) {
    for (std::size_t spaces = 0; spaces <= 20; ++spaces) {
        for (const std::string& mix : {std::string(), std::string("\n"), std::string("\t\r\n")}) {
            std::string gap = mix + std::string(spaces, ' ') + mix + std::string(spaces / 2, ' ');
            std::string text = gap + "{" + gap + "\"a\"" + gap + ":" + gap + "[" + gap + "1" + gap + "," + gap +
                               "true" + gap + "]" + gap + "}" + gap;
            EXPECT_EQ(ours(text), json::parse(R"({"a": [1, true]})")) << spaces;
            // Something that is not white space inside a run stops it.
            std::string bad = "[1," + std::string(spaces, ' ') + "\f" + std::string(spaces, ' ') + "2]";
            try {
                JSONDocument document(bad);
                ADD_FAILURE() << "accepted a form feed";
            } catch (const JSONSyntaxError& e) {
                EXPECT_EQ(e.offset(), 3 + spaces);
            }
        }
    }
}
