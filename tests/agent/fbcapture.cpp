#include "mylib.h"
#include "sandbox.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

// One screen capture with the agent's code, in a process of its own (the
// device choice is made once per process): writes the JPEG file to the path
// given. Exit status 0 on success, 1 when the capture failed.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!Sandbox::inside() || argc != 2) {
        std::fprintf(stderr, "usage, in the test sandbox only: %s OUTPUT.jpg\n", argv[0]);
        return 2;
    }
    QByteArray jpeg;
    if (!Provider::getScreenImage(jpeg))
        return 1;
    QFile file(QString::fromLocal8Bit(argv[1]));
    return file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size() ? 0 : 1;
}
