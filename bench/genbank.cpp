// qvgenbank ROWS DIR: writes a deterministic bank of ROWS questions and its
// catalogue into DIR (english.db and mulu.txt, which must not exist yet).
#include "benchbank.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = false;
    const int rows = args.size() == 3 ? args.at(1).toInt(&ok) : 0;
    if (!ok || rows <= 0) {
        std::fprintf(stderr, "usage: qvgenbank ROWS DIR\n");
        return 2;
    }
    QDir().mkpath(args.at(2));
    QString error;
    if (!BenchBank::generate(args.at(2), rows, &error)) {
        std::fprintf(stderr, "qvgenbank: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
