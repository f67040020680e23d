#include "reports/lista.h"

#include "core/appstate.h"
#include "engine/dberror.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QFile>
#include <QSaveFile>
#include <QTime>
#include <cmath>

namespace reports {

namespace {

const Font& kFej = kListaFej;
const Font& kCella = kListaCella;

double tartalomSzeles(const Report& r) {
    return r.pageSize().width() - r.margins.left() - r.margins.right();
}

QString csvSzam(const QVariant& v, int tizedes) {
    if (v.isNull()) return QString();
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok) return displayText(v);
    // The grouping blanks out, the decimal comma kept.
    return ui::formatNumber(d, tizedes).remove(QLatin1Char(' ')).remove(QChar(0x00A0));
}

QString csvMezo(const QString& s) {
    if (!s.contains(QLatin1Char(';')) && !s.contains(QLatin1Char('"')) &&
        !s.contains(QLatin1Char('\n')) && !s.contains(QLatin1Char('\r')))
        return s;
    QString q = s;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

QString cellaSzoveg(const QVariant& v, int tizedes, const QString& utotag) {
    if (v.isNull()) return QString();
    if (tizedes < 0) return displayText(v) + utotag;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return (ok ? ui::formatNumber(d, tizedes) : displayText(v)) + utotag;
}

QByteArray csvBytes(const CsvTabla& t) {
    QString out;
    auto sor = [&](const QStringList& cells) {
        QStringList q;
        for (const QString& c : cells)
            q << csvMezo(c);
        out += q.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    };
    sor(t.fejlec);
    for (const QStringList& s : t.sorok)
        sor(s);
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

bool writeCsv(const CsvTabla& t, const QString& path, QString* error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(csvBytes(t)) < 0 || !f.commit()) {
        if (error) *error = QStringLiteral("A CSV-állomány nem írható: ") + path;
        return false;
    }
    return true;
}

double fejSzeles(const QString& cim) {
    return widestPiece(cim, kFej);
}

QString listaVerzio(const ProgramText& program) {
    return QStringLiteral("v ") + program.version;
}

double Lista::fejlec(const ProgramText& program, const QString& cim, const QString& alcim) {
    Report& r = report;
    const double w = tartalomSzeles(r);
    Band& h = r.pageHeader;
    h.addLabel(0, 0, w - 60, 4, program.title, Font{9, true});
    h.addLabel(w - 50, 0, 16, 4, QStringLiteral("Verzió:"), kCella,
               Qt::AlignRight | Qt::AlignVCenter);
    h.addText(QStringLiteral("vers"), w - 33, 0, 33, 4, listaVerzio(program), kCella);
    h.addLine(0, 5.5, w, 5.5);
    // A title wider than the page wraps onto more lines, and what follows
    // goes below them.
    const Font cimFont{11, true}, alcimFont{9, true};
    const double cimMagas = std::max(6.0, wrappedHeight(cim, cimFont, w) + 0.6);
    h.addText(QStringLiteral("cim"), 0, 7, w, cimMagas, cim, cimFont, Qt::AlignCenter).wordWrap =
        true;
    double y = 7 + cimMagas + 1;
    if (!alcim.isEmpty()) {
        const double magas = std::max(5.0, wrappedHeight(alcim, alcimFont, w) + 0.6);
        h.addText(QStringLiteral("alcim"), 0, y, w, magas, alcim, alcimFont, Qt::AlignCenter)
            .wordWrap = true;
        y += magas + 1;
    }
    h.height = y;

    Band& f = r.pageFooter;
    f.height = 6;
    f.addLine(0, 0.5, w, 0.5);
    f.addText(QStringLiteral("nyomtatva"), 0, 1.5, 60, 4, {}, Font{7});
    f.addLabel(w - 40, 1.5, 15, 4, QStringLiteral("Oldal:"), Font{7},
               Qt::AlignRight | Qt::AlignVCenter);
    f.addText(QStringLiteral("oldal"), w - 24, 1.5, 24, 4, {}, Font{7});
    f.beforePrint = [](Band& b, const PrintContext& c) {
        b.setText(QStringLiteral("nyomtatva"),
                  c.printed.toString(QStringLiteral("yyyy.MM.dd HH:mm")));
        b.setText(QStringLiteral("oldal"), QString::number(c.page));
        return true;
    };
    return y;
}

void Lista::oszlopfejek(const std::vector<Oszlop>& cols, double y) {
    Band& h = report.pageHeader;
    const double sor = 4.2;
    // A heading wider than its column wraps; the rule goes under the
    // tallest heading.
    double magas = sor;
    for (const Oszlop& c : cols) {
        const double w = c.fejW > 0 ? c.fejW : c.w;
        const double m = std::max(sor, wrappedHeight(c.cim, kFej, w) + 0.6);
        Element& e = h.addLabel(c.x, y, w, m, c.cim, kFej, c.align);
        e.wordWrap = true;
        double alatta = m;
        if (!c.cim2.isEmpty()) {
            h.addLabel(c.x, y + m, w, sor, c.cim2, kFej, c.align);
            alatta += sor;
        }
        magas = std::max(magas, alatta);
    }
    const double alja = y + magas + 0.8;
    h.addLine(0, alja, tartalomSzeles(report), alja);
    h.height = alja + 1.2;
}

void Lista::tablazat(const ProgramText& program, const QString& cim, const QString& alcim,
                     const std::vector<Oszlop>& cols, const SorErtekek& ertekek) {
    oszlopfejek(cols, fejlec(program, cim, alcim));
    sorok(cols, ertekek);
}

void Lista::sorok(const std::vector<Oszlop>& cols, const SorErtekek& ertekek) {
    Band& d = report.detail;
    d.height = 4.2;
    for (std::size_t i = 0; i < cols.size(); ++i)
        d.addText(QStringLiteral("c%1").arg(i), cols[i].x, 0, cols[i].w, 4.2, {}, kCella,
                  cols[i].align)
            .wordWrap = cols[i].tordel;
    // The column texts are the band's first elements, in column order.
    d.beforePrint = [cols, ertekek](Band& b, const PrintContext& c) {
        const QVariantList v = ertekek(*c.data, c.row);
        for (std::size_t i = 0; i < cols.size(); ++i)
            b.elements[i].text = cellaSzoveg(v.value(int(i)), cols[i].tizedes, cols[i].utotag);
        return true;
    };
    CsvTabla t;
    for (const Oszlop& c : cols)
        t.fejlec << (!c.csvCim.isEmpty() ? c.csvCim
                     : c.cim2.isEmpty()  ? c.cim
                                         : c.cim + QLatin1Char(' ') + c.cim2)
                        .trimmed();
    const engine::Query& q = report.data;
    t.sorok.reserve(std::size_t(q.rowCount()));
    for (int row = 0; row < q.rowCount(); ++row) {
        const QVariantList v = ertekek(q, row);
        QStringList cells;
        for (std::size_t i = 0; i < cols.size(); ++i)
            cells << (cols[i].tizedes < 0 ? displayText(v.value(int(i)))
                                          : csvSzam(v.value(int(i)), cols[i].tizedes));
        t.sorok.push_back(std::move(cells));
    }
    csv = std::move(t);
}

bool ListaFuttato::fut(const Build& build) {
    return fut(HaladoBuild([&build](const LayoutProgress&) { return build(); }));
}

bool ListaFuttato::fut(const HaladoBuild& build) {
    cancelled_ = false;
    LayoutProgress progress;
    if (progress_)
        progress = [this](int done, int total) {
            cancelled_ = !progress_(done, total);
            return !cancelled_;
        };
    try {
        std::optional<Lista> l = build(progress);
        if (!l || cancelled_) return false;
        const QDateTime printed(st_.clock.today(), QTime::currentTime());
        PageModel pages = layout(l->report, printed, progress);
        if (cancelled_) return false;
        preview_(pages, l->csv ? &*l->csv : nullptr);
        return true;
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
}

} // namespace reports
