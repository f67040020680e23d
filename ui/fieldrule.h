#pragma once
// What a form field may hold, read from the table column it is stored in:
// at most the column's width, printable text only, only characters the
// tables' code page (852) has, and for a count or a number of days (a
// numeric column without decimals, or a code made of digits) digits only,
// without a sign.
//
// The checks here are plain functions over a text; ui::FieldBinder applies
// them to the bound controls as the user types, pastes and leaves a field,
// and the save paths clean their texts with printable() once more.

#include "engine/dbfheader.h"

#include <QString>

namespace ui {

struct FieldRule {
    enum class Kind {
        Text,  // any printable text the code page holds
        Digits // a whole number without sign: digits only
    };
    QString label; // the field's label as the user sees it, for the messages
    Kind kind = Kind::Text;
    int width = 0;      // most characters; 0: no limit
    bool upper = false; // typed letters turn to upper case
};

// The rule of a field stored in `column`: a numeric column without decimals
// takes digits only, up to its width; every other column text up to its
// width. `inputWidth`, when given and smaller, narrows the field further
// (a count that the checks keep to two digits in a wider column).
FieldRule ruleOf(const engine::FieldDef& column, const QString& label, int inputWidth = 0);
// The same, digits only whatever the column's type (a code made of digits,
// like a doctor's stamp number, in a character column).
FieldRule digitsOf(const engine::FieldDef& column, const QString& label, int inputWidth = 0);

// True for a character that may not stand in a stored text: the control
// characters (tab, line breaks, the dBase end-of-file mark 0x1A, ...) and
// Unicode's format and separator controls.
bool isControl(QChar c);
// The text with its control characters taken out: a tab or a line break
// becomes one blank (a run of them one blank), every other one is dropped.
QString printable(const QString& text);

// The first character of `text` that code page 852 has no byte for, or -1.
int notStorable(const QString& text);
// The character at `i`, both halves of a surrogate pair when it is one.
QString characterAt(const QString& text, int i);

// Why `text` does not fit the rule, as the message the user is shown;
// empty when it fits. A blank text fits (whether a field is required is the
// field's own check). Control characters are not a fault here: the field
// removes them (printable()).
QString fault(const FieldRule& rule, const QString& text);

// The messages, for the tests and the validator.
QString digitsOnlyText(const FieldRule& rule);
QString notStorableText(const FieldRule& rule, const QString& character);
QString tooLongText(const FieldRule& rule);

} // namespace ui
