#pragma once
// The lists of the "Listák" menu from the main window: each menu item builds
// its list (with its prompt where it has one) and runs it through one
// runner, which shows the layout's progress with "Mégse" and then the print
// preview, with "CSV mentése" for the tabular lists.

#include "reports/lista.h"

#include <functional>

class QAction;
class QWidget;

namespace reports {

// Lays out and previews one list over `parent`. With `elso`, a long list's
// first pages (built by `elso`) are previewed at once while the whole list
// is built and laid out; its pages replace them when done. Cancelling the
// whole list (or closing the preview) stops it, and the first pages stay.
// Status panel 0 is emptied once the list was shown or cancelled. A build
// that reads long takes the progress (with "Mégse") of its layout.
bool runLista(core::AppState& st, QWidget* parent, const ListaFuttato::HaladoBuild& build,
              const ListaFuttato::Build& elso = {});
bool runLista(core::AppState& st, QWidget* parent, const ListaFuttato::Build& build,
              const ListaFuttato::Build& elso = {});

// The lists of the main menu that wireLista connects.
enum class ListaMenu {
    Szakapolok,     // Törzslisták / Szakápolók
    Betegek,        // Törzslisták / Betegek
    Orvosok,        // Törzslisták / Orvosok
    TeljesBno,      // Törzslisták / BNO X / Teljes BNO lista
    BnoCsoport,     // Törzslisták / BNO X / Betegség csoport szerinti lista
    TajEgyBeteg,    // TAJ számos ellenőrző lista egy betegre (asks the TAJ)
    TajOsszesitve,  // TAJ számos ellenőrző lista összesítve (asks the span)
    DolgozoVizitek, // Dolgozók teljesített vizitei
    HaviElszamolas, // Havonkénti elszámolás
    Adatrogzites,   // Adatrögzítési ellenőrzés
};

// Enables the menu item and connects it to its list.
void wireLista(core::AppState& st, const ProgramText& program, QWidget* mainWindow,
               QAction* item, ListaMenu lista);

} // namespace reports
