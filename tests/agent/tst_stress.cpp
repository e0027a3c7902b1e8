#include "sandboxtestmain.h"

#include "config.h"
#include "shareprotocol.h"
#include "terminalmsg.h"
#include "terminaludpserver.h"

#include <QHostAddress>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// Reports rebuild the interface table on worker threads while every
// datagram looks it up on the receiving thread. Built with ThreadSanitizer by the
// test script; in a plain build it still checks that every lookup sees a
// whole table.
class TestStress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }

    void concurrentRebuildAndLookup()
    {
        Config* config = Config::getInstance();
        const quint32 broadcast = QHostAddress("192.168.1.255").toIPv4Address();
        std::atomic<int> wrong{0};
        std::atomic<bool> stop{false};

        std::vector<std::thread> rebuilders;
        for (int t = 0; t < 4; ++t) {
            rebuilders.emplace_back([&] {
                while (!stop) {
                    if (config->getAddress() != QHostAddress("192.168.1.20"))
                        ++wrong;
                    if (config->getHardAdress().isEmpty())
                        ++wrong;
                }
            });
        }

        // Datagrams are dispatched on a thread of their own as well, so that
        // every stack of a report on our state is our code, not the library's.
        TerminalUdpServer server;
        std::mutex tasksMutex;
        std::vector<std::thread> tasks;
        std::atomic<int> dispatched{0};
        connect(&server, &TerminalUdpServer::newRequest, this, [&](PreData* task) {
            // Only a report is addressed, to the broadcast address.
            const bool report = dynamic_cast<TerminalMsg*>(task) != nullptr;
            if (report ? task->extra.toUInt() != broadcast : task->extra.isValid())
                ++wrong;
            ++dispatched;
            const std::lock_guard lock(tasksMutex);
            tasks.emplace_back([task] { task->dealTask(); });
        }, Qt::DirectConnection);
        const QByteArray requests[] = {
            "##{\"key\":\"TERMINALMSG_REQUEST\"}",
            "##{\"key\":\"TERMINALREBOOT_REQUEST\",\"content\":\"[167772165]\"}",
            "##{\"key\":\"TERMINALSHUTDOWN_REQUEST\",\"content\":\"[1,2,3]\"}",
        };
        const int rounds = 300;
        std::thread dispatcher([&] {
            for (int i = 0; i < rounds; ++i) {
                server.onShareProtocolDataProcess(requests[i % 3]);
                if (config->getBroadcast() != broadcast)
                    ++wrong;
            }
        });
        dispatcher.join();
        stop = true;
        for (auto& thread : rebuilders)
            thread.join();
        for (auto& thread : tasks)
            thread.join();
        QCOMPARE(dispatched.load(), rounds);
        QCOMPARE(wrong.load(), 0);
    }
};

SANDBOX_TEST_MAIN(TestStress)
#include "tst_stress.moc"
