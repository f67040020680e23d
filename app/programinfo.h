#pragma once
// The program's title and version as the windows, the message boxes and the
// printed lists show them.

#include <QString>

namespace app {

inline QString programTitle() {
    return QStringLiteral("Otthoni szakápolás");
}
inline QString programVersion() {
    return QStringLiteral("3.61");
}

} // namespace app
