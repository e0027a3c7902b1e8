#include "outputcapture.h"
#include "sandboxtestmain.h"

#include "helper.h"

#include <QProcess>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

// The agent's log handler: one line per message on standard error.
class TestHelper : public QObject
{
    Q_OBJECT

private slots:
    void lineFormats()
    {
        const QtMessageHandler previous = qInstallMessageHandler(Helper::myMsgHandler);
        QByteArray written;
        {
            OutputCapture capture(stderr);
            qDebug() << "Config::model: \t\t" << QString("QB560_a20");
            qWarning() << "Server Recieve Data Failed";
            qCritical("critical %d", 3);
            qInfo() << "not one of the four";
            written = capture.text();
        }
        qInstallMessageHandler(previous);
        QCOMPARE(written, QByteArray("Debug: Config::model: \t\t \"QB560_a20\"\n"
                                     "Warning: Server Recieve Data Failed\n"
                                     "Critical: critical 3\n"));
    }

    void fatalAborts()
    {
        int pipeEnds[2];
        QVERIFY(::pipe(pipeEnds) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::dup2(pipeEnds[1], STDERR_FILENO);
            // The test framework's own crash handler would add its report.
            ::signal(SIGABRT, SIG_DFL);
            qInstallMessageHandler(Helper::myMsgHandler);
            qFatal("Tcp server listen error");
            ::_exit(0); // not reached
        }
        ::close(pipeEnds[1]);
        QByteArray written;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
            written.append(buffer, n);
        ::close(pipeEnds[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGABRT);
        QCOMPARE(written, QByteArray("Fatal: Tcp server listen error\n"));
    }
};

SANDBOX_TEST_MAIN(TestHelper)
#include "tst_helper.moc"
