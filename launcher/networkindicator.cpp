#include "networkindicator.h"

namespace {
const QString loopback = QStringLiteral("127.0.0.1");
}

int NetworkIndicator::Waiting::nextTextId()
{
    ++step;
    ++waited;
    int id = 53;
    if (step == 2) {
        id = 54;
    } else if (step == 3) {
        id = 55;
        step = 0;
    }
    return waited > 59 ? 56 : id;
}

NetworkIndicator::Shown NetworkIndicator::shown(const QString& address, Waiting& waiting, const QString& connected,
                                                const QString& waitingPicture)
{
    if (!address.isEmpty())
        return {address, 0, connected};
    return {QString(), waiting.nextTextId(), waitingPicture};
}

NetworkIndicator::Shown NetworkIndicator::wired(const QString& address)
{
    return shown(address, m_wired, QStringLiteral("connect"), QStringLiteral("neterror"));
}

NetworkIndicator::Shown NetworkIndicator::wireless(const QString& address)
{
    return shown(address, m_wireless, QStringLiteral("connect_wifi"), QStringLiteral("neterror_wifi"));
}

NetworkIndicator::Shown NetworkIndicator::none(const QString& picture)
{
    return {loopback, 0, picture};
}
