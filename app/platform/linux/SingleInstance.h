// Keeps one running copy of the program per user. The first start takes an exclusive lock on
// "kestrine.lock" and then listens on the local socket "kestrine.socket" beside it; a later start
// finds the lock taken, sends "reopen" over the socket and ends. A command ("kestrine list") sends
// one request line, "command " and the command's arguments as a JSON array, and reads one reply
// line. The lock is taken before a socket
// left behind by a crashed run is removed, so two starts never remove each other's socket.
#pragma once

#include <QObject>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace kestrine {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        primary,    // this process holds the lock: it is the running instance
        secondary,  // another process holds it
        unguarded,  // the lock could not be used (folder not writable, ...): run unguarded
    };

    static constexpr const char* lockName = "kestrine.lock";
    static constexpr const char* socketName = "kestrine.socket";
    static constexpr const char* reopenMessage = "reopen";
    static constexpr const char* acknowledgement = "ok";
    static constexpr const char* commandPrefix = "command ";
    // The longest line a client may send before it is cut off.
    static constexpr int maximumLineLength = 64 * 1024;

    using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
    // $XDG_RUNTIME_DIR when it names an existing folder, else the support folder.
    static std::filesystem::path defaultDirectory(const EnvironmentLookup& environment,
                                                  const std::filesystem::path& supportDirectory);
    static std::filesystem::path defaultDirectory();

    // Works in `directory` (created when missing). Needs no QCoreApplication until listen().
    explicit SingleInstance(std::filesystem::path directory, QObject* parent = nullptr);
    ~SingleInstance() override;

    std::filesystem::path lockPath() const { return directory_ / lockName; }
    std::filesystem::path socketPath() const { return directory_ / socketName; }

    // Takes the lock when it is free. Calling it again returns the first answer, except that a
    // secondary one tries the lock again (its holder may have ended since).
    Role claim();

    // How a start of the program settles with the running instance.
    enum class Start {
        run,         // this process holds the lock (or runs unguarded): it becomes the running instance
        reopened,    // the running instance acknowledged "reopen"
        unanswered,  // another process held the lock without answering until the limit (problem())
    };
    // Claims the lock, and while another process holds it asks that one to reopen. A holder that
    // does not answer may be quitting, so the claim is tried again until `limit` has passed: once
    // it has ended, this process takes over. Needs no QCoreApplication.
    Start claimOrReopen(std::chrono::milliseconds limit = std::chrono::seconds(10));
    std::optional<Role> role() const { return role_; }
    // The reason of an unguarded claim or of a failed listen/sendReopen.
    const std::string& problem() const { return problem_; }

    // Primary only, with a QCoreApplication: removes a stale socket and listens for "reopen".
    // False (see problem()) when the socket cannot be opened; the lock stays held either way.
    bool listen();
    bool isListening() const;

    // Secondary only: connects to the running instance (which may still be starting, so the
    // connection is retried until `timeout`), sends "reopen" and waits for its acknowledgement.
    // Uses plain sockets: no QCoreApplication is needed.
    bool sendReopen(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Secondary only: sends one line (without its new line) and returns the one line of the
    // reply; nothing (see problem()) when the instance cannot be reached or does not answer
    // within `timeout`.
    std::optional<std::string> request(const std::string& line,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // The running instance's answer to a command request: the request's text after the
    // prefix in, one reply line out.
    using CommandHandler = std::function<std::string(const std::string& request)>;
    void setCommandHandler(CommandHandler handler) { commandHandler_ = std::move(handler); }

signals:
    // A later start asked this instance to show itself.
    void reopenRequested();

private:
    void serve(QLocalSocket* socket);

    std::filesystem::path directory_;
    int lockFD_ = -1;
    std::optional<Role> role_;
    std::string problem_;
    QLocalServer* server_ = nullptr;
    CommandHandler commandHandler_;
};

}  // namespace kestrine
