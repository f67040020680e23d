#include "ui/fieldbinder.h"

#include "ui/messages.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QValidator>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace ui {

namespace {

// Holds what is typed or pasted into a line edit to its field's rule:
// control characters are taken out, letters turned to upper case where the
// rule says so, and a character the tables cannot store (or a non-digit in
// a field of digits) refuses the whole change; why, the edit's
// inputRejected() handler reads from refused().
class RuleValidator : public QValidator {
public:
    RuleValidator(const FieldRule& rule, QObject* parent) : QValidator(parent), rule_(rule) {}

    State validate(QString& input, int& pos) const override {
        refused_.clear();
        if (std::any_of(input.cbegin(), input.cend(), isControl)) {
            pos = int(printable(input.left(pos)).size());
            input = printable(input);
            pos = std::clamp(pos, 0, int(input.size()));
        }
        if (rule_.upper) input = input.toUpper();
        if (const int bad = notStorable(input); bad >= 0) {
            refused_ = notStorableText(rule_, characterAt(input, bad));
            return Invalid;
        }
        if (rule_.kind == FieldRule::Kind::Digits &&
            std::any_of(input.cbegin(), input.cend(),
                        [](QChar c) { return c != u' ' && (c < u'0' || c > u'9'); })) {
            refused_ = digitsOnlyText(rule_);
            return Invalid;
        }
        return Acceptable;
    }

    // The message of the last refusal, emptied by reading it.
    QString takeRefused() { return std::exchange(refused_, QString()); }

private:
    FieldRule rule_;
    mutable QString refused_;
};

QLineEdit* lineEditOf(QWidget* w) {
    if (!w) return nullptr;
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e;
    return qobject_cast<QLineEdit*>(w->focusProxy());
}

} // namespace

FieldBinder::FieldBinder(QWidget* form) : QObject(form), form_(form) {
    connect(qApp, &QApplication::focusChanged, this, &FieldBinder::focusMoved);
    form_->installEventFilter(this);
}

FieldBinder::~FieldBinder() = default;

void FieldBinder::bind(QWidget* widget, const QString& name) {
    if (!widget || name.isEmpty()) return;
    Field& f = fields_[name];
    if (f.widget) {
        names_.remove(f.widget.data());
        f.widget->removeEventFilter(this);
    }
    f.widget = widget;
    names_.insert(widget, name);
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this,
            [this, widget] { names_.remove(static_cast<const QWidget*>(widget)); });
}

QWidget* FieldBinder::widget(const QString& name) const {
    const auto it = fields_.constFind(name);
    return it == fields_.cend() ? nullptr : it->widget.data();
}

QString FieldBinder::fieldOf(const QWidget* widget) const {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const auto it = names_.constFind(w);
        if (it != names_.cend()) return *it;
        if (w->isWindow()) break;
    }
    return {};
}

void FieldBinder::onExit(const QString& name, ExitStep step) {
    fields_[name].exit = std::move(step);
}

void FieldBinder::onEnter(const QString& name, Step step) {
    fields_[name].enter = std::move(step);
}

void FieldBinder::onDoubleClick(const QString& name, Step step) {
    fields_[name].doubleClick = std::move(step);
}

void FieldBinder::setRule(const QString& name, const FieldRule& rule, Messages& msg) {
    Field& f = fields_[name];
    f.hasRule = true;
    f.rule = rule;
    f.msg = &msg;
    if (QLineEdit* e = lineEditOf(f.widget)) applyRule(e, rule, msg);
}

const FieldRule* FieldBinder::rule(const QString& name) const {
    const auto it = fields_.constFind(name);
    return it != fields_.cend() && it->hasRule ? &it->rule : nullptr;
}

FieldExit FieldBinder::leave(const QString& name) {
    const auto it = fields_.constFind(name);
    if (it == fields_.cend()) return {};
    const ExitStep step = it->exit;
    if (it->hasRule && it->msg) {
        const FieldRule rule = it->rule;
        Messages* msg = it->msg;
        QLineEdit* e = lineEditOf(it->widget);
        if (e && e->isEnabled() && !e->isReadOnly()) {
            const QString clean = printable(e->text());
            const QString why = fault(rule, clean);
            if (!why.isEmpty()) {
                msg->error(why);
                return {false, name};
            }
            if (clean != e->text()) e->setText(clean);
        }
    }
    return step ? step() : FieldExit{};
}

