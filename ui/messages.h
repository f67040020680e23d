#pragma once
// The one door through which the program speaks to the user: message boxes
// and the three panels of the status bar. Windows get a QtMessages, the tests
// a ScriptedMessages; logic classes take a Messages& and never know which.
//
// Texts are the program's fixed Hungarian messages. A "\r" in a text is a line
// break, as the texts were written for the old message boxes.

#include <QString>

namespace ui {

class Messages {
public:
    virtual ~Messages() = default;

    // Error icon, OK button.
    virtual void error(const QString& text) = 0;
    // Warning icon, OK button.
    virtual void warning(const QString& text) = 0;
    // Warning icon, "Igen"/"Nem"; true on "Igen". Used before something is
    // changed or thrown away: nothing may change unless this returns true.
    virtual bool confirm(const QString& text) = 0;
    // Question icon, "Igen"/"Nem"; true on "Igen".
    virtual bool question(const QString& text) = 0;
    // Information icon, OK button.
    virtual void information(const QString& text) = 0;

    // Status bar panels: 0 progress of long operations, 1 and 2 as the main
    // window uses them.
    static constexpr int statusPanels = 3;
    virtual void status(int panel, const QString& text) = 0;
};

// The text as a box shows it: each "\r" (or "\r\n") becomes one "\n".
QString displayText(const QString& text);

} // namespace ui
