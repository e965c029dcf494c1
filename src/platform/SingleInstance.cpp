#include "SingleInstance.h"

#include "Paths.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace muralto {

namespace {

const char kActivate[] = "2146\n";

std::string SocketPath() {
    return RuntimeFolder() + "muralto-TMTOwner";
}

} // namespace

std::string RuntimeFolder() {
    std::string folder = Environment("XDG_RUNTIME_DIR");
    if (folder.empty()) {
        folder = "/tmp/muralto-" + std::to_string(getuid());
        mkdir(folder.c_str(), 0700);
    }
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

InstanceMarker::InstanceMarker() : path_(RuntimeFolder() + "muralto-QX Soft [MURALTO]") {}

bool InstanceMarker::Exists() const {
    return FileExists(path_);
}

bool InstanceMarker::Add() {
    const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::string pid = std::to_string(getpid()) + "\n";
    const bool written = write(fd, pid.data(), pid.size()) == ssize_t(pid.size());
    close(fd);
    return written;
}

void InstanceMarker::Delete() {
    unlink(path_.c_str());
}

long InstanceMarker::OwnerProcess() const {
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[32] = {};
    const ssize_t n = read(fd, buffer, sizeof buffer - 1);
    close(fd);
    if (n <= 0)
        return 0;
    const long pid = std::strtol(buffer, nullptr, 10);
    if (pid <= 0 || (kill(pid_t(pid), 0) != 0 && errno == ESRCH))
        return 0;
    return pid;
}

InstanceWindow::InstanceWindow(QObject* parent)
    : QObject(parent), server_(std::make_unique<QLocalServer>()) {
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("2146"))
                    emit Activated();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

InstanceWindow::~InstanceWindow() = default;

bool InstanceWindow::Listen() {
    const QString path = QString::fromStdString(SocketPath());
    QLocalServer::removeServer(path); // a socket file left by a crash
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    return server_->listen(path);
}

bool SignalRunningInstance(int waitMilliseconds) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(SocketPath()));
    if (!socket.waitForConnected(waitMilliseconds))
        return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

} // namespace muralto
