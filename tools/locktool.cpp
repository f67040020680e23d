// locktool FILE: opens the table exclusively, as the program does, says
// "locked" on standard output and holds the file until it is killed. The lock
// tests use it as the "other program" that has the table open.
// locktool --fcntl FILE: holds the file with a POSIX record lock (fcntl)
// only, as other dBase programs do.

#include "engine/dberror.h"
#include "engine/sysfile.h"
#include "engine/table.h"

#include <QFile>
#include <QString>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    const bool posix = argc == 3 && std::strcmp(argv[1], "--fcntl") == 0;
    if (argc != 2 && !posix) {
        std::fprintf(stderr, "usage: locktool [--fcntl] FILE\n");
        return 2;
    }
    engine::Table table;
    if (posix) {
        const int fd = engine::sys::open(QString::fromLocal8Bit(argv[2]), engine::sys::ReadWrite);
        if (fd < 0 || !engine::sys::lockRecords(fd)) {
            std::perror(argv[2]);
            return 1;
        }
    } else {
        try {
            table.open(QString::fromLocal8Bit(argv[1]));
        } catch (const engine::DbError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    // "locked\n" as it is: a text-mode stream on Windows would say
    // "locked\r\n", which the waiting test does not take for the word.
    engine::sys::binaryStream(stdout);
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
