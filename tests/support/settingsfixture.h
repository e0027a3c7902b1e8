#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QWidget;

// The terminal's file tree for the settings pages: the text table, the
// configuration directories and fake device scripts that record their calls.
// The Wi-Fi scripts act on a small simulated radio under /tmp/wifi:
//   scan            what scan_result.sh leaves as the scan listing
//   status          what check_wifi_status.sh leaves as the status file
//   after-connect   becomes "status" when connectwifi.sh runs
//   after-fail      becomes "status" when connectwifi_fail.sh runs
//   delay           seconds each Wi-Fi script that callers wait for takes
// Every script also appends its name to a common order log; those Wi-Fi
// scripts also note when one starts while another is running.
namespace SettingsFixture {

extern const QString configs;
extern const QString wifiDir;
extern const QString statusFile;

// Resets the tree and the scripts; the status script reports "not
// associated" until a test writes /tmp/wifi/status.
void reset();
bool writeRadio(const QString& name, const QByteArray& content);
// A status report associated with ssid, with an address line when given.
QByteArray associatedStatus(const QString& ssid, const QString& address = QString());

QString loginScript(const char* name);
QString wifiScript(const char* name);
// The names of the scripts in the order they ran.
QStringList scriptOrder();
void clearScriptOrder();
// The Wi-Fi scripts that started while another one was running.
QStringList overlappingScripts();

QString text(int id);
QStringList texts(const QList<int>& ids);
// A widget by object name anywhere below root; fails the test when absent.
template <typename T> T* child(QWidget* root, const char* name);
} // namespace SettingsFixture

#include <QTest>
#include <QWidget>

template <typename T> T* SettingsFixture::child(QWidget* root, const char* name)
{
    T* widget = root->findChild<T*>(QLatin1String(name));
    if (!widget)
        qWarning("no widget %s", name);
    return widget;
}
