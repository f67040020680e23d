#pragma once
// The main window's shared state: the period and the values derived from it,
// the contract's financing code, the working directories and the open tables.
// One object, handed to every window and logic class that needs it.

#include "core/clock.h"
#include "core/idoszak.h"
#include "db/tableset.h"

#include <QString>

namespace ui {
class Messages;
}

namespace core {

struct AppState {
    AppState(ui::Messages& messages, Clock& clock) : msg(messages), clock(clock) {}

    ui::Messages& msg;
    Clock& clock;

    // Label ID: the current accounting period.
    Idoszak id{2004, 1};
    bool zartidoszak = false;      // the user chose a closed period
    bool idoszakmenu = false;      // the period dialog was opened from the menu
    QString kezdnap, vegnap;       // first and last day, "YYYY.MM.DD"
    QString kezdnaprev, vegnaprev; // the same, "DD.MM.YYYY"
    int alapdij = 0;               // base fee of the period, forints
    qint64 tajalap = 910000000;    // base of substitute patient identifiers
    QString finkod;                // financing code of the current contract
    QString szerzkezd;             // start of the current contract, as text
    QString finkodtol;             // first period that gets finkod in upgrades

    // Folders. The database lies in the program's folder + "/DATA/"; the
    // working folders under the current directory at start-up.
    QString programDir;
    QString munkakonyvtar;
    QString datakonyvtar, listakonyvtar, tempkonyvtar;
    QString kuldkonyvtar; // with a trailing "/"
    QString mentkonyvtar;

    db::TableSet tables;
};

} // namespace core
