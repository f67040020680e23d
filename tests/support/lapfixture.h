#pragma once
// A started program with a complete, valid accounting sheet ready to save:
// the demo provider with its nurses, doctors and patients, today 2024.05.15,
// period 2024.05. Tests change the fields they are about. Header-only, for
// the logic tests and the window tests alike.

#include "sheet/lapmodel.h"
#include "sheet/napok.h"
#include "support/startedapp.h"

#include <QStringList>
#include <memory>

namespace testsupport {

// The activity text for the list in force from 2009.09 with the given codes
// chosen (a chosen entry shows its code, the others blanks of its width).
inline QString tevekenysegek(const QStringList& kodok) {
    static const char* const lista[] = {"1",  "2",  "3a", "3b", "4",  "5",  "6",  "7",  "8a",
                                        "8b", "8c", "9b", "9c", "9d", "10", "11", "12", "13"};
    QString t;
    for (const char* k : lista) {
        const QString kod = QString::fromLatin1(k);
        t += kodok.contains(kod) ? kod : QString(kod.size(), u' ');
    }
    return t;
}

class LapFixture {
public:
    explicit LapFixture(QDate today = QDate(2024, 5, 15),
                        const QString& period = QStringLiteral("2024.05")) {
        demo::Options o;
        o.localData = true;
        app = std::make_unique<StartedApp>(o, today, period);
        const engine::Query n = app->state.tables.dbo.query(
            QStringLiteral("select aptaj from apol order by aptaj limit 2"));
        nurse = n.value(0, 0).toString();
        nurse2 = n.value(1, 0).toString();
        const engine::Query t = app->state.tables.dbo.query(
            QStringLiteral("select kozigkod,helynev from telepul limit 1"));
        kozigkod = t.value(0, 0).toString();
        helynev = t.value(0, 1).toString();
    }

    core::AppState& st() { return app->state; }
    ui::ScriptedMessages& msg() { return app->msg; }

    // A new sheet of the period with `visits` nursing visits from day 2 on.
    sheet::LapModel lap(const QString& sorsz = QStringLiteral("00001"),
                        const QString& resz = QString(), int visits = 5,
                        const QString& taj = demo::tajWithCheckDigit(QStringLiteral("12345678"))) {
        sheet::LapModel m;
        m.lapsorsz = sorsz;
        m.lapresz = resz;
        m.m_sorsz = sorsz + resz;
        m.m_idosz = app->state.id.text();
        sheet::napokBeallit(m);
        m.m_aztip = QStringLiteral("1");
        m.m_taj = taj;
        m.m_nev = QStringLiteral("Teszt Elek");
        m.bnem = 0;
        m.m_kozigkod = kozigkod;
        m.m_cim1 = helynev;
        m.m_cim2 = QStringLiteral("Fő utca 1.");
        m.m_szh = QStringLiteral("Pécs");
        m.m_szido = QStringLiteral("1940.03.02");
        m.m_terkat = QStringLiteral("01");
        m.m_allp = QStringLiteral("hun");
        m.m_alapb = QStringLiteral("I10H0");
        m.m_fodiag = QStringLiteral("L89H0");
        m.m_eorv = QStringLiteral("12345");
        m.orv1 = QStringLiteral("Dr. Első Ede");
        m.m_jorv = QStringLiteral("54321");
        m.orv2 = QStringLiteral("Dr. Második Mária");
        m.m_elrend = m.m_idosz + QStringLiteral(".01");
        m.m_szakvet = m.m_idosz + QStringLiteral(".02");
        m.m_elviz = QStringLiteral("14");
        m.m_gyak = QStringLiteral("heti 3");
        m.m_elszam = QStringLiteral("1");
        m.m_elszviz = QStringLiteral("0");
        m.m_engszam = QStringLiteral("0");
        m.m_lezdat = QStringLiteral("    .  .  ");
        m.m_engdat = QStringLiteral("    .  .  ");
        m.m_fekdat = QStringLiteral("    .  .  ");
        m.Etev = tevekenysegek({QStringLiteral("7"), QStringLiteral("11")});
        m.CB2 = 0;
        for (int i = 1; i <= visits; ++i)
            visit(m, i + 1, QStringLiteral("2"), QStringLiteral("7"), nurse);
        return m;
    }

    static void visit(sheet::LapModel& m, int nap, const QString& ellt, const QString& tevk,
                      const QString& aptaj) {
        m.ellt[size_t(nap - 1)] = ellt;
        m.tevk[size_t(nap - 1)] = tevk;
        m.aptaj[size_t(nap - 1)] = aptaj;
    }

    std::unique_ptr<StartedApp> app;
    QString nurse, nurse2, kozigkod, helynev;
};

} // namespace testsupport
