#include "agentprocess.h"
#include "sandboxtestmain.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>
#include <vector>

// termctl probe and rollout on a LAN: t1..t3 run agents with the simulated
// update script, t4 is up without an agent, 192.168.1.15 is nobody.
class TestFleetLan : public QObject
{
    Q_OBJECT

    static constexpr int Agents = 3;
    static constexpr const char* AgentDir = "/opt/zoderer/termagent";
    std::vector<std::unique_ptr<AgentProcess>> agents;

    static QString address(int k) { return QStringLiteral("192.168.1.%1").arg(10 + k); }
    static QString host(int k) { return QStringLiteral("t%1").arg(k); }

    // termctl on the console host, its inventory database under its /tmp.
    static QByteArray termctl(const QStringList& arguments, int* status)
    {
        QByteArray output;
        *status = Sandbox::sandbox(QStringList{"host", "console", "--", "env", "XDG_DATA_HOME=/tmp/xdg",
                                               TERMCTL_PATH} + arguments,
                                   &output);
        return output;
    }

    static int installs(int k)
    {
        const QByteArray log = Sandbox::readFile(Sandbox::hostRoot(host(k)) + "/tmp/device.log");
        return int(log.count("update.sh: installed"));
    }

    // A package holding an agent that reports version 1.13: the built one
    // with its version text (UTF-16) changed, as a new build would carry.
    static bool writePackage(const QString& name, const QByteArray& extra)
    {
        QByteArray agent = Sandbox::readFile(TERMAGENT_PATH);
        const QByteArray old = QByteArray("1\0.\0" "1\0" "2\0", 8);
        if (agent.count(old) != 1)
            return false;
        agent.replace(old, QByteArray("1\0.\0" "1\0" "3\0", 8));
        const QString tree = "/tmp/package-" + name;
        if (!Sandbox::writeFile(tree + "/termagent", agent, true)
            || !Sandbox::writeFile(tree + "/NOTE", extra))
            return false;
        return Sandbox::run("tar", {"-czf", Sandbox::hostRoot("console") + "/tmp/" + name, "-C",
                                    tree, "termagent", "NOTE"})
               == 0;
    }

private slots:
    void initTestCase()
    {
        QByteArray output;
        QVERIFY2(Sandbox::sandbox({"lan", "4"}, &output) == 0, output.constData());
        // The agents start in their directory (the update script's), which
        // the host is entered through: it must exist here too.
        QVERIFY(QDir().mkpath(QLatin1String(AgentDir)));
        for (int k = 1; k <= Agents; ++k) {
            const QString identity = QStringLiteral("printf 'term-%1\\n%1\\n' > /etc/hostname_s").arg(k);
            QCOMPARE(Sandbox::sandbox({"host", host(k), "--", "sh", "-c", identity}), 0);
            auto agent = std::make_unique<AgentProcess>(host(k));
            QVERIFY(agent->install());
            for (const char* script : {"update.sh", "clearUpdate.sh", "getRDPinfo.sh"}) {
                const QString from = QStringLiteral(TERMINAL_SOURCE_DIR "/tests/sandbox/simulated/agent/") + script;
                QVERIFY(Sandbox::writeFile(agent->localDirectory() + "/" + script, Sandbox::readFile(from), true));
            }
            QVERIFY(agent->start(QLatin1String(AgentDir)));
            agents.push_back(std::move(agent));
        }
        for (auto& agent : agents)
            QVERIFY(agent->waitForStderr("Terminclient version"));
    }

    void probeTellsWhy()
    {
        const QMap<QString, QString> expected{{address(1), "alive"},
                                              {address(4), "refused"},
                                              {address(5), "unreachable"}};
        int status = -1;
        const QByteArray output =
            termctl({"probe", address(1), address(4), address(5), "--json", "--timeout", "1000"}, &status);
        QCOMPARE(status, 0);
        QMap<QString, QString> states;
        for (const QByteArray& line : output.split('\n')) {
            const QJsonObject probe = QJsonDocument::fromJson(line).object();
            if (!probe.isEmpty())
                states.insert(probe.value("address").toString(), probe.value("state").toString());
        }
        QCOMPARE(states, expected);
    }

    // One rollout over t1..t3, two at a time: t2's install fails, which
    // stops it before t3; fixed, the same rollout goes on without t1; a
    // package of the same version finds every terminal current.
    void rolloutStopsAndResumes()
    {
        QVERIFY(writePackage("new.tar.gz", "first"));
        QVERIFY(writePackage("same-version.tar.gz", "second"));
        const QString script = Sandbox::hostRoot(host(2)) + AgentDir + "/update.sh";
        const QByteArray simulated = Sandbox::readFile(script);
        QVERIFY(Sandbox::writeRecordingScript(script, FakeScript{"", 1}));

        struct Run
        {
            const char* package;
            int status;
            QStringList results; // t1, t2, t3
        };
        const Run runs[] = {
            {"new.tar.gz", 1, {"updated", "failed", "not started"}},
            {"new.tar.gz", 0, {"done before", "updated", "updated"}},
            {"same-version.tar.gz", 0, {"current", "current", "current"}},
        };
        for (const Run& run : runs) {
            int status = -1;
            const QByteArray output =
                termctl({"rollout", QStringLiteral("/tmp/") + run.package, "--targets",
                         address(1) + "," + address(2) + "," + address(3), "--batch", "2",
                         "--expect-version", "1.13", "--timeout", "20"},
                        &status);
            QVERIFY2(status == run.status, output.constData());
            for (int k = 1; k <= Agents; ++k) {
                const QStringList line = QString::fromLatin1(output).split('\n').filter(address(k) + "  ");
                QVERIFY2(line.size() == 1 && line[0].contains("  " + run.results[k - 1]),
                         output.constData());
            }
            QVERIFY(Sandbox::writeFile(script, simulated, true));
        }
        // Each installed once: none again once done, none when current.
        for (int k = 1; k <= Agents; ++k)
            QCOMPARE(installs(k), 1);
    }
};

SANDBOX_TEST_MAIN(TestFleetLan)
#include "tst_fleet_lan.moc"
