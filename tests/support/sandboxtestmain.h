#pragma once

#include "sandbox.h"

#include <QCoreApplication>
#include <QTest>

// The main() of every test: it refuses to run anywhere but in the sandbox,
// since the programs under test use the machine's real paths and network.
#define SANDBOX_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        if (!Sandbox::guard(argv[0]))                                                              \
            return 2;                                                                              \
        QCoreApplication app(argc, argv);                                                          \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
