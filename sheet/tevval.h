#pragma once
// The activity list of a sheet (the picker Ttevki, unit tevval, without its
// window): the activities offered in a period and the positional text that
// the sheet keeps of the chosen ones (Etev, LAP.TEVKODOK).
//
// The text has one position per entry of the list in force, in list order;
// an entry takes the width of its code (one character for the codes 1, 2, 4,
// 5, 6 and 7, two for all others) and shows its code when chosen, blanks
// when not: 32 characters for the list before 2009.09, 30 from 2009.09.

#include "core/idoszak.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace sheet {

// The entries offered in a period, "code  text": 19 before 2009.09, 18 from
// 2009.09.
QStringList tevLista(core::Idoszak period);

// The width an entry takes in the text (0-based index into the list).
int tevSzelesseg(int index);

// The text of the chosen entries (`valasztott[i]` for entry i of `lista`).
// Nothing focused in the list (`vanAktualis` false) gives an empty text, as
// does a list of another length than `valasztott`.
QString tevSzoveg(const QStringList& lista, const std::vector<bool>& valasztott,
                  bool vanAktualis = true);

} // namespace sheet
