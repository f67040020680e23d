#pragma once
// Ties the controls of a form to field names and runs each field's leave step
// when the focus leaves it: the step says whether the value passed and which
// field takes the focus next, and the binder moves the focus there, switching
// the page of a tab widget when the field lies on another page.
//
// Only a move between two controls of the form's own window leaves a field.
// A message box (or any other window) taking the focus for a while leaves
// nothing, and neither do the moves the binder makes itself, so no form keeps
// a guard flag of its own.
//
// A bound widget may be a container (a panel, a group box): every control
// inside it belongs to that field, unless a nearer bound widget claims it.
//
// A line edit may carry the rule of the column it is stored in (setRule):
// it then takes at most the column's width, drops the control characters
// typed or pasted into it, refuses a character the tables cannot store (and
// in a field of digits anything but a digit) with a message, and leaving it
// checks the text it holds before the field's own leave step.

#include "ui/fieldrule.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QLineEdit;
class QWidget;

namespace ui {

class Messages;

// What a field's leave step decided: whether the value passed, and which
// field takes the focus next (the field left itself to hold the focus there).
// An empty focus leaves the focus where the user moved it, whatever `ok`.
struct FieldExit {
    bool ok = true;
    QString focus;
};

// Holds a line edit to a rule as the user types and pastes: the maximum
// length, the control characters taken out, upper case where the rule says,
// and a change that brings a character the tables cannot store (or a
// non-digit into a field of digits) refused with a message through `msg`.
// FieldBinder::setRule does this and checks the field when it is left too;
// a form without a binder uses this alone.
void applyRule(QLineEdit* edit, const FieldRule& rule, Messages& msg);

class FieldBinder : public QObject {
    Q_OBJECT
public:
    using ExitStep = std::function<FieldExit()>;
    using Step = std::function<void()>;

    // `form`: the widget whose window the fields live in (the binder is its
    // child and watches it for being hidden).
    explicit FieldBinder(QWidget* form);
    ~FieldBinder() override;

    // Names a widget as a field. A name may be bound once; binding it again
    // moves the name to the new widget.
    void bind(QWidget* widget, const QString& name);
    QWidget* widget(const QString& name) const;
    // The name of the field a widget belongs to (itself or its nearest bound
    // ancestor); empty for none.
    QString fieldOf(const QWidget* widget) const;

    // The step run when the focus leaves the field for another control of
    // the window.
    void onExit(const QString& name, ExitStep step);
    // The step run when the focus comes into the field from another control
    // of the window (or the first time after the form was shown).
    void onEnter(const QString& name, Step step);
    // The step run on a double click in the field (the event is consumed).
    void onDoubleClick(const QString& name, Step step);
    // Holds a bound line edit to a rule (see above); the messages go
    // through `msg`. Sets the edit's maximum length and its validator.
    void setRule(const QString& name, const FieldRule& rule, Messages& msg);
    // The rule of a field, nullptr for none.
    const FieldRule* rule(const QString& name) const;
    // A control that may take the focus without the field left being checked
    // ("Mégse": leaving the form without keeping anything).
    void exempt(QWidget* widget);

    // Moves the focus into a field (selecting a line edit's text), switching
    // tab pages as needed; runs no step. False when the name is unknown or
    // the field cannot take the focus.
    bool focusField(const QString& name);
    // Runs the leave step of the field holding the focus, as a click on a
    // button that does not take the focus needs it ("Kész"), and moves the
    // focus as the step says. True when the step passed and sent the focus
    // nowhere (or there is no step).
    bool leaveCurrent();
    // The field the focus is in as far as the binder knows (empty for none).
    QString current() const { return current_; }
    // Forgets the field the focus was in: the next focus into a field enters
    // it without leaving anything.
    void reset() { current_.clear(); }

    // True while the binder moves the focus itself or runs a step.
    bool busy() const { return steering_ > 0 || running_; }

    // Holds the binder still while a form moves the focus or rebuilds
    // itself: focus moves made meanwhile leave and enter nothing, and the
    // field holding the focus afterwards becomes the current one.
    class Hold {
    public:
        explicit Hold(FieldBinder& b);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        FieldBinder& b_;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        QPointer<QWidget> widget;
        ExitStep exit;
        Step enter;
        Step doubleClick;
        bool hasRule = false;
        FieldRule rule;
        Messages* msg = nullptr;
    };

    // The rule's check, then the field's own leave step.
    bool leaves(const Field& f) const { return f.hasRule || bool(f.exit); }
    FieldExit leave(const QString& name);

    void focusMoved(QWidget* old, QWidget* now);
    bool inWindow(const QWidget* w) const;
    bool otherWindowModal() const;
    // Moves the focus where a leave step sent it.
    void follow(const FieldExit& r);
    void settle();

    QWidget* form_;
    QHash<QString, Field> fields_;
    QHash<const QWidget*, QString> names_;
    std::vector<QPointer<QWidget>> exempt_;
    QString current_;
    int steering_ = 0;
    bool running_ = false;
};

} // namespace ui
