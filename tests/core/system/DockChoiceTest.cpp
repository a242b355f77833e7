#include "core/system/DockChoice.h"

#include <gtest/gtest.h>

using namespace kestrine;
namespace fs = std::filesystem;

namespace kestrine {
// Failures name the dock instead of dumping its bytes.
inline void PrintTo(const DockChoice& dock, std::ostream* out) { *out << dock.name(); }
} // namespace kestrine

TEST(DockChoiceTest, ParsesTheDockNamesWhichReadBackAndRejectsEverythingElse) {
    const std::pair<const char*, std::optional<DockChoice>> rows[] = {
        {"file", DockChoice::file()},
        {"gnome", DockChoice::gnome()},
        {"  GNOME\n", DockChoice::gnome()},
        {"plank", DockChoice::plank("dock1")},
        {"plank:dock2", DockChoice::plank("dock2")},
        {"Plank:My_Dock-3.x", DockChoice::plank("My_Dock-3.x")},
        {"", std::nullopt},
        {"kde", std::nullopt},
        {"gnome:dock1", std::nullopt},
        {"file:x", std::nullopt},
        {"plank:", std::nullopt},
        {"plank:..", std::nullopt},
        {"plank:a/b", std::nullopt},
        {"plank:dock 2", std::nullopt},
        {"plank:dock1:x", std::nullopt},
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(DockChoice::parse(text), expected) << '"' << text << '"';
        if (expected) {
            EXPECT_EQ(DockChoice::parse(expected->name()), expected) << "the name reads back";
        }
    }
}

TEST(DockChoiceTest, OnlyTheFileDockKeepsItsDataInTheSupportFolderItself) {
    const fs::path support = "/home/u/.local/share/Kestrine";
    const std::pair<DockChoice, fs::path> rows[] = {
        {DockChoice::file(), support},
        {DockChoice::gnome(), support / "docks" / "gnome"},
        {DockChoice::plank(), support / "docks" / "plank-dock1"},
        {DockChoice::plank("dock2"), support / "docks" / "plank-dock2"},
    };
    for (const auto& [dock, folder] : rows) EXPECT_EQ(dock.dataDirectory(support), folder) << dock.name();
}
