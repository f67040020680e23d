// szdemo PROGRAM_DIR: makes the demo contract data of a fictional provider in
// PROGRAM_DIR/DATA (see demodata.h and docs/county-tables.md).

#include "tools/demo/demotool.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = demo::runTool(app.arguments().mid(1), QDate::currentDate(), out, err);
    out.flush();
    err.flush();
    return rc;
}
