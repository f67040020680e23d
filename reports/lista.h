#pragma once
// What the lists of the "Listák" menu share: the page bands (program title,
// "Verzió:", the list's title and column headings, "Oldal:" at the foot), a
// tabular detail band whose cells are computed once per data row and show
// the same values in the preview and in the CSV file, and the one runner that
// takes a list from its menu item to the preview.
//
//     std::vector<Oszlop> cols{{"TAJ szám", 0, 25}, {"Név", 27, 60}};
//     Lista l(QStringLiteral("Tbetlis"), QStringLiteral("Betegek listája"));
//     l.report.data = st.tables.dbo.query(sql);
//     l.tablazat(program, cols, [](const engine::Query& q, int row) {
//         return QVariantList{q.value(row, 0), q.value(row, 1)};
//     });

#include "reports/elszlap.h"
#include "print/pagemodel.h"

#include <QByteArray>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>
#include <vector>

namespace core {
struct AppState;
}

namespace reports {

// A column of a tabular list: its heading (two lines when `cim2` is set),
// its place in mm and how its values show: text (`tizedes` < 0) or a number
// with that many decimals in Hungarian format.
struct Oszlop {
    Oszlop(QString cim, double x, double w, int tizedes = -1,
           Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
        : cim(std::move(cim)), x(x), w(w), tizedes(tizedes), align(align) {}
    Oszlop& alatta(QString c) {
        cim2 = std::move(c);
        return *this;
    }
    Oszlop& tordelve() {
        tordel = true;
        return *this;
    }
    Oszlop& utana(QString s) {
        utotag = std::move(s);
        return *this;
    }
    // The heading spans `w` mm on the page (over the next columns too).
    Oszlop& fejSzeles(double w) {
        fejW = w;
        return *this;
    }
    // The column's heading in the CSV file, where the page's differs (a
    // column under another's spanning heading).
    Oszlop& csvben(QString c) {
        csvCim = std::move(c);
        return *this;
    }

    QString cim;
    double x = 0, w = 20;
    int tizedes = -1;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    QString cim2;        // a second heading line
    bool tordel = false; // a long value wraps onto more lines
    QString utotag;      // shown after a value in the preview ("   Ft"), not in the CSV
    double fejW = 0;     // the heading's width when it is not the column's
    QString csvCim;      // the CSV heading when it is not the page's
};

// The fonts of the lists' column headings and cells.
inline constexpr Font kListaFej{8, true};
inline constexpr Font kListaCella{8};

// The width in mm a heading needs in the headings' font when it may wrap
// between its words: its widest word (widestPiece).
double fejSzeles(const QString& cim);

// A cell as the list shows it: numbers "1 234,5", text as displayText, NULL
// empty; `utotag` after a value.
QString cellaSzoveg(const QVariant& v, int tizedes, const QString& utotag = {});

// The rows of a list for a spreadsheet.
struct CsvTabla {
    QStringList fejlec;
    std::vector<QStringList> sorok;
};

// UTF-8 with a byte-order mark, fields separated by ";", lines by CR LF;
// a field holding ";", a quote or a line break is quoted (quotes doubled).
// Numbers carry a decimal comma and no thousands separator.
QByteArray csvBytes(const CsvTabla& t);
// False with a Hungarian message in `error` when the file cannot be written.
bool writeCsv(const CsvTabla& t, const QString& path, QString* error = nullptr);

// A cell's values of one data row, in column order.
using SorErtekek = std::function<QVariantList(const engine::Query&, int row)>;

// One list ready for layout: its report and, for a tabular list, its rows
// for the CSV file.
struct Lista {
    Lista(const QString& name, const QString& title) : report(name, title) {}

    Report report;
    std::optional<CsvTabla> csv;

    // The page header (program title, "Verzió:", `vers` with the version
    // text, the title, the subtitle when not empty) and the page footer
    // with "Oldal:". The title and subtitle are elements "cim" and "alcim".
    // Returns the y below the title lines, where column headings go.
    double fejlec(const ProgramText& program, const QString& cim, const QString& alcim = {});
    // Column headings at y of the page header, with a rule under them.
    void oszlopfejek(const std::vector<Oszlop>& cols, double y);
    // A detail band of one text per column ("c0", "c1", ..., the band's
    // first elements) filled from `ertekek`; the CSV rows come from the same
    // values.
    void sorok(const std::vector<Oszlop>& cols, const SorErtekek& ertekek);
    // The page bands, the headings and the detail band.
    void tablazat(const ProgramText& program, const QString& cim, const QString& alcim,
                  const std::vector<Oszlop>& cols, const SorErtekek& ertekek);
};

// The version text the lists print: "v " and the version.
QString listaVerzio(const ProgramText& program);

// Runs a list from its menu item: builds it (the build shows its own status
// text and refusals and returns nothing after a refusal), lays it out with
// progress, and hands the pages to the preview. A query that cannot run
// shows "Hiba a lefutásban!". A progress step that answers false cancels
// the layout, and nothing is previewed. A build that reads long (the TAJ
// check list of every patient) takes the same progress and stops with it.
class ListaFuttato {
public:
    using Preview = std::function<void(PageModel&, const CsvTabla*)>;
    using Build = std::function<std::optional<Lista>()>;
    using HaladoBuild = std::function<std::optional<Lista>(const LayoutProgress& halad)>;

    ListaFuttato(core::AppState& st, Preview preview, LayoutProgress progress = {})
        : st_(st), preview_(std::move(preview)), progress_(std::move(progress)) {}

    // True when the preview was shown.
    bool fut(const Build& build);
    bool fut(const HaladoBuild& build);
    bool cancelled() const { return cancelled_; }

private:
    core::AppState& st_;
    Preview preview_;
    LayoutProgress progress_;
    bool cancelled_ = false;
};

} // namespace reports
