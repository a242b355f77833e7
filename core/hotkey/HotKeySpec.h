#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrine {

/// A global keyboard shortcut: the macOS virtual key code of the main key (the ANSI
/// layout's hardware-position codes) and the modifier keys that must be held.
struct HotKeySpec {
    /// A set of modifier keys kept in the bits of `rawValue`. Bits outside the four
    /// members are kept as given.
    struct Modifiers {
        std::uint8_t rawValue = 0;

        constexpr Modifiers() = default;
        constexpr explicit Modifiers(std::uint8_t rawValue) : rawValue(rawValue) {}
        constexpr Modifiers(std::initializer_list<Modifiers> members) {
            for (Modifiers m : members) rawValue |= m.rawValue;
        }

        static const Modifiers command;  // 1
        static const Modifiers control;  // 2
        static const Modifiers option;   // 4
        static const Modifiers shift;    // 8
        static const Modifiers required; // command, control and option: at least one must be held

        constexpr bool isEmpty() const { return rawValue == 0; }
        /// Every member of `other` is in this set.
        constexpr bool contains(Modifiers other) const { return (rawValue & other.rawValue) == other.rawValue; }
        /// The two sets share at least one member.
        constexpr bool intersects(Modifiers other) const { return (rawValue & other.rawValue) != 0; }

        constexpr Modifiers unionWith(Modifiers other) const { return Modifiers(rawValue | other.rawValue); }
        constexpr Modifiers intersection(Modifiers other) const { return Modifiers(rawValue & other.rawValue); }
        constexpr Modifiers subtracting(Modifiers other) const {
            return Modifiers(static_cast<std::uint8_t>(rawValue & ~other.rawValue));
        }
        constexpr void insert(Modifiers other) { rawValue |= other.rawValue; }
        constexpr void remove(Modifiers other) { rawValue = static_cast<std::uint8_t>(rawValue & ~other.rawValue); }

        friend constexpr Modifiers operator|(Modifiers a, Modifiers b) { return a.unionWith(b); }
        friend constexpr Modifiers operator&(Modifiers a, Modifiers b) { return a.intersection(b); }
        friend constexpr Modifiers operator-(Modifiers a, Modifiers b) { return a.subtracting(b); }
        friend constexpr bool operator==(Modifiers, Modifiers) = default;
    };

    enum class Validation { valid, missingModifier, unsupportedKey };

    std::uint32_t keyCode = 0;
    Modifiers modifiers;

    constexpr HotKeySpec() = default;
    constexpr HotKeySpec(std::uint32_t keyCode, Modifiers modifiers) : keyCode(keyCode), modifiers(modifiers) {}

    /// Control-Option-D: key code 2 with raw modifiers 6.
    static constexpr HotKeySpec defaultSpec();

    /// The key's name from the fixed table of 82 supported keys (US layout characters for
    /// the letter and digit rows); nothing for every other code.
    static std::optional<std::string_view> keyName(std::uint32_t keyCode);

    /// unsupportedKey when the key has no name; else valid when at least one of command,
    /// control and option is held; else missingModifier.
    Validation validation() const;
    bool isValid() const { return validation() == Validation::valid; }

    /// "⌃", "⌥", "⇧", "⌘" for the members held, always in that order, then the key's name
    /// or "?" when it has none.
    std::vector<std::string> displayParts() const;
    /// The display parts joined without separator ("⌃⌥D").
    std::string displayString() const;

    friend constexpr bool operator==(const HotKeySpec&, const HotKeySpec&) = default;
};

inline constexpr HotKeySpec::Modifiers HotKeySpec::Modifiers::command(std::uint8_t{1});
inline constexpr HotKeySpec::Modifiers HotKeySpec::Modifiers::control(std::uint8_t{2});
inline constexpr HotKeySpec::Modifiers HotKeySpec::Modifiers::option(std::uint8_t{4});
inline constexpr HotKeySpec::Modifiers HotKeySpec::Modifiers::shift(std::uint8_t{8});
inline constexpr HotKeySpec::Modifiers HotKeySpec::Modifiers::required(std::uint8_t{7});

constexpr HotKeySpec HotKeySpec::defaultSpec() { return HotKeySpec(2, Modifiers{Modifiers::control, Modifiers::option}); }

} // namespace kestrine

template <>
struct std::hash<kestrine::HotKeySpec::Modifiers> {
    std::size_t operator()(kestrine::HotKeySpec::Modifiers m) const noexcept { return m.rawValue; }
};

template <>
struct std::hash<kestrine::HotKeySpec> {
    std::size_t operator()(const kestrine::HotKeySpec& spec) const noexcept {
        return (static_cast<std::size_t>(spec.keyCode) << 8) ^ spec.modifiers.rawValue;
    }
};
