#include "core/system/DockChoice.h"

#include <gtest/gtest.h>

using namespace kestrine;
namespace fs = std::filesystem;

namespace kestrine {
// Failures name the dock instead of dumping its bytes.
inline void PrintTo(const DockChoice& dock, std::ostream* out) { *out << dock.name(); }
} // namespace kestrine

namespace {

struct ParseRow {
    const char* text;
    std::optional<DockChoice> expected;
};

TEST(DockChoiceTest, ParsesTheDockNamesAndRejectsEverythingElse) {
    const ParseRow rows[] = {
        {"file", DockChoice::file()},
        {"gnome", DockChoice::gnome()},
        {"GNOME", DockChoice::gnome()},
        {"  gnome\n", DockChoice::gnome()},
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
    for (const auto& row : rows) {
        EXPECT_EQ(DockChoice::parse(row.text), row.expected) << '"' << row.text << '"';
        if (row.expected) {
            EXPECT_EQ(DockChoice::parse(row.expected->name()), row.expected) << "the name reads back";
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

} // namespace
