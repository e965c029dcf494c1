#pragma once
// The single-instance rule: a marker file in the user's runtime folder stands for the
// running program (it outlives a crash, so a stale one can be seen) and a local socket
// named after the main window class stands for its window.
#include <QObject>
#include <memory>
#include <string>

class QLocalServer;

namespace muralto {

class InstanceMarker {
public:
    InstanceMarker();
    bool Exists() const;
    // Creates the marker with this process's id; false when another process made it first.
    bool Add();
    void Delete();
    // Process id written into an existing marker (0 when unknown or gone).
    long OwnerProcess() const;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The running program's end of the socket. Each message received is handed on as a
// signal; the only one sent is the activation notice of a second start.
class InstanceWindow : public QObject {
    Q_OBJECT
public:
    explicit InstanceWindow(QObject* parent = nullptr);
    ~InstanceWindow() override;
    bool Listen();

signals:
    void Activated();

private:
    std::unique_ptr<QLocalServer> server_;
};

// The second start's side: true when a running program's window answered; it is sent the
// activation notice (message 2146).
bool SignalRunningInstance(int waitMilliseconds);

std::string RuntimeFolder();

} // namespace muralto
