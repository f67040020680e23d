#pragma once
// Hints: the short help text of a menu item or control. Qt delivers it as a
// status tip whenever the mouse is over the item; the router below hands every
// such text to status panel 0 through the message service, for the whole
// application, so that dialogs over the main window show their hints there too.

#include <QObject>
#include <QString>

class QWidget;

namespace ui {

class Messages;

// The hint as a tooltip and as the status text of the widget.
void setHint(QWidget* widget, const QString& hint);

class HintRouter : public QObject {
    Q_OBJECT
public:
    // Watches the whole application while it lives.
    HintRouter(Messages& msg, QObject* parent);
    ~HintRouter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Messages& msg_;
};

} // namespace ui
