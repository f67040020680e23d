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
// Status panel 0 is emptied once the list was shown or cancelled.
bool runLista(core::AppState& st, QWidget* parent, const ListaFuttato::Build& build,
              const ListaFuttato::Build& elso = {});

// Enables and connects the list items of the main menu, found by name
// ("Szakpolk2", "TAJszmosellenrzlistaegybetegre1", ...).
void wireListak(core::AppState& st, const ProgramText& program, QWidget* mainWindow,
                const std::function<QAction*(const QString&)>& menuItem);

} // namespace reports
