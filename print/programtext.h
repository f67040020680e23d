#pragma once
// The program's title and version as printed pages show them in their
// headers; the shell hands them down (they are the program's, not the
// reports').

#include <QString>

namespace reports {

struct ProgramText {
    QString title;
    QString version; // "3.61"
};

} // namespace reports
