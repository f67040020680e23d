#pragma once
// The monthly shipment to the county office: what "Floppy-küldemény
// RAV-számára" checks before it opens the register in send-selection mode,
// and what the register's "Adatküldés" does (kuldClick), apart from any
// window. The windows it needs (the check list, the folder chooser, the
// e-report window) and the register's closing come in as hooks.
//
//     exch::Kuldes k(state, hooks);
//     if (exch::Kuldes::nyithato(state)) { ... register in send-selection mode ... }
//     k.kuldClick();   // from the "Adatküldés" button
//
// The sending, in order: the count of marked sheets, the check before
// sending, the confirmation, the three files made in memory (a value that
// does not convert stops here, nothing changed), KULD emptied (its PDF
// files saved to LISTA first), the three files written under temporary
// names, then one unit of change that records the sent state of the sheets
// (ELREND, LAPB, LAP), the period's ZARAS row and the three files' names:
// after a failure or a kill KULD holds the shipment exactly when the tables
// record it. Then the e-report or the copy to a chosen folder
// (exchange/masolas.h).

#include "core/idoszak.h"
#include "engine/tablebuilder.h"
#include "exchange/kuldesell.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace core {
struct AppState;
}
namespace ui {
class FolderAsker;
}

namespace exch {

struct KuldesHooks {
    // The check before sending found problems: list them; true to send
    // anyway, false to go back. Unset: the problems do not stop the sending.
    std::function<bool(const std::vector<Problema>&)> problemak;
    // The folder chooser (mode "K", caption "Másolás helyének kiválasztása").
    ui::FolderAsker* mappak = nullptr;
    // The e-report window, shown modally.
    std::function<void()> ejelentes;
    // The register closes itself at the end.
    std::function<void()> bezar;
    // The status text should show now (a repaint).
    std::function<void()> frissit;
};

class Kuldes {
public:
    enum class Eredmeny {
        Nincs,       // nothing to send, refused or cancelled: nothing changed
        Hiba,        // stopped by a failure: the tables unchanged
        Elkuldve,    // sent, and copied or reported
        MasolasHiba, // sent, but the copy to the chosen folder failed
    };

    Kuldes(core::AppState& state, KuldesHooks hooks);

    // Step 1 of the opening: false (with the warning) when the last closed
    // period is later than the current one.
    static bool nyithato(core::AppState& state);

    // kuldClick.
    Eredmeny kuldClick();

    // The paths of the files written by the last sending.
    const QStringList& fajlok() const { return fajlok_; }
    // KonyvtarUrit: removes from `dir` every file whose name is longer than
    // three characters; a PDF file is first copied into `lista` (a file that
    // cannot be saved there stays). Throws engine::DbError when a file
    // cannot be removed.
    static void konyvtarUrit(const QString& dir, const QString& lista);
    // The sent state of the marked sheets, the period's ZARAS row and the
    // shipment's files (sealed under temporary names, fajlKeszit) taking
    // their names: one unit of change. Throws engine::DbError; nothing
    // changed then, and the files are gone.
    static void elkuldveJeloles(core::AppState& state, int n,
                                std::vector<std::unique_ptr<engine::TableBuilder>> fajlok = {});

    // At start-up, once the folders are known: what a killed sending left in
    // KULD under temporary names goes, and a copy to a folder that was cut
    // short is cleaned up and told of (a warning).
    static void inditaskor(core::AppState& state);

private:
    // The stages of kuldClick. The first two give the result to return when
    // they end the sending, nothing when it goes on.
    std::optional<Eredmeny> kerdezes(int& n);          // 1-3: count, check, question
    std::optional<Eredmeny> fajlokEsJeloles(int n);    // 4-10: files and the sent state
    Eredmeny befejezes();                              // 11-12: e-report or copy, closing
    Eredmeny leallt(const QString& text);
    bool masolas();

    core::AppState& st_;
    KuldesHooks hooks_;
    QStringList fajlok_;
    QString intkod_;
    QString masolva_; // the folder the last sending was copied to
};

} // namespace exch
