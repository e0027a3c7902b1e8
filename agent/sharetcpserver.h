#pragma once

#include <QTcpServer>

// A listening server that hands each accepted descriptor on as it is: the
// agent's TCP tasks talk to their clients with plain recv/send calls.
class ShareTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    explicit ShareTcpServer(QObject* parent = nullptr);

signals:
    void newConnection(int handle);

protected:
    void incomingConnection(qintptr handle) override;
};
