// The embedded browser's e-report window as a module of its own beside the
// program, loaded the first time the e-report is opened (app/ejelentes.cpp):
// Qt WebEngine, and the OpenGL context it shares with the windows, cost the
// program's start nothing.

#include "exchange/tszwebwindow.h"

#include <QUrl>
#include <QWidget>

extern "C" Q_DECL_EXPORT void szEjelentesBongeszo(const QUrl* portal, const QString* kuldDir,
                                                  QWidget* parent) {
    exch::TszwebWindow web(*portal, *kuldDir, parent);
    web.exec();
}
