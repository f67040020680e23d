// journaltool: the child process of the change-unit kill tests.
//
//   journaltool init DIR                  creates the tables of tools/journalwork.h
//   journaltool run DIR SAVES KILLAT SYNC runs saves after the last committed one
//
// `run` says "ready" once the tables are open, then runs SAVES saves (0: until
// killed), closing and reopening the tables after every third. With KILLAT > 0
// it kills itself with SIGKILL just before the engine's KILLAT-th write,
// flush, truncation or removal. SYNC 0 skips the flushes (a killed process
// leaves the page cache behind, so they only cost time here). At the end it
// prints the number of those operations.

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/sysfile.h"
#include "tools/journalwork.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const QString cmd = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!((cmd == "init" && argc == 3) || (cmd == "run" && argc == 6))) {
        std::fprintf(stderr, "usage: journaltool init DIR | run DIR SAVES KILLAT SYNC\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[2]);
    try {
        if (cmd == "init") {
            journalwork::init(dir);
            return 0;
        }
        const long saves = std::atol(argv[3]);
        const long killAt = std::atol(argv[4]);
        const bool sync = std::atoi(argv[5]) != 0;
        journalwork::Tables t;
        t.open(dir);
        long done = journalwork::committed(t);
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        engine::testing::setIoHook([=](engine::testing::IoOp op, long n) {
            if (n == killAt) engine::sys::killSelf();
            return op == engine::testing::IoOp::Sync && !sync ? engine::testing::IoAction::Skip
                                                              : engine::testing::IoAction::Proceed;
        });
        for (long k = 1; saves == 0 || k <= saves; ++k) {
            journalwork::save(t, ++done);
            if (k % 3 == 0) {
                t.close();
                t.open(dir);
            }
        }
        t.close();
        std::printf("%ld\n", engine::testing::ioCount());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
