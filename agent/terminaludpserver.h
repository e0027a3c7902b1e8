#pragma once

#include <QByteArray>
#include <QObject>

class PreData;
class QUdpSocket;

// Receives the console's datagrams on UDP port 9800 and turns the known
// requests into tasks.
class TerminalUdpServer : public QObject
{
    Q_OBJECT

public:
    explicit TerminalUdpServer(QObject* parent = nullptr);

    bool active() const;

signals:
    void newRequest(PreData* preData);

public slots:
    void onServerReadyRead();
    void onShareProtocolDataProcess(QByteArray byteArray);

private:
    QUdpSocket* m_udpSocket;
};
