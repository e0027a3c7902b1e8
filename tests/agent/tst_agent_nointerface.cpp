#include "agentprocess.h"
#include "sandboxtestmain.h"

#include "shareprotocol.h"

#include <QUdpSocket>

// The agent on a terminal with loopback only: no usable interface.
class TestAgentNoInterface : public QObject
{
    Q_OBJECT

private slots:
    void reportGoesNowhereAndNothingMatches()
    {
        QVERIFY(Sandbox::writeRecordingScript("/opt/system/zoderer/poweroff.sh"));
        QVERIFY(Sandbox::writeRecordingScript("/opt/zoderer/login/reboot.sh"));
        AgentProcess agent;
        QVERIFY(agent.install() && agent.start());
        // With no broadcast address the report is addressed to 0.0.0.0.
        QVERIFY(agent.waitForStderr("TerminalMsg::dealTask:  \"0.0.0.0\""));

        QUdpSocket sender;
        for (const char* key : {"TERMINALSHUTDOWN_REQUEST", "TERMINALREBOOT_REQUEST"}) {
            const QByteArray packet = QByteArray::fromStdString(PreData(key, "[0, 2130706433]").toString());
            QCOMPARE(sender.writeDatagram(packet, QHostAddress::LocalHost, 9800), qint64(packet.size()));
        }
        QVERIFY(agent.waitForStderr("Warning: TerminalShutdown::dealTask: local ip: 0"));
        QVERIFY(agent.waitForStderr("Warning: TerminalReboot::dealTask: local ip: 0"));
        // A later request's report, logged after the agent has dealt with both.
        const QByteArray report =
            QByteArray::fromStdString(PreData("TERMINALMSG_REQUEST", "").toString());
        QCOMPARE(sender.writeDatagram(report, QHostAddress::LocalHost, 9800),
                 qint64(report.size()));
        QTRY_COMPARE(agent.countStderr("TerminalMsg::dealTask:  \"0.0.0.0\""), 2);
        QCOMPARE(agent.process().state(), QProcess::Running);
        QVERIFY(Sandbox::recordedCalls("/opt/system/zoderer/poweroff.sh").isEmpty());
        QVERIFY(Sandbox::recordedCalls("/opt/zoderer/login/reboot.sh").isEmpty());
        QVERIFY(Sandbox::standinCalls().isEmpty());
    }
};

SANDBOX_TEST_MAIN(TestAgentNoInterface)
#include "tst_agent_nointerface.moc"
