#include "app/platform/linux/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/model/AppPaths.h"

namespace kestrine {

namespace {

// A client that connects and then says nothing is dropped after this long.
constexpr int idleClientMilliseconds = 5000;

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

std::filesystem::path SingleInstance::defaultDirectory(const EnvironmentLookup& environment,
                                                       const std::filesystem::path& supportDirectory) {
    if (auto runtime = environment("XDG_RUNTIME_DIR"); runtime && !runtime->empty()) {
        std::error_code error;
        const std::filesystem::path folder(*runtime);
        if (folder.is_absolute() && std::filesystem::is_directory(folder, error)) return folder;
    }
    return supportDirectory;
}

std::filesystem::path SingleInstance::defaultDirectory() {
    return defaultDirectory(AppPaths::processEnvironment(), AppPaths::supportDirectory());
}

SingleInstance::SingleInstance(std::filesystem::path directory, QObject* parent)
    : QObject(parent), directory_(std::move(directory)) {}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();  // also removes the socket file
        delete server_;
    }
    if (lockFD_ >= 0) ::close(lockFD_);
}

SingleInstance::Role SingleInstance::claim() {
    if (role_ && *role_ != Role::secondary) return *role_;
    role_.reset();
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    if (error) {
        problem_ = "cannot create " + directory_.string() + ": " + error.message();
        return *(role_ = Role::unguarded);
    }
    lockFD_ = ::open(lockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFD_ < 0) {
        problem_ = errnoText("cannot open " + lockPath().string());
        return *(role_ = Role::unguarded);
    }
    int result;
    do {
        result = ::flock(lockFD_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return *(role_ = Role::primary);
    if (errno == EWOULDBLOCK) {
        ::close(lockFD_);
        lockFD_ = -1;
        return *(role_ = Role::secondary);
    }
    problem_ = errnoText("cannot lock " + lockPath().string());
    return *(role_ = Role::unguarded);
}

SingleInstance::Start SingleInstance::claimOrReopen(std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    // Each try gives a starting instance time to listen, and a busy one time to answer.
    constexpr auto attempt = std::chrono::milliseconds(1000);
    while (true) {
        if (claim() != Role::secondary) return Start::run;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (sendReopen(std::clamp(left, std::chrono::milliseconds(0), attempt))) return Start::reopened;
        if (Clock::now() >= deadline) return Start::unanswered;
        // Refused at once (a socket that is closing): a short pause before the lock is tried again.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool SingleInstance::listen() {
    if (role_ != Role::primary) {
        problem_ = "only the running instance listens";
        return false;
    }
    if (server_) return server_->isListening();
    const QString path = QString::fromStdString(socketPath().string());
    // Holding the lock, any socket file here is left over from a run that ended without
    // cleaning up.
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
    });
    if (!server_->listen(path)) {
        problem_ = "cannot listen on " + socketPath().string() + ": " + server_->errorString().toStdString();
        return false;
    }
    return true;
}

bool SingleInstance::isListening() const {
    return server_ && server_->isListening();
}

void SingleInstance::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(idleClientMilliseconds, socket, [socket] { socket->abort(); });
    auto handle = [this, socket] {
        if (socket->state() != QLocalSocket::ConnectedState) return;
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > maximumLineLength) socket->abort();
            return;
        }
        const QByteArray line = socket->readLine(maximumLineLength + 1).trimmed();
        if (line == reopenMessage) {
            socket->write(QByteArray(acknowledgement) + '\n');
            socket->flush();
            emit reopenRequested();
        } else if (line.startsWith(commandPrefix) && commandHandler_) {
            const std::string reply = commandHandler_(line.mid(int(std::strlen(commandPrefix))).toStdString());
            if (socket->state() == QLocalSocket::ConnectedState) {
                socket->write(QByteArray::fromStdString(reply) + '\n');
                socket->flush();
            }
        }
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, handle);
    // The message may have arrived before the connection above: readyRead would not
    // come again for it.
    if (socket->bytesAvailable() > 0) handle();
}

bool SingleInstance::sendReopen(std::chrono::milliseconds timeout) {
    const auto reply = request(reopenMessage, timeout);
    if (!reply) return false;
    if (reply->rfind(acknowledgement, 0) != 0) {
        problem_ = "the running instance did not acknowledge";
        return false;
    }
    return true;
}

std::optional<std::string> SingleInstance::request(const std::string& line, std::chrono::milliseconds timeout) {
    const std::string path = socketPath().string();
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path)) {
        problem_ = "socket path too long: " + path;
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    auto remaining = [&] {
        return std::max<int>(0, int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    };

    // The running instance takes its lock before it listens: until then connecting fails.
    int fd = -1;
    while (true) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            problem_ = errnoText("cannot create a socket");
            return std::nullopt;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) break;
        problem_ = errnoText("cannot reach the running instance at " + path);
        ::close(fd);
        fd = -1;
        if (remaining() == 0) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    const std::string message = line + "\n";
    std::size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t n = ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            problem_ = errnoText("cannot send to the running instance");
            ::close(fd);
            return std::nullopt;
        }
        sent += std::size_t(n);
    }

    std::string reply;
    char buffer[4096];
    while (reply.find('\n') == std::string::npos) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, remaining());
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            problem_ = "the running instance did not answer within " + std::to_string(timeout.count()) + " ms";
            ::close(fd);
            return std::nullopt;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        reply.append(buffer, std::size_t(n));
    }
    ::close(fd);
    const auto end = reply.find('\n');
    if (end == std::string::npos) {
        problem_ = "the running instance closed the connection without an answer";
        return std::nullopt;
    }
    reply.resize(end);
    return reply;
}

}  // namespace kestrine
