#include "ui/valuefield.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPalette>

namespace ui {

namespace {

const char* const kValueField = "szValueField";

// A value field read aloud: its label, its text, read-only and not editable.
class ValueFieldAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ValueFieldAccessible(QLineEdit* e) : QAccessibleWidget(e, QAccessible::EditableText) {}

    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return edit()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The text interface: the value, nothing to select or edit.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        return edit()->text().mid(start, end - start);
    }
    int characterCount() const override { return int(edit()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }
};

QAccessibleInterface* valueFieldFactory(const QString&, QObject* object) {
    auto* e = qobject_cast<QLineEdit*>(object);
    if (e && e->property(kValueField).toBool()) return new ValueFieldAccessible(e);
    return nullptr;
}

} // namespace

void markValueField(QLineEdit* e) {
    static const bool installed = [] {
        QAccessible::installFactory(valueFieldFactory);
        return true;
    }();
    (void)installed;
    // Marked first: a change made while a screen reader listens makes the
    // interface of the field at once.
    e->setProperty(kValueField, true);
    e->setReadOnly(true);
}

QLineEdit* valueField(QWidget* parent, const QString& objectName, const QString& label, int chars,
                      bool right) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectName);
    markValueField(e);
    e->setAccessibleName(label);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    // A value, not an input: the window's colour behind it.
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    e->setPalette(pal);
    if (chars > 0) {
        const QFontMetrics fm = e->fontMetrics();
        e->setMinimumWidth(fm.horizontalAdvance(QLatin1Char('0')) * chars + 12);
    }
    return e;
}

} // namespace ui
