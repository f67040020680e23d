#pragma once
// The start-up sequence: login, period, the county office's tables, the local
// tables created or upgraded and opened, the working folders, the period table
// completed from the sent sheets, duplicate patients removed, the base fee.

#include <QString>

namespace core {}

namespace core {
struct AppState;
}

namespace app {

// The two dialogs of the start-up, shown modally by the windows and
// answered by scripts in the tests.
class StartupDialogs {
public:
    virtual ~StartupDialogs() = default;
    // Shows the login dialog; false when the program must end.
    virtual bool login(core::AppState& state) = 0;
    // Shows the period dialog (idoszakmenu is false); false when the program must end.
    virtual bool period(core::AppState& state) = 0;
    // What the one-time upgrade of old table layouts is doing: `done` of
    // `total` rows (total 0: no count); an empty text when it is over.
    // Nothing is told on a start without an upgrade.
    virtual void progress(const QString& what, qint64 done, qint64 total) {
        (void)what, (void)done, (void)total;
    }
};

class Startup {
public:
    enum class Outcome {
        MainWindow, // the main window opens (possibly after an error was shown)
        EndProgram  // the program ends at once
    };

    Startup(core::AppState& state, StartupDialogs& dialogs) : st_(state), dialogs_(dialogs) {}

    // `programDir`: the folder of the program file (the database lies in its
    // DATA folder); the working folders are made under the current directory.
    Outcome run(const QString& programDir);

    // Did a step fail with an error (shown) so that later steps were skipped?
    bool interrupted() const { return interrupted_; }

private:
    core::AppState& st_;
    StartupDialogs& dialogs_;
    bool interrupted_ = false;
};

// The single steps, also used elsewhere (re-indexing, the contract import).
// Each shows its own messages; the ones returning bool return false when the
// program (or the start-up) must stop.
bool szerzadat(core::AppState& state);
void konyvtaraz(core::AppState& state); // throws StartupError with the message
bool zaraspotol(core::AppState& state);
bool betegduplatorol(core::AppState& state);

// A start-up step that failed with a message for the error box.
struct StartupError {
    QString message;
};

// "abc/" for "abc", "abc/" for "abc/".
QString sureDir(const QString& dir);

} // namespace app
