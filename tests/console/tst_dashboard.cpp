#include "agentprocess.h"
#include "sandboxtestmain.h"
#include "testframe.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTcpSocket>

#include <memory>
#include <vector>

namespace {

struct HttpAnswer
{
    int status = 0;
    QByteArray head;
    QByteArray body;

    QByteArray header(const QByteArray& name) const
    {
        for (const QByteArray& line : head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }
};

// One HTTP/1.1 request to 127.0.0.1:port on the console host, where both the
// dashboard and chromedriver listen.
HttpAnswer http(quint16 port, const QByteArray& method, const QByteArray& path,
                const QByteArray& body = {}, const QByteArray& headers = {})
{
    HttpAnswer answer;
    std::unique_ptr<QTcpSocket> socket(Sandbox::tcpSocket(QStringLiteral("console"), port));
    if (!socket)
        return answer;
    socket->write(method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port)
                  + "\r\nConnection: close\r\nContent-Type: application/json\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\n" + headers + "\r\n" + body);
    // Until the announced body is complete: the server may keep the connection.
    QByteArray all;
    qsizetype end = -1;
    qint64 length = -1;
    while (length < 0 || all.size() < end + 4 + length) {
        if (!socket->waitForReadyRead(30000))
            break;
        all += socket->readAll();
        end = all.indexOf("\r\n\r\n");
        if (end >= 0 && length < 0) {
            const QByteArray head = all.left(end).toLower();
            const qsizetype at = head.indexOf("content-length:");
            length = at < 0
                ? 0
                : head.mid(at + 15, head.indexOf('\r', at) - at - 15).trimmed().toLongLong();
        }
    }
    answer.head = all.left(end);
    answer.body = all.mid(end + 4);
    answer.status = all.mid(9, 3).toInt();
    return answer;
}

// The WebDriver session of a headless Chromium, through chromedriver's HTTP API.
class Browser
{
public:
    static constexpr quint16 Port = 9515;

    bool open()
    {
        // No name is ever looked up: the sandbox has no name server, and a
        // lookup the browser makes on its own held the first page ~10 s.
        const QJsonObject options {
            {"binary", "/usr/bin/chromium"},
            {"args",
             QJsonArray {"--headless=new", "--no-sandbox", "--disable-gpu",
                         "--disable-dev-shm-usage", "--user-data-dir=/tmp/dashboard-profile",
                         "--no-first-run", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync",
                         "--window-size=1280,900",
                         "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1"}}};
        const QJsonObject capabilities {
            {"capabilities",
             QJsonObject {{"alwaysMatch", QJsonObject {{"goog:chromeOptions", options}}}}}};
        m_session = command("POST", "/session", capabilities)["sessionId"].toString().toLatin1();
        return !m_session.isEmpty();
    }
    void close() { command("DELETE", "/session/" + m_session); }

    // The value member of the answer.
    QJsonValue command(const QByteArray& method, const QByteArray& path,
                       const QJsonObject& body = {})
    {
        const QByteArray sent = method == "POST" ? QJsonDocument(body).toJson() : QByteArray();
        return QJsonDocument::fromJson(http(Port, method, path, sent).body).object()["value"];
    }
    QJsonValue session(const QByteArray& method, const QByteArray& path,
                       const QJsonObject& body = {})
    {
        return command(method, "/session/" + m_session + path, body);
    }
    QJsonValue script(const QString& code)
    {
        return session("POST", "/execute/sync", {{"script", code}, {"args", QJsonArray()}});
    }

private:
    QByteArray m_session;
};

} // namespace

// termctl serve on the console host of a LAN of two real agents, whose
// screens are the framebuffer stand-in, used through headless Chromium.
class TestDashboard : public QObject
{
    Q_OBJECT

    static constexpr int Terminals = 2;
    static constexpr quint16 DashboardPort = 8080;
    std::vector<std::unique_ptr<AgentProcess>> agents;
    QProcess serve;
    QProcess driver;
    Browser browser;

    static QString address(int k) { return QStringLiteral("192.168.1.%1").arg(10 + k); }

    static QString rebootScript(int k)
    {
        return Sandbox::hostRoot(QStringLiteral("t%1").arg(k)) + "/opt/zoderer/login/reboot.sh";
    }

