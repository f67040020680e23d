#pragma once
// The common start of the benchmark programs: the folder they work in (the
// first argument, or a temporary one), made the current directory; a clock
// standing on 2025.12.10; the messages and the login and period dialogs
// answered by a script; the twenty years of data built once per folder; the
// program started on it. And the one way they print a figure: the first
// run (what the user feels first: index tags read lazily, the first write
// of a unit) beside the median, and the native twin's beside it.

#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "ui/scriptedmessages.h"

#include <QDate>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

namespace bench {

class Setup {
public:
    Setup(int argc, char** argv, QDate today = QDate(2025, 12, 10));

    const QString& dir() const { return dir_; }

    ui::ScriptedMessages msg;
    core::Clock clock;
    ScriptedDialogs dialogs;

    // Twenty years of data in the folder: built (with `more` run after the
    // builder) when the folder has no county tables yet. False when the
    // program does not start.
    bool ensure(const std::function<void(core::AppState&)>& more = {});
    // The program started on the folder; nullptr when it does not start.
    // `took` gets the seconds the start-up took.
    std::unique_ptr<core::AppState> start(double* took = nullptr);

private:
    QTemporaryDir tmp_;
    QString dir_;
};

// Seconds of one run of f.
double timeOf(const std::function<void()>& f);
// n runs of f, in seconds, in the order run.
std::vector<double> runs(int n, const std::function<void()>& f);
double median(std::vector<double> v);

// The machine's load as uptime shows it (1, 5 and 15 minutes), printed
// beside the figures: the machine may be busy with other work.
QString loadNow();

// One line of the table every program prints: the figure, our first run and
// median in milliseconds, the native twin's (or "no native twin" when
// `native` is empty) and the ratio of the medians.
void printHeader();

// The program's index tags of a table as native SQLite indexes: one
// "create index" per tag of the table's layout (db/layouts), the dBase key
// expression's fields as the index's columns ("Sorsz+Resz" gives
// (sorsz, resz), "dtoc(kezd)+str(ssorszam,5)" gives (kezd, ssorszam)).
// `table` is the name the table carries in SQL ("lap", "telepul", ...).
QStringList nativeIndexes(const QString& table);
void printFigure(const char* what, const std::vector<double>& ours,
                 const std::vector<double>& native = {}, const char* note = "");

} // namespace bench
