#include "app/ejelentes.h"

#include "core/appstate.h"
#include "exchange/tszweb.h"
#include "exchange/tszwebkulsowindow.h"

#include <QCoreApplication>
#if SZ_WEBENGINE
#include <QLibrary>
#include <QOpenGLContext>

// Qt's own: the OpenGL context that every window shares.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
#endif

namespace app {

#if SZ_WEBENGINE
namespace {

using Bongeszo = void (*)(const QUrl*, const QString*, QWidget*);

// The embedded browser's window from its module beside the program; null
// when the module cannot be loaded (the portal then opens in the default
// browser). Qt WebEngine wants the shared OpenGL context before it loads,
// which the program does not make at its start.
Bongeszo bongeszoModul() {
    if (!QOpenGLContext::globalShareContext()) {
        // Set late on purpose: Qt's warning that it should have been set
        // before the application is not shown.
        const QtMessageHandler before = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString&) {});
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qInstallMessageHandler(before);
        auto* shared = new QOpenGLContext(QCoreApplication::instance());
        shared->create();
        qt_gl_set_global_share_context(shared);
    }
    QLibrary modul(QCoreApplication::applicationDirPath() + QStringLiteral("/szwebablak"));
    return reinterpret_cast<Bongeszo>(modul.resolve("szEjelentesBongeszo"));
}

} // namespace
#endif

std::function<void(QWidget*)> ejelentesAblak(core::AppState& state) {
    return [&state](QWidget* parent) {
        const QUrl portal = exch::portalCim(state.programDir);
        std::function<void(QWidget*)> beagyazott;
#if SZ_WEBENGINE
        if (const Bongeszo ablak = bongeszoModul())
            beagyazott = [&, ablak](QWidget* p) { ablak(&portal, &state.kuldkonyvtar, p); };
#endif
        exch::ejelentes(
            parent, state.msg, portal, state.kuldkonyvtar,
            exch::BongeszoKornyezet::ezAGep(bool(beagyazott), QCoreApplication::arguments()),
            beagyazott);
    };
}

} // namespace app