    // Programs of the console host, without the framebuffer stand-in.
    void startOnConsole(QProcess& process, const QStringList& command)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("LD_PRELOAD");
        environment.insert("HOME", "/tmp");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(Sandbox::script(), QStringList {"host", "console", "--"} + command);
    }

    // The header line of a session got by loading the page.
    static QByteArray sessionCookie()
    {
        const HttpAnswer page = http(DashboardPort, "GET", "/");
        return "Cookie: " + page.header("Set-Cookie").split(';').first() + "\r\n";
    }

    static bool waitForHttp(quint16 port)
    {
        for (int i = 0; i < 100; ++i) {
            if (std::unique_ptr<QTcpSocket>(Sandbox::tcpSocket("console", port)))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        QByteArray output;
        QVERIFY2(Sandbox::sandbox({"lan", QString::number(Terminals)}, &output) == 0,
                 output.constData());
        // /run is shared by every host of the LAN: both agents show this frame.
        QVERIFY(TestFrame::install(0, "/run/dashboard-fb0", 640, 480, 32));
        for (int k = 1; k <= Terminals; ++k) {
            const QString host = QStringLiteral("t%1").arg(k);
            const QString identity =
                QStringLiteral("printf 'term-%1\\n%1\\n' > /etc/hostname_s").arg(k);
            QCOMPARE(Sandbox::sandbox({"host", host, "--", "sh", "-c", identity}), 0);
            auto agent = std::make_unique<AgentProcess>(host);
            QVERIFY(Sandbox::writeRecordingScript(rebootScript(k)));
            QVERIFY(agent->install());
            QVERIFY(Sandbox::writeFile(
                agent->localDirectory() + "/update.sh",
                Sandbox::readFile(TERMINAL_SOURCE_DIR "/tests/sandbox/simulated/agent/update.sh"),
                true));
            QVERIFY(agent->start());
            agents.push_back(std::move(agent));
        }
        for (auto& agent : agents)
            QVERIFY(agent->waitForStderr("Terminclient version"));
        startOnConsole(serve, {TERMCTL_PATH, "serve"});
        startOnConsole(driver,
                       {"/usr/bin/chromedriver", QStringLiteral("--port=%1").arg(Browser::Port)});
        QVERIFY(waitForHttp(DashboardPort));
        QVERIFY(waitForHttp(Browser::Port));
        QVERIFY(browser.open());
    }

    void cleanupTestCase()
    {
        browser.close();
        for (QProcess* process : {&driver, &serve}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    void changesNeedSessionAndToken()
    {
        const QByteArray reboot = "/api/terminals/" + address(1).toLatin1() + "/reboot";
        QCOMPARE(http(DashboardPort, "POST", reboot).status, 401);
        // A session from loading the page, but no token: refused all the same.
        const QByteArray cookie = sessionCookie();
        QVERIFY(cookie.contains("termctl_session="));
        QCOMPARE(http(DashboardPort, "POST", reboot, {}, cookie).status, 403);
        QCOMPARE(
            http(DashboardPort, "POST", reboot, {}, cookie + "X-CSRF-Token: guessed\r\n").status,
            403);
        // A page of another name pointed at this host gets nothing.
        QCOMPARE(http(DashboardPort, "GET", "/api/terminals", {}, cookie + "Host: evil.example\r\n")
                     .status,
                 403);
        QTest::qWait(500);
        QCOMPARE(Sandbox::recordedCalls(rebootScript(1)).size(), 0);
        QCOMPARE(agents[0]->process().state(), QProcess::Running);
    }

    void pageShowsCardsAndScreens()
    {
        QElapsedTimer timer;
        timer.start();
        browser.session("POST", "/url",
                        {{"url", QStringLiteral("http://127.0.0.1:%1/").arg(DashboardPort)}});
        const QString cardCount = "return document.querySelectorAll('.card').length";
        QTRY_COMPARE_WITH_TIMEOUT(browser.script(cardCount).toInt(), Terminals, 15000);
        qInfo("%d cards shown %lld ms after asking for the page, which loaded in %d ms", Terminals,
              timer.elapsed(),
              int(browser.script("return performance.getEntriesByType('navigation')[0].duration")
                      .toDouble()));
        const QString host =
            QStringLiteral("return document.querySelector('[data-ip=\"%1\"] .host').textContent")
                .arg(address(2));
        QCOMPARE(browser.script(host).toString(), QString("term-2"));
        // The forms behind the actions stay closed until their button opens them.
        QCOMPARE(browser.script("return [...document.querySelectorAll('form')]"
                                ".filter(f => getComputedStyle(f).display !== 'none').length")
                     .toInt(),
                 0);
        const QString loaded =
            "return [...document.querySelectorAll('.thumb')].filter(i => i.complete && "
            "i.naturalWidth > 0).map(i => i.naturalWidth)";
        QTRY_VERIFY_WITH_TIMEOUT(browser.script(loaded).toArray().size() == Terminals, 20000);
        QCOMPARE(browser.script(loaded).toArray().at(0).toInt(), 640);
        qInfo("screens shown after %lld ms", timer.elapsed());
        // Each picture says when it was taken, in a form the page reads.
        const HttpAnswer screen = http(DashboardPort, "GET",
                                       "/api/terminals/" + address(1).toLatin1() + "/screen", {},
                                       sessionCookie());
        QCOMPARE(screen.status, 200);
        const QString age =
            QStringLiteral("const age = Date.parse('%1') - Date.parse('%2'); "
                           "return Number.isFinite(age) ? age : -1")
                .arg(QString::fromLatin1(screen.header("Date")),
                     QString::fromLatin1(screen.header("Last-Modified")));
        const int ageMs = browser.script(age).toInt();
        QVERIFY2(ageMs >= 0 && ageMs <= 10000, screen.head.constData());
    }

    void updateFromTheCard()
    {
        // A package of one file, which the terminal's update script unpacks
        // into its software tree.
        const QString console = Sandbox::hostRoot("console");
        QVERIFY(Sandbox::writeFile(console + "/tmp/package/bin/marker", "from the dashboard\n"));
        QCOMPARE(QProcess::execute("tar", {"-czf", console + "/tmp/update.tar.gz", "-C",
                                           console + "/tmp/package", "."}),
                 0);
        const QString card = QStringLiteral("[data-ip=\"%1\"]").arg(address(1));
        browser.script(QStringLiteral("document.querySelector('%1 .update-open').click(); return true")
                           .arg(card));
        const QJsonObject input =
            browser
                .session("POST", "/element",
                         {{"using", "css selector"}, {"value", card + " input[name=package]"}})
                .toObject();
        QVERIFY(!input.isEmpty());
        browser.session("POST", "/element/" + input.begin()->toString().toLatin1() + "/value",
                        {{"text", "/tmp/update.tar.gz"}});
        browser.script(QStringLiteral("setTimeout(() => document.querySelector('%1 form.update "
                                      "button').click(), 0); return true;")
                           .arg(card));
        QTRY_VERIFY_WITH_TIMEOUT(
            browser.session("GET", "/alert/text").toString().contains("update.tar.gz"), 5000);
        browser.session("POST", "/alert/accept");
        const QString message =
            QStringLiteral("return document.querySelector('%1 .message').textContent").arg(card);
        QTRY_VERIFY_WITH_TIMEOUT(browser.script(message).toString().startsWith("update: done"),
                                 20000);
        QCOMPARE(Sandbox::readFile(Sandbox::hostRoot("t1") + "/opt/zoderer/software/bin/marker"),
                 QByteArray("from the dashboard\n"));
    }

    void rebootFromTheCard()
    {
        // Clicked after the script returns, so that the confirmation does not block it.
        browser.script(
            QStringLiteral("setTimeout(() => document.querySelector('[data-ip=\"%1\"] .reboot')"
                           ".click(), 0); return true;")
                .arg(address(2)));
        QTRY_VERIFY_WITH_TIMEOUT(
            browser.session("GET", "/alert/text").toString().contains(address(2)), 5000);
        browser.session("POST", "/alert/accept");
        QVERIFY(agents[1]->waitForExit(5000));
        QTRY_COMPARE(Sandbox::recordedCalls(rebootScript(2)).size(), 1);
        QCOMPARE(Sandbox::recordedCalls(rebootScript(1)).size(), 0);
        const QString message =
            QStringLiteral("return document.querySelector('[data-ip=\"%1\"] .message').textContent")
                .arg(address(2));
        QTRY_COMPARE(browser.script(message).toString(), QString("reboot: sent"));
        const QByteArray status =
            Sandbox::readFile(QStringLiteral("/proc/%1/status").arg(serve.processId()));
        const qsizetype peak = status.indexOf("VmHWM:");
        qInfo("termctl serve: %s",
              status.mid(peak, status.indexOf('\n', peak) - peak).simplified().constData());
    }
};

SANDBOX_TEST_MAIN(TestDashboard)
#include "tst_dashboard.moc"
