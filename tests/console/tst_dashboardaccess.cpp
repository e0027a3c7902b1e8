#include "dashboardaccess.h"
#include "requestsizeguard.h"
#include "sandboxtestmain.h"

// The dashboard's gate without a socket: password, sessions, CSRF tokens,
// host names, and the bound on what one request may send.
class TestDashboardAccess : public QObject
{
    Q_OBJECT

    const QDateTime start = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);

private slots:
    void verdicts_data()
    {
        QTest::addColumn<QString>("cookie"); // "session", "other", "expired", "none"
        QTest::addColumn<QString>("token"); // "own", "foreign", "empty", "prefix"
        QTest::addColumn<int>("verdict");
        using V = DashboardAccess::Verdict;
        QTest::newRow("own session, own token") << "session"
                                                << "own" << int(V::Allowed);
        QTest::newRow("no cookie") << "none"
                                   << "own" << int(V::NoSession);
        QTest::newRow("unknown session") << "other"
                                         << "own" << int(V::NoSession);
        QTest::newRow("expired session") << "expired"
                                         << "own" << int(V::NoSession);
        QTest::newRow("no token") << "session"
                                  << "empty" << int(V::BadToken);
        QTest::newRow("another session's token") << "session"
                                                 << "foreign" << int(V::BadToken);
        QTest::newRow("token cut short") << "session"
                                         << "prefix" << int(V::BadToken);
    }

    void verdicts()
    {
        QFETCH(QString, cookie);
        QFETCH(QString, token);
        QFETCH(int, verdict);
        DashboardAccess access(QByteArray(), {});
        const DashboardAccess::Session own = access.open(start);
        const DashboardAccess::Session foreign = access.open(start);
        QVERIFY(own.id.size() >= 22 && own.csrf.size() >= 22); // 128 bits and more
        QVERIFY(own.id != foreign.id && own.csrf != foreign.csrf);
        const QByteArray name = DashboardAccess::CookieName;
        QByteArray header = "theme=dark; ";
        QDateTime now = start.addSecs(60);
        if (cookie == "session" || cookie == "expired")
            header += name + '=' + own.id;
        else if (cookie == "other")
            header += name + "=" + QByteArray(own.id).replace(0, 1, own.id[0] == 'A' ? "B" : "A");
        if (cookie == "expired")
            now = start.addSecs(DashboardAccess::SessionSeconds + 1);
        const QByteArray sent = token == "own" ? own.csrf
            : token == "foreign"               ? foreign.csrf
            : token == "prefix"                ? own.csrf.left(own.csrf.size() - 1)
                                               : QByteArray();
        QCOMPARE(int(access.authorize(header, sent, now)), verdict);
    }

    void passwordAndHosts()
    {
        DashboardAccess open(QByteArray(), {"127.0.0.1:8080", "localhost:8080"});
        QVERIFY(!open.needsPassword());
        QVERIFY(!open.checkPassword(""));
        QVERIFY(open.hostAllowed("LOCALHOST:8080"));
        QVERIFY(!open.hostAllowed("evil.example:8080"));
        QVERIFY(!open.hostAllowed(""));

        DashboardAccess guarded("s3cret pass", {});
        QVERIFY(guarded.needsPassword());
        QVERIFY(guarded.checkPassword("s3cret pass"));
        QVERIFY(!guarded.checkPassword("s3cret pas"));
        QVERIFY(!guarded.checkPassword(""));
        QVERIFY(guarded.hostAllowed("192.168.1.1:8080"));

        const DashboardAccess::Session session = guarded.open(start);
        const QByteArray cookie = DashboardAccess::cookie(session, start);
        for (const char* attribute : {"HttpOnly", "SameSite=Strict", "Max-Age=43200"})
            QVERIFY2(cookie.contains(attribute), cookie.constData());
    }

    void sizeGuard_data()
    {
        QTest::addColumn<QList<QByteArray>>("arrivals");
        QTest::addColumn<bool>("accepted");
        const QByteArray get = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
        const QByteArray post = "POST /p HTTP/1.1\r\nContent-Length: 100\r\n\r\n";
        QTest::newRow("requests in pieces")
            << QList<QByteArray> {get.left(5), get.mid(5) + post.left(20), post.mid(20),
                                  QByteArray(100, 'b') + get}
            << true;
        QTest::newRow("body at the limit")
            << QList<QByteArray> {"POST / HTTP/1.1\r\ncontent-length: 1000\r\n\r\n"} << true;
        QTest::newRow("body beyond the limit")
            << QList<QByteArray> {"POST / HTTP/1.1\r\nContent-Length: 1001\r\n\r\n"} << false;
        QTest::newRow("second request beyond the limit")
            << QList<QByteArray> {post + QByteArray(100, 'b'),
                                  "POST / HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n"}
            << false;
        QTest::newRow("chunked body")
            << QList<QByteArray> {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"} << false;
        QTest::newRow("bad length")
            << QList<QByteArray> {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n"} << false;
        QTest::newRow("endless head")
            << QList<QByteArray> {"GET / HTTP/1.1\r\n",
                                  QByteArray(RequestSizeGuard::MaxHeadBytes, 'h')}
            << false;
    }

    void sizeGuard()
    {
        QFETCH(QList<QByteArray>, arrivals);
        QFETCH(bool, accepted);
        RequestSizeGuard guard(1000);
        bool ok = true;
        for (const QByteArray& bytes : arrivals)
            ok = guard.take(bytes);
        QCOMPARE(ok, accepted);
    }
};

SANDBOX_TEST_MAIN(TestDashboardAccess)
#include "tst_dashboardaccess.moc"
