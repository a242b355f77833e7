#include "core/model/PresetStyle.h"

#include "core/support/Unicode.h"

namespace kestrine::PresetStyle {

const std::vector<KeywordRule>& keywordRules() {
    static const std::vector<KeywordRule> rules = {
        {{"work", "office", "仕事", "会社", "業務"}, "\U0001F4BC"},
        {{"break", "rest", "relax", "休憩", "休み", "リラックス"}, "\u2615\uFE0F"},
        {{"game", "gaming", "ゲーム"}, "\U0001F3AE"},
        {{"study", "learn", "read", "勉強", "学習", "読書"}, "\U0001F4DA"},
        {{"music", "audio", "音楽"}, "\U0001F3A7"},
        {{"night", "sleep", "夜", "睡眠"}, "\U0001F319"},
        {{"design", "art", "デザイン"}, "\U0001F3A8"},
        {{"focus", "deep", "集中"}, "\U0001F525"},
    };
    return rules;
}

std::uint64_t nameHash(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : text) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string defaultEmoji(std::string_view name) {
    const std::string lower = lowercased(name);
    for (const auto& rule : keywordRules())
        for (const auto& word : rule.words)
            if (lower.find(word) != std::string::npos) return rule.emoji;
    return std::string(emojiChoices[nameHash(name) % emojiChoices.size()]);
}

int paletteIndex(std::string_view name) {
    return static_cast<int>(nameHash(name) % static_cast<std::uint64_t>(paletteCount));
}

} // namespace kestrine::PresetStyle
