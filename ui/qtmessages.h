#pragma once
// Messages shown in QMessageBox boxes over the main window, and status texts
// handed to the main window's status bar.

#include "ui/messages.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace ui {

class QtMessages : public Messages {
public:
    using StatusSink = std::function<void(int panel, const QString& text)>;

    explicit QtMessages(QWidget* parent = nullptr,
                        const QString& caption = QStringLiteral("Szakápolás"));

    void setParent(QWidget* parent) { parent_ = parent; }
    void setCaption(const QString& caption) { caption_ = caption; }
    // The main window sets this to write into its status bar panels (and to
    // repaint them, when a long operation reports its progress).
    void setStatusSink(StatusSink sink) { sink_ = std::move(sink); }

    void error(const QString& text) override;
    void warning(const QString& text) override;
    bool confirm(const QString& text) override;
    bool question(const QString& text) override;
    void information(const QString& text) override;
    void status(int panel, const QString& text) override;

private:
    // Shows a modal box; true when "Igen" was pressed (only for yesNo boxes).
    bool show(QMessageBox::Icon icon, const QString& text, bool yesNo);

    QPointer<QWidget> parent_;
    QString caption_;
    StatusSink sink_;
};

} // namespace ui
