#pragma once
// A start with no hand at the keyboard, for the installer's smoke test:
//
//     szakapolas --proba-jelszo JELSZÓ --proba-idoszak ÉÉÉÉ.HH [--proba-tartas MS]
//
// types the password into the login dialog and the period into the period
// dialog and presses their OK, answers every message box with its safe button
// ("Nem", or the only one), and closes the main window as soon as it is shown
// (after MS milliseconds when given), writing each step as one line on
// standard output. It types only what a user would: the password is checked
// against the stored one as at the keyboard, and a dialog that stays open
// after its answer is cancelled (the program then ends as it would for a user).

#include "app/scriptedstartoptions.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdio>

class QMessageBox;

namespace app {

class ScriptedStart : public QObject {
public:
    // Starts watching at once: the start-up's dialogs come before the event loop.
    ScriptedStart(ScriptedStartOptions options, std::FILE* out);

    // Writes one line (UTF-8) and flushes it.
    void say(const QString& line);

private:
    void step();
    void answerModal(QWidget* modal);
    void answerBox(QMessageBox* box);
    void closeMainWindow(QWidget* main);

    ScriptedStartOptions options_;
    std::FILE* out_;
    QTimer timer_;
    QPointer<QWidget> answered_; // the last dialog answered
    bool mainWindowSeen_ = false;
};

} // namespace app
