#include "launchertest.h"

#include <QAbstractButton>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton answer, int intervalMs)
    : m_answer(answer)
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::answerOpenBox);
    m_timer.start(intervalMs);
}

QStringList MessageBoxAnswerer::texts() const
{
    QStringList shown;
    for (const Box& box : boxes)
        shown.append(box.text);
    return shown;
}

void MessageBoxAnswerer::answerOpenBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    QStringList captions;
    for (QAbstractButton* button : box->buttons())
        captions.append(button->text());
    boxes.append({box->windowTitle(), box->text(), captions});
    // An answer the box does not offer is the user's Escape key.
    if (QAbstractButton* button = box->button(m_answer))
        button->click();
    else
        QTest::keyClick(box, Qt::Key_Escape);
}

namespace LauncherFixture {

bool writeLanguageDb(int count)
{
    const QString path = QStringLiteral("/opt/zoderer/configs/database/language.db");
    QDir().mkpath(QStringLiteral("/opt/zoderer/configs/database"));
    QFile::remove(path);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        ok = ok && query.exec(QStringLiteral("create table language (ID integer, Chinese text, English text)"));
        // Inserted in descending order: the launcher must order by ID itself.
        for (int id = count; ok && id >= 1; --id)
            ok = query.exec(QStringLiteral("insert into language values (%1, 'zh %1', 'en %1')").arg(id));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    return ok;
}

bool installTexts(bool english)
{
    return writeLanguageDb()
           && Sandbox::writeFile(QStringLiteral("/opt/zoderer/configs/peripheral/peripheralconfig"),
                                 english ? "50\nnone\nnone\n0\n" : "50\nnone\nnone\n1\n");
}

QString scriptPath(const char* name)
{
    return QStringLiteral("/opt/zoderer/login/") + QLatin1String(name);
}

void resetTree()
{
    QDir(QStringLiteral("/opt/zoderer/configs/usrinfodir")).removeRecursively();
    QDir().mkpath(QStringLiteral("/opt/zoderer/configs/usrinfodir"));
    Sandbox::writeFile(QStringLiteral("/opt/zoderer/configs/network/Networkselection"), "wired\n");
    QDir().mkpath(QStringLiteral("/opt/zoderer/configs/network/wificonfigs"));
    Sandbox::writeFile(QStringLiteral("/opt/zoderer/configs/network/netcheck"), "PINGOK\n");
    for (const char* name : {"connect.sh", "poweroff.sh", "reboot.sh", "resetdisplay.sh",
                             "setwifis/ifconfig_eth0_down.sh", "setwifis/ifconfig_eth0_up.sh",
                             "setwifis/armbox_init.sh", "setwifis/check_wifi_status.sh"})
        Sandbox::writeRecordingScript(scriptPath(name));
    // The launcher removes the ping result before each check; the check writes a fresh one.
    FakeScript check;
    check.commands = "echo PINGOK > /opt/zoderer/configs/network/netcheck";
    Sandbox::writeRecordingScript(scriptPath("checknet.sh"), check);
    // The Wi-Fi page's status tick ends the launcher without this file.
    Sandbox::writeFile(QStringLiteral("/opt/zoderer/configs/network/wificonfigs/check_wifi_status.txt"),
                       "Selected interface 'wlan0'\nwpa_state=DISCONNECTED\n");
}

bool setEth0(bool up)
{
    if (Sandbox::run(QStringLiteral("ip"), {"link", "set", "eth0", up ? "up" : "down"}) != 0)
        return false;
    // The running flag follows the link state a moment later.
    const QByteArray wanted = up ? "up" : "down";
    for (int tries = 0; tries < 300; ++tries) {
        if (Sandbox::readFile(QStringLiteral("/sys/class/net/eth0/operstate")).trimmed() == wanted)
            return true;
        QThread::msleep(10);
    }
    return false;
}

bool writeProfile(const QString& name, const QStringList& lines)
{
    return Sandbox::writeFile(QStringLiteral("/opt/zoderer/configs/usrinfodir/") + name + QStringLiteral(".usr"),
                              (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

bool laterScriptHasRun()
{
    const QString later = QStringLiteral("/tmp/later.sh");
    if (!Sandbox::writeRecordingScript(later) || !QProcess::startDetached(later, {}))
        return false;
    return QTest::qWaitFor([&later] { return !Sandbox::recordedCalls(later).isEmpty(); }, 5000);
}
}
