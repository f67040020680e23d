#pragma once
// The program's icon: a white cross on a blue disc with a small house roof,
// drawn in code so that it scales to every size the desktop asks for.

#include <QIcon>
#include <QPixmap>

namespace app {

QPixmap programPixmap(int size);
QIcon programIcon();

} // namespace app
