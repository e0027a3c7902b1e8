#include "interfaceaddresses.h"
#include "sandboxtestmain.h"

#include <QNetworkInterface>
#include <QTest>

namespace {
bool ip(const QStringList& arguments)
{
    return Sandbox::run(QStringLiteral("ip"), arguments) == 0;
}

// Qt's own listing of the addresses of interfaces that are up, IPv4 only:
// the walk the launcher's address look-up has to match.
QStringList qtAddressesUp()
{
    QStringList addresses;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            addresses.append(address.toString());
    return addresses;
}
} // namespace

class TestInterfaceAddresses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Beside the sandbox's lo and eth0: an interface with two addresses,
        // one that is down, and one with IPv6 only.
        QVERIFY(ip({"link", "add", "dummy1", "type", "veth", "peer", "name", "peer1"}));
        QVERIFY(ip({"addr", "add", "10.1.0.5/16", "dev", "dummy1"}));
        QVERIFY(ip({"addr", "add", "10.2.0.6/24", "dev", "dummy1"}));
        QVERIFY(ip({"link", "set", "dummy1", "up"}));
        QVERIFY(ip({"link", "add", "dummy2", "type", "veth", "peer", "name", "peer2"}));
        QVERIFY(ip({"addr", "add", "10.3.0.7/24", "dev", "dummy2"}));
        QVERIFY(ip({"link", "add", "dummy3", "type", "veth", "peer", "name", "peer3"}));
        QVERIFY(ip({"addr", "add", "fd00::3/64", "dev", "dummy3"}));
        QVERIFY(ip({"link", "set", "dummy3", "up"}));
    }

    void interfacesUpInQtsOrder()
    {
        const QStringList addresses = InterfaceAddresses::ofInterfacesUp();
        QCOMPARE(addresses, qtAddressesUp());
        QCOMPARE(addresses, QStringList({"127.0.0.1", "192.168.1.20", "10.1.0.5", "10.2.0.6"}));

        QVERIFY(ip({"link", "set", "eth0", "down"}));
        QCOMPARE(InterfaceAddresses::ofInterfacesUp(), QStringList({"127.0.0.1", "10.1.0.5", "10.2.0.6"}));
        QCOMPARE(InterfaceAddresses::ofInterfacesUp(), qtAddressesUp());
        QVERIFY(ip({"link", "set", "eth0", "up"}));
    }

    void oneInterfaceUpOrNot()
    {
        QCOMPARE(InterfaceAddresses::of("dummy1"), QStringList({"10.1.0.5", "10.2.0.6"}));
        QCOMPARE(InterfaceAddresses::of("dummy2"), QStringList({"10.3.0.7"}));
        QVERIFY(InterfaceAddresses::of("dummy3").isEmpty());
        QVERIFY(InterfaceAddresses::of("wlan0").isEmpty());
        QVERIFY(InterfaceAddresses::of("").isEmpty());
        // A prefix of a name is not the name.
        QVERIFY(InterfaceAddresses::of("dummy").isEmpty());
    }
};

SANDBOX_TEST_MAIN(TestInterfaceAddresses)
#include "tst_interfaceaddresses.moc"
