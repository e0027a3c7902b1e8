#include "outputcapture.h"
#include "sandboxtestmain.h"

#include "helper.h"
#include "shareprotocol.h"

#include <QMap>
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

    void burstsAreCounted()
    {
        const QtMessageHandler previous = qInstallMessageHandler(Helper::myMsgHandler);
        PreData::setTraceWriter(Helper::writeTrace);
        const int burst = 1000;
        const int n = Helper::BurstLines;
        const QByteArray warning = "Warning: RequestHandler::handleRequest: too many waiting tasks, dropped TERMINALMSG";
        const QByteArray prefix = "Warning: Helper::writeLine: repeated ";
        // The lines written, and the counts by line (a burst may span the turn of a second).
        QByteArray written;
        QMap<QByteArray, int> counted;
        const auto read = [&](const QByteArray& log) {
            written.clear();
            counted.clear();
            for (const QByteArray& line : log.split('\n')) {
                if (!line.startsWith(prefix)) {
                    written += line + '\n';
                    continue;
                }
                const qsizetype end = line.indexOf(' ', prefix.size());
                counted[line.mid(line.indexOf(": ", end) + 2)] += line.mid(prefix.size(), end - prefix.size()).toInt();
            }
            return counted;
        };
        const QMap<QByteArray, int> expected{
            {"[## protocol error", burst - n}, {"[## unpack error", burst - n}, {warning, burst - n}};
        QByteArray traces;
        {
            OutputCapture out(stdout);
            OutputCapture err(stderr);
            for (int i = 0; i < burst; ++i) {
                QVERIFY(PreData::unpack("##x", QVariant()) == nullptr);
                qWarning() << "RequestHandler::handleRequest: too many waiting tasks, dropped" << "TERMINALMSG";
            }
            qDebug() << "another line";
            QTRY_COMPARE_WITH_TIMEOUT((Helper::flushRepeats(), read(err.text())), expected, 3000);
            traces = out.text();
        }
        qInstallMessageHandler(previous);
        QCOMPARE(traces, QByteArray("[## protocol error\n[## unpack error\n").repeated(n));
        QCOMPARE(written, (warning + '\n').repeated(n) + "Debug: another line\n\n");
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
