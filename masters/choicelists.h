#pragma once
// Two small fixed-list choosers:
//
// Tvalasz ("Választás"): the sheet entry window's help for the activity codes
// (mode "T") and the care types (mode "E"). Nine activities of group 9 were
// dropped from the list shown here from 2009.09 on.
//
// TBcsop ("Betegségcsoport"): the BNO main groups of the grouped BNO list;
// each item ends in its code range "(X00-Y99)", from which the lowest and the
// highest five-character code of the group are taken.

#include <QString>
#include <QStringList>
#include <optional>

namespace ui {
class Messages;
}

namespace masters {

// --- Tvalasz ---

// The items shown for a mode in a period: "T" activities (code, two blanks,
// name), "E" care types ("2 Szakápolás", ...); any other mode none.
QStringList valaszItems(const QString& mode, const QString& period);
// The result of "Választ" for the selected item: "T" its first two characters
// without blanks ("1", "3a", "10"), "E" its first character. No item (an
// empty text) gives an empty result.
QString valaszResult(const QString& mode, const QString& item);

// --- TBcsop ---

struct BnoGroup {
    QString lowest;  // "C0000"
    QString highest; // "D4899"
    QString name;    // the item as listed
};

// The 21 main groups in the order of the list.
const QStringList& bcsopItems();
// The code range of an item (L = length of the trimmed text; the three
// characters from position L-7 and from L-3, counted from 1).
BnoGroup bnoGroupOf(const QString& item);

// The dialog's results. "OK" without a choice is refused with an information
// box and the dialog stays open.
class Bcsop {
public:
    explicit Bcsop(ui::Messages& msg) : msg_(msg) {}

    // "OK" with the selected item (-1: none): true when the dialog closes.
    bool ok(int index);
    // "Mégsem".
    void megsem();

    bool chosen() const { return chosen_; }
    const BnoGroup& group() const { return group_; }

private:
    ui::Messages& msg_;
    bool chosen_ = false;
    BnoGroup group_;
};

} // namespace masters
