#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "core/system/DockRestarter.h"

namespace kestrine {

class PlankDockStore;

/// Starts the user's running Plank again when the last write to `store` asked for an order
/// that Plank cannot take up while it runs (see PlankDockStore::orderToRestartFor()); does
/// nothing otherwise. The Plank processes of the store's dock in this session (same user,
/// same session bus) are ended, the order is stored again (a running Plank writes its own
/// back), and each is started again with its own program, arguments, environment and folder.
class PlankRestarter final : public DockRestarter {
public:
    /// `store` must outlive the restarter.
    explicit PlankRestarter(PlankDockStore& store);

    void restart() override;

    struct Process {
        pid_t pid = 0;
        std::string executable;
        std::vector<std::string> arguments; // argv, the program's name first
        std::vector<std::string> environment;
        std::string directory;
    };
    /// The Plank processes of this user showing `dock`; with `busAddress`, only those whose
    /// DBUS_SESSION_BUS_ADDRESS is the same.
    static std::vector<Process> running(const std::string& dock, const std::optional<std::string>& busAddress);
    /// The dock a Plank started with `arguments` (argv) shows: "-n NAME", "-nNAME",
    /// "--name NAME" or "--name=NAME", else "dock1".
    static std::string dockOf(const std::vector<std::string>& arguments);
    /// The words of a NUL-separated /proc command line or environment.
    static std::vector<std::string> splitCommandLine(const std::string& text);

private:
    PlankDockStore& store_;
};

} // namespace kestrine
