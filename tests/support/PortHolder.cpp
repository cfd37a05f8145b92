// Holds one serial device from a process of its own until its standard input closes, so tests can
// check that a device another program holds cannot be opened. Prints "holding" once it holds the
// device, or "failed" and the reason.
#include <QCoreApplication>
#include <cstdio>

#include "QtSerialLayer.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QtSerialLayer layer;
    SerialFailure failure;
    const auto device = layer.open(QString::fromLocal8Bit(argv[1]), failure);
    if (!device) {
        std::printf("failed %s\n", qPrintable(failure.text));
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}
