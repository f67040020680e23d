#include "register/lapok.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "sheet/dijszorzo.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QDate>

namespace reg {

namespace {

const QString kHiba = QStringLiteral("Hiba a lefutásban");

// Thousand forints with one decimal: 1234567.0 -> "1 234,6".
QString eFt(double forint) {
    return ui::formatNumber(forint / 1000.0, 1);
}

QString db(double n) {
    return ui::formatInteger(qint64(n));
}

double num(const QVariant& v) {
    return v.isNull() ? 0.0 : v.toDouble();
}

// Restores a table's standing filter (text and switch) when it goes.
class FilterGuard {
public:
    explicit FilterGuard(engine::Table& t) : t_(t), text_(t.filter()), on_(t.filtered()) {}
    ~FilterGuard() {
        try {
            t_.setFilter(text_);
            t_.setFiltered(on_);
        } catch (...) {
        }
    }

private:
    engine::Table& t_;
    QString text_;
    bool on_;
};

} // namespace

Lapok::Lapok(core::AppState& state) : st_(state) {}

engine::Table& Lapok::lap() const {
    return st_.tables.lap;
}

core::Idoszak Lapok::idoszak() const {
    return st_.id;
}

// ---------------------------------------------------------------- periods

core::Idoszak Lapok::negyHonappalKorabban(core::Idoszak c) {
    return c.plusMonths(-4);
}

QString Lapok::rogzitesSzuro(core::Idoszak c) {
    // The first period with sheets is 1999.06: that year's list starts there.
    const core::Idoszak y1(
        c.year(), c.year() > core::hatar::elsoLap.year() ? 1 : core::hatar::elsoLap.month());
    return QStringLiteral("idoszak>='%1' and idoszak<='%2'")
        .arg(y1.text(), core::Idoszak(c.year(), 12).text());
}

QString Lapok::nyomtatasSzuro(core::Idoszak c) {
    return QStringLiteral("idoszak>='%1' and idoszak<='%2' ")
        .arg(core::Idoszak(c.year(), 1).text(), core::Idoszak(c.year(), 12).text());
}

QString Lapok::kuldesSzuro(core::Idoszak c) {
    const QString r = negyHonappalKorabban(c).text();
    return QStringLiteral("(idoszak>='%1' and idoszak<='%2' and (elkuldve is null or "
                          "elkuldve='%2')) or (elkuldve='YY' and modtipus<>null) or "
                          "(elkuldve='%2' and modtipus<>null)")
        .arg(r, c.text());
}

QString Lapok::honapSzuro(core::Idoszak c, bool zartidoszak) {
    if (zartidoszak) return QStringLiteral("(elkuldve= '%1' or idoszak='%1') ").arg(c.text());
    return QStringLiteral("idoszak='%1' and (elkuldve is null or elkuldve= '%1') ").arg(c.text());
}

QString Lapok::statusText(Mod mod) {
    switch (mod) {
    case Mod::Rogzites:
        return QStringLiteral("Elszámolási lapok rögzítése");
    case Mod::Nyomtatas:
        return QStringLiteral("Elszámolási lapok nyomtatása");
    case Mod::Kuldes:
        break;
    }
    return QStringLiteral("Elszámolási lapok küldése RAV-felé");
}

// ---------------------------------------------------------------- modes

void Lapok::setCaption(const QString& suffix) {
    engine::Table& part = st_.tables.part;
    QString text;
    if (part.isOpen()) {
        if (part.bof() && part.eof()) part.first();
        if (!(part.bof() && part.eof()))
            text = part.text(QStringLiteral("MEGYE")) + QLatin1Char(' ') +
                   part.text(QStringLiteral("INTKOD")) + QLatin1Char(' ') +
                   part.text(QStringLiteral("INTE")).trimmed();
    }
    caption_ = text.trimmed() + suffix;
}

void Lapok::setFilter(const QString& filter) {
    engine::Table& t = lap();
    t.setFilter(filter);
    t.setFiltered(true);
    t.first();
}

bool Lapok::rogzitesMod() {
    const core::Idoszak c = idoszak();
    mod_ = Mod::Rogzites;
    jelolomod_ = false;
    szerzvan_ = true;
    hint_.clear();
    st_.msg.status(0, statusText(mod_));
    setFilter(rogzitesSzuro(c));
    setCaption(QStringLiteral(" Elszámolási lapjai"));
    fig_.keret = c >= core::hatar::maximumKeret;
    eddigi(QString());
    eddigift(QString());
    szvissza();
    if (!szerzvan_) {
        lap().setFiltered(false);
        return false;
    }
    fig_.potlek = c >= core::hatar::potlekKulon;
    fig_.maradvany = c >= core::hatar::maradvany;
    if (fig_.maradvany) maradvany();
    return true;
}

void Lapok::nyomtatasMod() {
    const core::Idoszak c = idoszak();
    mod_ = Mod::Nyomtatas;
    jelolomod_ = true;
    st_.msg.status(0, statusText(mod_));
    setFilter(nyomtatasSzuro(c));
    setCaption(QStringLiteral(" Elszámolási lapok nyomtatása"));
    fig_.keret = c >= core::hatar::maximumKeret;
    eddigi(QString());
    eddigift(QString());
    szvissza();
    fig_.potlek = true;
    fig_.maradvany = true;
    maradvany();
    hint_ = QStringLiteral("Elszámolási lapok jelölése nyomtatásra");
    nyomtatomod_ = true;
}

bool Lapok::kuldesMod() {
    const core::Idoszak c = idoszak();
    mod_ = Mod::Kuldes;
    jelolomod_ = true;
    st_.msg.status(0, statusText(mod_));
    // Every mark goes first: the shipment takes exactly what is marked now.
    try {
        engine::ChangeUnit unit({&lap()});
        st_.tables.dbo.exec(QStringLiteral("update lap set jeloles=null where jeloles='*'"));
        unit.commit();
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
    setFilter(kuldesSzuro(c));
    setCaption(QStringLiteral(" Elszámolási lapok küldése"));
    fig_.keret = c >= core::hatar::maximumKeret;
    eddigi(QStringLiteral("M"));
    eddigift(QStringLiteral("M"));
    szvissza();
    nyomtatomod_ = false;
    fig_.potlek = true;
    fig_.maradvany = true;
    maradvany();
    hint_ = QStringLiteral("Elszámolási időszak lapjainak jelölése elküldésre");
    return true;
}

void Lapok::bezaras() {
    if (lap().isOpen()) lap().setFiltered(false);
}

// ---------------------------------------------------------------- figures

// The old dialect joined the key as a concatenation, sorsz+resz; a blank part
// letter reads as NULL here, so the join is on the columns, the part letter
// with IS.
QString Lapok::eddigiSql(bool marked) {
    if (marked)
        return QStringLiteral(
            "select b.elltip, sum(b.vizitdb) as vizitdb from lapb b, lap a "
            "where a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak and "
            "a.idoszak>=? and a.idoszak<=? and a.jeloles is not null and "
            "(a.modtipus is null or a.modtipus<>'L') group by b.idoszak, b.elltip");
    return QStringLiteral("select elltip, sum(vizitdb) as vizitdb from lapb "
                          "where idoszak=? group by idoszak, elltip");
}

QString Lapok::eddigiftSql(bool marked) {
    return QStringLiteral("select a.elszam, a.tpotl, sum(b.vizitdb) as vizitdb, b.elltip, b.onkep "
                          "from lap a, lapb b where a.sorsz=b.sorsz and a.resz is b.resz and "
                          "a.idoszak=b.idoszak and ") +
           (marked ? QStringLiteral("a.idoszak>=? and a.idoszak<=? and a.jeloles is not null "
                                    "and (a.modtipus is null or a.modtipus<>'L')")
                   : QStringLiteral("a.idoszak=?")) +
           QStringLiteral(" group by a.elszam, a.tpotl, b.elltip, b.onkep");
}

QVariantList Lapok::sqlParams(core::Idoszak c, bool marked) {
    if (marked) return {negyHonappalKorabban(c).text(), c.text()};
    return {c.text()};
}

void Lapok::maradvany() {
    fig_.STm = QStringLiteral("0,0");
    try {
        const engine::Query q = st_.tables.dbo.query(
            QStringLiteral("select ft from maradv where midoszak=?"), {idoszak().text()});
        if (!q.isEmpty() && !q.value(0, 0).isNull()) fig_.STm = eFt(q.value(0, 0).toDouble());
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text());
    }
}

bool Lapok::szvissza() {
    const core::Idoszak c = idoszak();
    engine::Table& szerz = st_.tables.szerz;
    FilterGuard guard(szerz);
    szerz.setFilter(QStringLiteral("szkezd<='%1' and (szveg >='%1' or szveg=null)")
                        .arg(c.firstDay().toString(QStringLiteral("yyyy.MM.dd"))));
    szerz.setFiltered(true);
    szerz.first();
    const bool van = !(szerz.bof() && szerz.eof()) && !szerz.isBlank(QStringLiteral("TERVVIZ"));
    if (!van) {
        st_.msg.error(QStringLiteral("Nincs a ") + c.text() +
                      QStringLiteral(" hónapra szerződés, elszámolási lap sem rögzíthető!"));
        szerzvan_ = false;
        return false;
    }
    const double f = st_.alapdij;
    const double tervviz = szerz.number(QStringLiteral("TERVVIZ"));
    const double apolas =
        szerz.number(QStringLiteral("APTVIZ")) + szerz.number(QStringLiteral("PAPVIZ"));
    const double szakirany =
        szerz.number(QStringLiteral("SZAKTVIZ")) + szerz.number(QStringLiteral("PSZAKVIZ"));
    fig_.STszv = db(apolas);
    fig_.STszv2 = db(szakirany);
    fig_.STszf = eFt(tervviz * f);
    if (c >= core::hatar::maximumKeret) {
        // The nursing and therapy shares of the contracted frame.
        fig_.p1 = true;
        fig_.STak = eFt(tervviz * f * 0.7);
        fig_.STsk = eFt(tervviz * f * 0.5);
    } else if (c >= core::hatar::keretMegosztas) {
        fig_.p1 = true;
        fig_.STak = eFt(apolas * f);
        fig_.STsk = eFt(szakirany * f);
    } else {
        fig_.p1 = false;
    }
    return true;
}

bool Lapok::eddigi(const QString& mode) {
    const core::Idoszak c = idoszak();
    const bool marked = mode == QLatin1String("M");
    double apolas = 0, szakirany = 0;
    try {
        if (c < core::hatar::ujLapforma) {
            // The sheets before 2005.02 keep their visits in eighteen columns
            // of the old layout (LAPOLD). A blank count is no visit.
            const QString path = st_.tables.file(QStringLiteral("Lapold.dbf"));
            if (engine::fileExistsNoCase(path)) {
                const QString sql =
                    QStringLiteral("select sum(%1) as apviz, sum(%2) as irviz from '%3' where ") +
                    (marked ? QStringLiteral("jeloles is not null and (modtipus is null or "
                                             "modtipus<>'L') group by idoszak")
                            : QStringLiteral("idoszak=? group by idoszak"));
                auto cols = [](std::initializer_list<int> n) {
                    QStringList s;
                    for (int i : n)
                        s << QStringLiteral("ifnull(viz%1,0)").arg(i);
                    return s.join(QLatin1Char('+'));
                };
                const engine::Query q = st_.tables.dbo.query(
                    sql.arg(cols({1, 2, 3, 10, 11, 12}),
                            cols({4, 5, 6, 7, 8, 9, 13, 14, 15, 16, 17, 18}),
                            QString(path).replace(QLatin1Char('\''), QStringLiteral("''"))),
                    marked ? QVariantList{} : QVariantList{c.text()});
                for (const QVariantList& row : q.rows()) {
                    apolas += num(row.value(0));
                    szakirany += num(row.value(1));
                }
            }
        } else {
            const engine::Query q = st_.tables.dbo.query(eddigiSql(marked), sqlParams(c, marked));
            for (const QVariantList& row : q.rows()) {
                if (row.value(1).isNull()) continue;
                if (!row.value(0).isNull() && row.value(0).toDouble() == 2.0)
                    apolas += row.value(1).toDouble();
                else
                    szakirany += row.value(1).toDouble();
            }
        }
    } catch (const engine::DbError&) {
        st_.msg.warning(kHiba);
        return false;
    }
    fig_.STav = db(apolas);
    fig_.STiv = db(szakirany);
    return true;
}

bool Lapok::eddigift(const QString& mode) {
    const core::Idoszak c = idoszak();
    const bool marked = mode == QLatin1String("M");
    const double f = st_.alapdij;
    Osszegek s;
    try {
        if (c < core::hatar::ujLapforma) {
            // The five categories in the columns of the old layout: nursing
            // with ONKEP 1, 2, 3, therapy with ONKEP 1, 2.
            const QString path = st_.tables.file(QStringLiteral("Lapold.dbf"));
            if (engine::fileExistsNoCase(path)) {
                auto sum = [](std::initializer_list<int> n) {
                    QStringList s;
                    for (int i : n)
                        s << QStringLiteral("ifnull(viz%1,0)").arg(i);
                    return QStringLiteral("sum(") + s.join(QLatin1Char('+')) + QLatin1Char(')');
                };
                QString sql =
                    QStringLiteral("select elszam, tpotl, %1, %2, %3, %4, %5 from "
                                   "'%6' where idoszak=?")
                        .arg(sum({1, 10}), sum({2, 11}), sum({3, 12}), sum({4, 6, 8, 13, 15, 17}),
                             sum({5, 7, 9, 14, 16, 18}),
                             QString(path).replace(QLatin1Char('\''), QStringLiteral("''")));
                if (marked)
                    sql += QStringLiteral(
                        " and jeloles is not null and (modtipus is null or modtipus<>'L')");
                sql += QStringLiteral(" group by elszam, tpotl");
                const engine::Query q = st_.tables.dbo.query(sql, {c.text()});
                const sheet::DijSor sorok[2][5] = {
                    {sheet::DijSor::ElsoApolas, sheet::DijSor::ElsoApolas,
                     sheet::DijSor::ElsoApolas, sheet::DijSor::ElsoSzakirany,
                     sheet::DijSor::ElsoSzakirany},
                    {sheet::DijSor::IsmeteltApolas, sheet::DijSor::IsmeteltApolas,
                     sheet::DijSor::IsmeteltApolas, sheet::DijSor::IsmeteltSzakiranyRegi,
                     sheet::DijSor::IsmeteltSzakiranyRegi}};
                const int onkep[5] = {1, 2, 3, 1, 2};
                for (const QVariantList& row : q.rows()) {
                    const int k = sheet::elsoRendeles(row.value(0)) ? 0 : 1;
                    const bool tp = row.value(1).toString() == QLatin1String("I");
                    for (int i = 0; i < 5; ++i) {
                        const double n = num(row.value(2 + i));
                        const double w = *sheet::dijszorzo(sorok[k][i], onkep[i]);
                        s.osszeg += n * w * f;
                        if (tp) s.potlek += n * w * f * sheet::teruletiPotlek;
                    }
                }
            }
        } else {
            const engine::Query q = st_.tables.dbo.query(eddigiftSql(marked), sqlParams(c, marked));
            for (const QVariantList& row : q.rows()) {
                const std::optional<sheet::DijSor> sor =
                    sheet::dijsor(row.value(0), row.value(3), c.text());
                if (!sor) continue;
                const std::optional<double> w =
                    sheet::dijszorzo(row.value(0), row.value(3), row.value(4), c.text());
                if (!w) continue;
                const double ft = num(row.value(2)) * *w * f;
                s.osszeg += ft;
                if (sheet::apolasiSor(*sor))
                    s.apolas += ft;
                else if (*sor != sheet::DijSor::IsmeteltSzakiranyRegi)
                    // Before 2009.01 a repeated therapy order counted in the
                    // amount only, not in the therapy share.
                    s.szakirany += ft;
                if (row.value(1).toString() == QLatin1String("I"))
                    s.potlek += ft * sheet::teruletiPotlek;
            }
        }
    } catch (const engine::DbError&) {
        st_.msg.warning(kHiba);
        return false;
    }
    sums_ = s;
    if (c < core::hatar::potlekKulon) {
        fig_.STtf = eFt(s.osszeg + s.potlek);
    } else {
        fig_.STtf = eFt(s.osszeg);
        fig_.STtp = eFt(s.potlek);
        fig_.p1 = c >= core::hatar::keretMegosztas;
        if (fig_.p1) {
            fig_.STAe = eFt(s.apolas);
            fig_.STse = eFt(s.szakirany);
        }
    }
    return true;
}

void Lapok::frissit() {
    const QString mode = mod_ == Mod::Kuldes ? QStringLiteral("M") : QString();
    eddigi(mode);
    eddigift(mode);
}

// ---------------------------------------------------------------- marking

void Lapok::lapokJelolese(bool jel) {
    engine::Table& t = lap();
    const QVariant value = jel ? QVariant(QStringLiteral("*")) : QVariant();
    // The listed sheets found first (a filter on the period reads only the
    // period's part of its tag), then marked: a mark changes no other row.
    std::vector<std::uint32_t> listed;
    t.visibleInOrder(listed);
    for (const std::uint32_t r : listed) {
        t.go(r);
        t.edit();
        t.setValue(QStringLiteral("JELOLES"), value);
        t.post();
    }
}

bool Lapok::jelol(QChar arg) {
    engine::Table& t = lap();
    if (!t.isOpen()) return false;
    const std::uint32_t bookmark = (t.bof() && t.eof()) ? 0 : t.recno();
    try {
        if (arg == QLatin1Char('E')) {
            if (bookmark == 0) return true;
            t.edit();
            t.setValue(QStringLiteral("JELOLES"), t.isBlank(QStringLiteral("JELOLES"))
                                                      ? QVariant(QStringLiteral("*"))
                                                      : QVariant());
            t.post();
        } else if (arg == QLatin1Char('O') || arg == QLatin1Char('A')) {
            const bool jel = !kapcsolo_;
            {
                engine::ChangeUnit unit({&t});
                if (arg == QLatin1Char('A')) {
                    FilterGuard guard(t);
                    t.setFilter(honapSzuro(idoszak(), st_.zartidoszak));
                    t.setFiltered(true);
                    lapokJelolese(jel);
                } else {
                    lapokJelolese(jel);
                }
                unit.commit();
            }
            kapcsolo_ = jel;
        } else {
            return false;
        }
    } catch (const engine::DbError& e) {
        if (t.state() != engine::Table::State::Browse) t.cancel();
        st_.msg.error(e.text());
        if (bookmark != 0 && bookmark <= t.fileRecordCount()) t.go(bookmark);
        return false;
    }
    if (!nyomtatomod_ || mod_ == Mod::Rogzites) {
        eddigi(QStringLiteral("M"));
        eddigift(QStringLiteral("M"));
    }
    if (bookmark != 0 && bookmark <= t.fileRecordCount()) t.go(bookmark);
    return true;
}

// ---------------------------------------------------------------- rows

SorSzin Lapok::sorSzin(std::uint32_t recno) const {
    const engine::Table& t = lap();
    if (!t.isOpen() || recno == 0 || recno > t.fileRecordCount()) return SorSzin::Normal;
    const int fi = t.fieldIndex(QStringLiteral("IDOSZAK"));
    if (fi < 0) return SorSzin::Normal;
    if (t.record(recno).text(fi) == st_.id.text()) return SorSzin::Normal;
    return mod_ == Mod::Kuldes ? SorSzin::Piros : SorSzin::Ezust;
}

std::optional<LapKulcs> Lapok::aktualis() const {
    const engine::Table& t = lap();
    if (!t.isOpen() || (t.bof() && t.eof()) || t.recno() == 0 || t.recno() > t.fileRecordCount() ||
        !t.isVisible(t.recno()))
        return std::nullopt;
    return LapKulcs{t.text(QStringLiteral("SORSZ")), t.text(QStringLiteral("RESZ")),
                    t.text(QStringLiteral("IDOSZAK"))};
}

bool Lapok::keres(const LapKulcs& key) {
    engine::Table& t = lap();
    if (!t.isOpen() || t.state() != engine::Table::State::Browse) return false;
    return t.locate(QStringLiteral("SORSZ;RESZ;IDOSZAK"), {key.sorsz, key.resz, key.idoszak});
}

} // namespace reg
