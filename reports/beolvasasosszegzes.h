#pragma once
// The summary an import of the county office's files ends with, as a list
// to print: one line of the message a row, its label and its figure in two
// columns ("Bejegyzett vizitsorok: 4" -> "Bejegyzett vizitsorok", "4").
//
//     runLista(st, parent, [&] { return beolvasasOsszegzes(st, program, cim, szoveg); });

#include "reports/lista.h"

#include <QString>

namespace core {
struct AppState;
}

namespace reports {

// `szoveg`: the lines of the closing message, separated by "\r" or "\n";
// the first line (the closing sentence) becomes the subtitle.
Lista beolvasasOsszegzes(core::AppState& st, const ProgramText& program, const QString& cim,
                         const QString& szoveg);

} // namespace reports