void FieldBinder::exempt(QWidget* widget) {
    exempt_.emplace_back(widget);
}

void applyRule(QLineEdit* e, const FieldRule& rule, Messages& msg) {
    if (rule.width > 0) e->setMaxLength(rule.width);
    auto* v = new RuleValidator(rule, e);
    e->setValidator(v);
    // A text set by the program is refused too (and checked when the field
    // is left); it clears the edit's undo history, which a change the user
    // made has just added to.
    QObject::connect(e, &QLineEdit::inputRejected, v, [e, v, m = &msg] {
        const QString why = v->takeRefused();
        if (!why.isEmpty() && e->isUndoAvailable()) m->error(why);
    });
}

bool FieldBinder::inWindow(const QWidget* w) const {
    return w && w->window() == form_->window();
}

bool FieldBinder::otherWindowModal() const {
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != form_->window();
}

namespace {

// Shows every page (of a tab widget or a plain stack) that holds `w`.
void showPagesOf(QWidget* w) {
    for (QWidget* child = w; child && !child->isWindow(); child = child->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(child->parentWidget());
        if (!stack || stack->indexOf(child) < 0) continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
            tabs->setCurrentWidget(child);
        else
            stack->setCurrentWidget(child);
    }
}

// The control that takes the focus for a field: the widget itself, or for a
// container that takes none, its first child that does.
QWidget* focusTarget(QWidget* w) {
    if (w->focusPolicy() != Qt::NoFocus || w->focusProxy()) return w;
    const auto children = w->findChildren<QWidget*>();
    for (QWidget* c : children)
        if ((c->focusPolicy() & Qt::TabFocus) && c->isEnabled() && c->isVisibleTo(w)) return c;
    return w;
}

} // namespace

bool FieldBinder::focusField(const QString& name) {
    QWidget* w = widget(name);
    if (!w) return false;
    Hold hold(*this);
    showPagesOf(w);
    QWidget* target = focusTarget(w);
    if (!target->isEnabled() || !target->isVisibleTo(form_->window())) return false;
    target->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(target->focusProxy() ? target->focusProxy() : target))
        e->selectAll();
    return true;
}

void FieldBinder::follow(const FieldExit& r) {
    // A field that cannot take the focus leaves it where it is.
    if (!r.focus.isEmpty() && focusField(r.focus)) return;
    settle();
}

bool FieldBinder::leaveCurrent() {
    QString name = fieldOf(form_->window()->focusWidget());
    if (name.isEmpty()) name = current_;
    const auto it = fields_.constFind(name);
    if (name.isEmpty() || it == fields_.cend() || !leaves(*it)) return true;
    running_ = true;
    const FieldExit r = leave(name);
    running_ = false;
    follow(r);
    return r.ok && r.focus.isEmpty();
}

void FieldBinder::settle() {
    const QWidget* f = form_->window()->focusWidget();
    current_ = fieldOf(f);
}

void FieldBinder::focusMoved(QWidget* old, QWidget* now) {
    Q_UNUSED(old);
    if (busy() || !now || !inWindow(now) || otherWindowModal()) return;
    const QString entered = fieldOf(now);
    if (entered == current_) return;
    const QString left = current_;
    bool exempted = false;
    for (const auto& e : exempt_)
        if (e == now) exempted = true;

    if (!left.isEmpty() && !exempted) {
        const auto it = fields_.constFind(left);
        if (it != fields_.cend() && leaves(*it)) {
            running_ = true;
            const FieldExit r = leave(left);
            running_ = false;
            if (!r.focus.isEmpty()) {
                follow(r);
                return;
            }
        }
    }
    current_ = entered;
    if (entered.isEmpty()) return;
    const auto it = fields_.constFind(entered);
    if (it != fields_.cend() && it->enter) {
        const Step step = it->enter;
        running_ = true;
        step();
        running_ = false;
    }
}

bool FieldBinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Hide && !event->spontaneous()) {
        current_.clear();
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        const auto n = names_.constFind(static_cast<QWidget*>(watched));
        if (n != names_.cend()) {
            const auto it = fields_.constFind(*n);
            if (it != fields_.cend() && it->doubleClick) {
                const Step step = it->doubleClick;
                step();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

FieldBinder::Hold::Hold(FieldBinder& b) : b_(b) {
    ++b_.steering_;
}

FieldBinder::Hold::~Hold() {
    if (--b_.steering_ == 0) b_.settle();
}

} // namespace ui
