#pragma once

#include <QCoreApplication>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// A non-GUI application object of which only one runs per id and user. The
// first instance holds a lock file and listens on a local socket; a later
// one finds the lock taken and can send the first a message. When the lock
// cannot be made at all, an instance that answers on the socket counts.
class SingleCoreApplication : public QCoreApplication
{
    Q_OBJECT

public:
    SingleCoreApplication(const QString& id, int& argc, char** argv);
    ~SingleCoreApplication() override;

    // True when another instance holds the lock.
    bool isRunning() const;
    // Delivers the message to the running instance, trying for at most
    // timeoutMs; false when this is the only instance or nobody answered.
    bool sendMessage(const QString& message, int timeoutMs);

signals:
    void messageReceived(const QString& message);

private:
    // After a failed tryLock: whether the lock is another process's, alive.
    bool heldByLiveProcess() const;
    // Whether an instance listens under our name.
    bool answers() const;
    void listen();

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    bool m_primary = false;
    QLocalServer* m_server = nullptr;
};
