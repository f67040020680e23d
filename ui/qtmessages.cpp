#include "ui/qtmessages.h"

#include <QPushButton>

namespace ui {

QtMessages::QtMessages(QWidget* parent, const QString& caption)
    : parent_(parent), caption_(caption) {}

void QtMessages::error(const QString& text) {
    show(QMessageBox::Critical, text, false);
}

void QtMessages::warning(const QString& text) {
    show(QMessageBox::Warning, text, false);
}

bool QtMessages::confirm(const QString& text) {
    return show(QMessageBox::Warning, text, true);
}

bool QtMessages::question(const QString& text) {
    return show(QMessageBox::Question, text, true);
}

void QtMessages::information(const QString& text) {
    show(QMessageBox::Information, text, false);
}

void QtMessages::status(int panel, const QString& text) {
    if (sink_ && panel >= 0 && panel < statusPanels) sink_(panel, text);
}

bool QtMessages::show(QMessageBox::Icon icon, const QString& text, bool yesNo) {
    QMessageBox box(icon, caption_, displayText(text), QMessageBox::NoButton, parent_.data());
    box.setTextFormat(Qt::PlainText);
    if (!yesNo) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return false;
    }
    // The first button is the default, as in the old boxes; Escape answers "Nem".
    QPushButton* yes = box.addButton(QStringLiteral("Igen"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Nem"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace ui
