#pragma once

#include "sandbox.h"

#include <QCoreApplication>
#include <QTest>

#include <cstdio>

// The main() of every test: it refuses to run anywhere but in the sandbox,
// since the programs under test use the machine's real paths and network.
#define SANDBOX_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        if (!Sandbox::inside()) {                                                                  \
            std::fprintf(stderr, "%s: refusing to run outside the test sandbox; run it with "     \
                                 "ctest or tests/sandbox/sandbox.sh -- %s\n",                      \
                         argv[0], argv[0]);                                                        \
            return 2;                                                                              \
        }                                                                                          \
        QCoreApplication app(argc, argv);                                                          \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
