#pragma once
// The disease group dialog TBcsop (unit bnoker, "Betegségcsoport") without its
// window: the BNO main groups of the grouped BNO list; each item ends in its
// code range "(X00-Y99)", from which the lowest and the highest
// five-character code of the group are taken.

#include <QString>
#include <QStringList>

namespace ui {
class Messages;
}

namespace masters {

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
