// locktool FILE: opens the table exclusively, as the program does, says
// "locked" on standard output and holds the file until it is killed. The lock
// tests use it as the "other program" that has the table open.

#include "engine/dberror.h"
#include "engine/table.h"

#include <QString>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: locktool FILE\n");
        return 2;
    }
    engine::Table table;
    try {
        table.open(QString::fromLocal8Bit(argv[1]));
    } catch (const engine::DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    for (;;)
        ::pause();
}
