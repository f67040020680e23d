#include "app/scriptedstart.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QWidget>

namespace app {

ScriptedStart::ScriptedStart(ScriptedStartOptions options, std::FILE* out)
    : options_(std::move(options)), out_(out) {
    connect(&timer_, &QTimer::timeout, this, &ScriptedStart::step);
    timer_.start(50);
}

void ScriptedStart::say(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out_);
    std::fflush(out_);
}

void ScriptedStart::step() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        answerModal(modal);
        return;
    }
    if (mainWindowSeen_) return;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("Tfokep") && w->isVisible()) {
            closeMainWindow(w);
            return;
        }
    }
}

namespace {

// Presses the button once the watch is over: what the press opens (a message
// box) needs the watch again, and a timer does not fire inside its own handler.
void press(QAbstractButton* button) {
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

// Types `text` into the dialog's field and presses its OK.
void typeAndOk(QWidget* dialog, const char* field, const QString& text) {
    if (auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(field))) edit->setText(text);
    if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OKBtn"))) press(ok);
}

} // namespace

void ScriptedStart::answerModal(QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (answered_ != modal) {
            answered_ = modal;
            answerBox(box);
        }
        return;
    }
    const QString name = modal->objectName();
    if (answered_ == modal) {
        // Answered, and still open: the answer was refused.
        say(QStringLiteral("mégsem: ") + name);
        if (auto* cancel = modal->findChild<QPushButton*>(QStringLiteral("CancelBtn")))
            press(cancel);
        else
            modal->close();
        return;
    }
    answered_ = modal;
    if (name == QLatin1String("TPasswordDlg")) {
        say(QStringLiteral("bejelentkezés: a jelszó beírva"));
        typeAndOk(modal, "Password", options_.password);
    } else if (name == QLatin1String("TZarasbe")) {
        say(QStringLiteral("időszak: ") + options_.period);
        typeAndOk(modal, "ME1", options_.period);
    } else {
        say(QStringLiteral("ismeretlen ablak, bezárva: ") + name);
        modal->close();
    }
}

void ScriptedStart::answerBox(QMessageBox* box) {
    const char* kind = "tájékoztatás";
    switch (box->icon()) {
    case QMessageBox::Critical: kind = "hiba"; break;
    case QMessageBox::Warning: kind = "figyelmeztetés"; break;
    case QMessageBox::Question: kind = "kérdés"; break;
    default: break;
    }
    QString text = box->text();
    text.replace(QRegularExpression(QStringLiteral("\\s*\\n\\s*")), QStringLiteral(" / "));
    QAbstractButton* safe = box->buttons().isEmpty() ? nullptr : box->buttons().constFirst();
    for (QAbstractButton* b : box->buttons())
        if (box->buttonRole(b) == QMessageBox::NoRole) safe = b;
    say(QStringLiteral("üzenet (%1): %2").arg(QString::fromUtf8(kind), text));
    if (safe)
        press(safe);
    else
        box->close();
}

void ScriptedStart::closeMainWindow(QWidget* main) {
    mainWindowSeen_ = true;
    const auto* period = main->findChild<QLabel*>(QStringLiteral("ID"));
    say(QStringLiteral("főablak: elszámolási időszak ") + (period ? period->text() : QString()));
    QPointer<QWidget> w(main);
    QTimer::singleShot(options_.holdMs, this, [this, w] {
        if (!w) return;
        say(QStringLiteral("főablak bezárva"));
        w->close();
    });
}

} // namespace app
