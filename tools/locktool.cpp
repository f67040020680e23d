// locktool FILE: opens the table exclusively, as the program does, says
// "locked" on standard output and holds the file until it is killed. The lock
// tests use it as the "other program" that has the table open.
// locktool --fcntl FILE: holds the file with a POSIX record lock (fcntl)
// only, as other dBase programs do.

#include "engine/dberror.h"
#include "engine/table.h"

#include <QFile>
#include <QString>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool posix = argc == 3 && std::strcmp(argv[1], "--fcntl") == 0;
    if (argc != 2 && !posix) {
        std::fprintf(stderr, "usage: locktool [--fcntl] FILE\n");
        return 2;
    }
    engine::Table table;
    if (posix) {
        const int fd = ::open(argv[2], O_RDWR | O_CLOEXEC);
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        if (fd < 0 || ::fcntl(fd, F_SETLK, &fl) != 0) {
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
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    for (;;)
        ::pause();
}
