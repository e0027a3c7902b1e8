#include "sharetcpserver.h"

ShareTcpServer::ShareTcpServer(QObject* parent) : QTcpServer(parent) {}

void ShareTcpServer::incomingConnection(qintptr handle)
{
    emit newConnection(int(handle));
}
