#pragma once

#include <QString>

// What the connection page's network indicator shows for the state of the
// links: an address or a waiting text, and a picture. While a link has no
// address yet, three waiting texts take turns each tick; from the 60th
// waiting tick of a link on, the failure text stays.
class NetworkIndicator
{
public:
    struct Shown
    {
        // Shown when not empty, else the text of textId.
        QString address;
        int textId = 0;
        // The picture's name among the built-in images.
        QString picture;
    };

    // The wired link is usable: its address, or waiting for one.
    Shown wired(const QString& address);
    // The same for the Wi-Fi link.
    Shown wireless(const QString& address);
    // No usable link: the loopback address with the given picture.
    static Shown none(const QString& picture);

private:
    struct Waiting
    {
        int step = 0;
        int waited = 0;

        int nextTextId();
    };

    static Shown shown(const QString& address, Waiting& waiting, const QString& connected, const QString& waitingPicture);

    Waiting m_wired;
    Waiting m_wireless;
};
