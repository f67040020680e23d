#pragma once
// "Adatszolgáltatás" -> "Floppy beolvasása RAV-től" -> "Szerződések
// beolvasása RAV-től": the county office's contract files replace the
// provider's contract tables wholesale -- As, Ar, Ad, At + the provider's
// code + ".dbf" for SZERZ, TERULET, SZOLGSZ and THELY, and Pa for PART when
// the office sent one (without it the local PART stays).
//
// Each incoming file is checked first (szerzodesEllenoriz); only then are
// the tables closed, the files to be replaced held with the start-up's
// exclusive locks (a table another program has is refused as the start-up
// refuses it) and the files put in place together in one journalled step
// (engine::replaceFiles): afterwards the tables are all the old ones or all
// the new ones, each byte for byte the office's file. The replaced tables
// are re-indexed, every table reopened and the main window's contract data
// read again.

#include "db/layouts.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace core {
struct AppState;
}
namespace ui {
class FolderAsker;
}

namespace exch {

// Checks the office's contract file at `path` (named `shownName` in the
// messages) that is to replace `tabla`: a readable dBase table with the
// fields the program reads and its index keys computable; every value read
// a text without control characters, a finite number or a real date; the
// codes the program copies or joins (INTKOD, KOZIGKOD, FINKOD, a worker's
// TAJ) fitting the fields they go to; PART exactly one provider with a code
// of four letters or digits and a county from 1 to 20; SZERZ at least one
// contract, each with its start, the current one with a financing code.
// RavHiba with the message for the user otherwise.
void szerzodesEllenoriz(const QString& path, const QString& shownName, db::TableId tabla);

class Szerzodesek {
public:
    // `szerzadat` reads the contract after the tables are reopened (the main
    // window's); false when it has no financing code.
    Szerzodesek(core::AppState& state, ui::FolderAsker& folders, std::function<bool()> szerzadat)
        : st_(state), folders_(folders), szerzadat_(std::move(szerzadat)) {}

    // The menu command (SzerzdsekbeolvassaRAVtl1Click). False when the program must end: the contract read
    // after the import has no financing code (its message was shown).
    bool beolvasClick();
    // From the folder on.
    bool beolvas(const QString& dir);

    // The tables replaced by the last run ("SZERZ", ...).
    const QStringList& csereltek() const { return csereltek_; }
    // The closing message of the last run that replaced the tables (for
    // printing); empty otherwise.
    const QString& zaroUzenet() const { return zaroUzenet_; }

private:
    core::AppState& st_;
    ui::FolderAsker& folders_;
    std::function<bool()> szerzadat_;
    QStringList csereltek_;
    QString zaroUzenet_;
};

} // namespace exch
