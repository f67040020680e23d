#pragma once
// A value the program shows but the user does not type: a figure of the
// register, the serial number and period of the sheet being entered. It is a
// read-only field whose accessible name is its label and whose text is the
// value, so a screen reader reads "Lapsorszám, 00001A" and not the label
// twice. It takes no keyboard focus, so the forms' tab order stays theirs.
// Read through the accessibility interface it says it is read-only and not
// editable (Qt's line edit says "editable" even when it is read-only).

#include <QString>

class QLineEdit;
class QWidget;

namespace ui {

// A read-only value field named `objectName`, read aloud as `label`; at least
// `chars` digits wide; right-aligned when `right` (figures).
QLineEdit* valueField(QWidget* parent, const QString& objectName, const QString& label,
                      int chars = 0, bool right = false);

// Makes `e` a read-only value field for the accessibility interface as
// well; for value fields made elsewhere (the contract view's fields).
void markValueField(QLineEdit* e);

} // namespace ui
