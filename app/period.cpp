#include "app/period.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "ui/messages.h"

#include <QDate>

namespace app {

void napokszamol(core::AppState& st, core::Idoszak p) {
    st.kezdnap = p.firstDay().toString(QStringLiteral("yyyy.MM.dd"));
    st.kezdnaprev = p.firstDay().toString(QStringLiteral("dd.MM.yyyy"));
    st.vegnap = p.lastDay().toString(QStringLiteral("yyyy.MM.dd"));
    st.vegnaprev = p.lastDay().toString(QStringLiteral("dd.MM.yyyy"));
}

void ertad(core::AppState& st) {
    st.tajalap = 910000000;
    using core::Idoszak;
    const Idoszak p = st.id;
    auto between = [&](Idoszak lo, Idoszak hi) { return p > lo && p < hi; };
    if (p < Idoszak(1999, 4))
        st.alapdij = 1600;
    else if (between({2000, 2}, {2000, 10}))
        st.alapdij = 1900;
    else if (between({2000, 9}, {2001, 10}))
        st.alapdij = 2000;
    else if (between({2001, 9}, {2002, 11}))
        st.alapdij = 2100;
    else if (between({2002, 10}, {2004, 10}))
        st.alapdij = 2850;
    else if (between({2004, 9}, {2007, 10}))
        st.alapdij = 3000;
    else if (between({2007, 9}, {2012, 11}))
        st.alapdij = 3200;
    else if (between({2012, 10}, {2016, 11}))
        st.alapdij = 3380;
    else if (p > Idoszak(2016, 10))
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
                st_.id = core::Idoszak::fromText(zaras.text(QStringLiteral("IDOSZAK")).left(7));
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
    st_.id = core::Idoszak::fromText(text.left(7));
    napokszamol(st_, st_.id);
    return Result::Accepted;
}

} // namespace app
