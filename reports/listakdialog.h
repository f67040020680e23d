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

// Lays out and previews one list over `parent`.
bool runLista(app::AppState& st, QWidget* parent, const ListaFuttato::Build& build);

// Enables and connects the list items of the main menu, found by name
// ("Szakpolk2", "TAJszmosellenrzlistaegybetegre1", ...).
void wireListak(app::AppState& st, const ProgramText& program, QWidget* mainWindow,
                const std::function<QAction*(const QString&)>& menuItem);

} // namespace reports
