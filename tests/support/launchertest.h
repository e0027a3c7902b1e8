#pragma once

#include "sandbox.h"

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

// The main() of a launcher page test: like SANDBOX_TEST_MAIN, with a widget
// application on the offscreen platform unless a platform was chosen.
#define SANDBOX_GUI_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        if (!Sandbox::guard(argv[0]))                                                              \
            return 2;                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        /* A page that ends the process must not pass for a finished test. */                      \
        static bool finished = false;                                                              \
        std::atexit([] {                                                                           \
            if (!finished) {                                                                       \
                std::fprintf(stderr, "FAIL: the code under test ended the process\n");            \
                std::_Exit(3);                                                                     \
            }                                                                                      \
        });                                                                                        \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        const int result = QTest::qExec(&test, argc, argv);                                        \
        finished = true;                                                                           \
        return result;                                                                             \
    }

// Answers every modal message box that opens while it lives, so that the
// message boxes of the pages never block a test: it records the box's title,
// text and button captions and presses the answer button, or Escape when the
// box does not offer that answer.
class MessageBoxAnswerer : public QObject
{
public:
    struct Box
    {
        QString title;
        QString text;
        QStringList buttons; // captions, in the box's order
    };

    // intervalMs: how often it looks; a slow answerer stands behind a quick
    // one and catches only the boxes nobody expected.
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::NoButton, int intervalMs = 20);

    QList<Box> boxes;
    // The texts of the boxes answered, in turn.
    QStringList texts() const;

private:
    void answerOpenBox();

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};

// The terminal's file tree as the launcher pages expect it.
namespace LauncherFixture {
// A text table in which text id n reads "zh n" in Chinese and "en n" in
// English, for ids 1 to count.
bool writeLanguageDb(int count = 123);
// That text table, and the peripheral file choosing English or Chinese.
bool installTexts(bool english = true);
// Profiles, mode file ("wired"), ping result ("PINGOK"), a disconnected
// Wi-Fi status and recording stand-ins for every login script (the network
// check writes "PINGOK" again); removes what earlier cases left.
void resetTree();
// Writes a profile from its lines.
bool writeProfile(const QString& name, const QStringList& lines);
QString scriptPath(const char* name);
// Sets eth0 up or down and waits until the kernel reports it running or not.
bool setEth0(bool up);
// Starts a recording script and waits until it has recorded its call. A
// script the code under test started before it has run by then: a check that
// none was started waits for this, not for a fixed time.
bool laterScriptHasRun();
}
