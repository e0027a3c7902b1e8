#pragma once

#include "screenbuffer.h"
#include "shareprotocol.h"

// Serves one "SCREEN_REQUEST" connection from the newer of two stored
// screenshots, then refreshes the older one when the newer is missing or
// stale, so that a request never waits for a capture.
class SendScreen : public PreData
{
public:
    explicit SendScreen(const PreData& packet);
    ~SendScreen() override;

    void dealTask() override;

    static ScreenBuffer buffer1;
    static ScreenBuffer buffer2;
    static ScreenBuffer* getNewerBuffer();
    static ScreenBuffer* getOlderBuffer();

    // The buffer to answer from: second when it was filled after first.
    static ScreenBuffer* newerOf(ScreenBuffer& first, ScreenBuffer& second);
    // The buffer to capture into: second when first was filled after it.
    static ScreenBuffer* olderOf(ScreenBuffer& first, ScreenBuffer& second);
    // A capture follows the answer when the newer buffer holds no image or
    // its image is 3 seconds old or more at time now.
    static bool needsCapture(const ScreenBuffer& newer, qint64 now);
    // One request on socket against the pair of buffers, now being the time
    // in seconds; the connection is left open.
    static void serve(int socket, ScreenBuffer& first, ScreenBuffer& second, qint64 now);
};
