#pragma once
// What the entry window's two source files share: the hint texts, the date
// mask, the hint setter and the day fields' names.

#include "sheet/lapujwindow.h"

#include <QString>

class QWidget;

namespace sheet::lapuj {

extern const QString dblHint;
extern const QString datumMaszk;
// A control's hint as tooltip and status text.
void hint(QWidget* w, const QString& text);
// The object name of a day field ("ellt5", "tevk5", "aptaj5").
QString dayName(LapujWindow::DayField kind, int day);

} // namespace sheet::lapuj
