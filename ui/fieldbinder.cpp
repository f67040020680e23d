#include "ui/fieldbinder.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

namespace ui {

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

void FieldBinder::exempt(QWidget* widget) {
    exempt_.emplace_back(widget);
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
    if (name.isEmpty() || it == fields_.cend() || !it->exit) return true;
    const ExitStep step = it->exit;
    running_ = true;
    const FieldExit r = step();
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
        if (it != fields_.cend() && it->exit) {
            const ExitStep step = it->exit;
            running_ = true;
            const FieldExit r = step();
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
