#include "app/ejelentes.h"

#include "core/appstate.h"
#include "exchange/tszweb.h"
#include "exchange/tszwebkulsowindow.h"
#if SZ_WEBENGINE
#include "exchange/tszwebwindow.h"
#endif

#include <QCoreApplication>

namespace app {

std::function<void(QWidget*)> ejelentesAblak(core::AppState& state) {
    return [&state](QWidget* parent) {
        const QUrl portal = exch::portalCim(state.programDir);
        std::function<void(QWidget*)> beagyazott;
#if SZ_WEBENGINE
        beagyazott = [&](QWidget* p) {
            exch::TszwebWindow web(portal, state.kuldkonyvtar, p);
            web.exec();
        };
#endif
        exch::ejelentes(
            parent, portal, state.kuldkonyvtar,
            exch::BongeszoKornyezet::ezAGep(bool(beagyazott), QCoreApplication::arguments()),
            beagyazott);
    };
}

} // namespace app
