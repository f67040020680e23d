#pragma once
// The options of the scripted start (app/scriptedstart.h) on the command line:
//     --proba-jelszo JELSZÓ --proba-idoszak ÉÉÉÉ.HH [--proba-tartas MS]

#include <QString>
#include <QStringList>
#include <optional>

namespace app {

struct ScriptedStartOptions {
    QString password;
    QString period;
    int holdMs = 0; // how long the main window stays open, ms
};

// The options from the program's arguments (the first is the program):
// nullopt when none of them is there; `error` gets a text (and nullopt is
// returned) when they are incomplete or wrong.
std::optional<ScriptedStartOptions> scriptedStartOptions(const QStringList& arguments,
                                                         QString* error);

} // namespace app
