#include "app/period.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "ui/messages.h"

#include <QDate>

namespace app {

void napokszamol(core::AppState& st, const QString& p) {
    st.kezdnap = p + QStringLiteral(".01");
    st.kezdnaprev = QStringLiteral("01.") + p.mid(5, 2) + "." + p.left(4);
    const auto i = core::Idoszak::parse(p);
    st.vegnap = i ? i->lastDay().toString(QStringLiteral("yyyy.MM.dd")) : QString();
    st.vegnaprev = st.vegnap.mid(8, 2) + st.vegnap.mid(4, 4) + st.vegnap.left(4);
}

void ertad(core::AppState& st) {
    st.tajalap = 910000000;
    const QString& p = st.id;
    auto between = [&](const char* lo, const char* hi) {
        return p > QLatin1String(lo) && p < QLatin1String(hi);
    };
    if (p < QLatin1String("1999.04"))
        st.alapdij = 1600;
    else if (between("2000.02", "2000.10"))
        st.alapdij = 1900;
    else if (between("2000.09", "2001.10"))
        st.alapdij = 2000;
    else if (between("2001.09", "2002.11"))
        st.alapdij = 2100;
    else if (between("2002.10", "2004.10"))
        st.alapdij = 2850;
    else if (between("2004.09", "2007.10"))
        st.alapdij = 3000;
    else if (between("2007.09", "2012.11"))
        st.alapdij = 3200;
    else if (between("2012.10", "2016.11"))
        st.alapdij = 3380;
    else if (p > QLatin1String("2016.10"))
        st.alapdij = 3700;
    else
        st.alapdij = 1800;
}

Period::Result Period::cancel() {
    return st_.idoszakmenu ? Result::Closed : Result::EndProgram;
}

Period::Result Period::ok(const QString& text) {
    if (!kozos::idoszakell(st_.msg, text, st_.clock.today())) return Result::StayOpen;
    st_.zartidoszak = false;
    engine::Table& zaras = st_.tables.zaras;
    try {
        if (zaras.isOpen() && zaras.locate(QStringLiteral("IDOSZAK"), text) &&
            !zaras.isBlank(QStringLiteral("ZARAS"))) {
            if (st_.msg.confirm(QStringLiteral("Lezárt időszak! Mégis ezzel akar foglalkozni?"))) {
                st_.id = zaras.text(QStringLiteral("IDOSZAK")).left(7);
                st_.zartidoszak = true;
                napokszamol(st_, st_.id);
                return Result::Accepted;
            }
            return st_.idoszakmenu ? Result::Closed : Result::EndProgram;
        }
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text());
        return Result::StayOpen;
    }
    st_.id = text.left(7);
    napokszamol(st_, st_.id);
    return Result::Accepted;
}

} // namespace app
