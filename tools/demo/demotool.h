#pragma once
// The szdemo command: makes the demo folder in a program directory. Kept in
// the library so that the tests run it without starting a process.

#include <QDate>
#include <QStringList>
#include <QTextStream>

namespace demo {

// args without the program name: [--force] [--local-data] [--date YYYY.MM.DD]
// PROGRAM_DIR. `today` is used unless --date names another day. Returns the
// exit code: 0 done, 1 refused or failed, 2 wrong arguments.
int runTool(const QStringList& args, QDate today, QTextStream& out, QTextStream& err);

} // namespace demo
