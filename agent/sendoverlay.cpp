#include "sendoverlay.h"

#include <QDebug>

#include <unistd.h>

SendOverlay::SendOverlay(const PreData& packet) : PreData(packet) {}

SendOverlay::~SendOverlay() = default;

void SendOverlay::dealTask()
{
    qDebug() << "SendOverlay::dealTask: " << key.c_str();
    ::close(extra.toInt());
    delete this;
}
