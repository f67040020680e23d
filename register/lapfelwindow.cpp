#include "register/lapfelwindow.h"

#include "register/lapokwindow.h"
#include "register/megtekintes.h"
#include "sheet/lapujwindow.h"

#include "ui/valuefield.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace reg {

namespace {

struct Row {
    const char* label;
    const char* name;
    int chars;
};

// The sheet's page: label, field (LAP/ELREND field or name label), width.
const Row kLeft[] = {
    {"Időszak:", "IDOSZAK", 7},
    {"Sorszám:", "SORSZ", 5},
    {"Rész:", "RESZ", 1},
    {"TAJ szám:", "TAJ", 9},
    {"Beteg neve:", "nev", 25},
    {"Településkód:", "KOZIGKOD", 7},
    {"Orvos kódja:", "ORVOSKOD", 5},
    {"Orvos neve:", "orvosnev", 25},
    {"Szakápolás kezdete:", "SZAKVET", 10},
    {"Elrendelt vizitek:", "ELVIZDB", 3},
    {"Eddig elszámolt vizitek:", "ELSZVIZ", 3},
    {"Hányadik elrendelés:", "ELSZAM", 3},
    {"Lezárás dátuma:", "LEZDAT", 10},
    {"Ápoló TAJ száma 1:", "APTAJ1", 9},
    {"Ápoló TAJ száma 2:", "APTAJ2", 9},
    {"Vizitszám:", "SZVIZ", 2},
};
const Row kRight[] = {
    {"Fekvőbeteg-intézeti diagnózis:", "BNOKI", 5},
    {"", "bno1", 30},
    {"Elbocsátás napja:", "ELB", 10},
    {"Ápolási napok:", "APNAP", 3},
    {"Alapbetegség:", "BNOROV", 5},
    {"", "bno2", 30},
    {"Kísérő betegség:", "BNOMELL", 5},
    {"", "bno3", 30},
    {"Fődiagnózis:", "BNOFO", 5},
    {"", "bno4", 30},
    {"Ellátást befolyásoló tényező:", "BNOELL", 5},
    {"", "bno5", 30},
    {"Tevékenységek:", "TEVKODOK", 34},
};

const char* const kSlots[] = {"A beteg teljes ápolásra szorult (szakápolás)",
                              "A beteg segítségre szorult (szakápolás)",
                              "A beteg önellátó (szakápolás)",
                              "Gyógytorna, teljes ápolásra szorult",
                              "Gyógytorna, segítségre szorult",
                              "Fizioterápia, teljes ápolásra szorult",
                              "Fizioterápia, segítségre szorult",
                              "Logopédia, teljes ápolásra szorult",
                              "Logopédia, segítségre szorult"};

} // namespace

QLineEdit* LapfelWindow::addField(QGridLayout* grid, int row, int col, const QString& label,
                                  const QString& name, int chars) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    ui::markValueField(e);
    e->setMaxLength(std::max(chars, 1));
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                       std::min(chars + 2, 40));
    auto* l = new QLabel(label);
    l->setBuddy(e);
    e->setAccessibleName(label.isEmpty() ? name : label);
    grid->addWidget(l, row, col);
    grid->addWidget(e, row, col + 1);
    fields_.insert(name, e);
    return e;
}

LapfelWindow::LapfelWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Elszámolási lap megtekintése"));
    auto* top = new QVBoxLayout(this);
    pages_ = new QTabWidget;
    top->addWidget(pages_);

    auto* p1 = new QWidget;
    auto* g1 = new QGridLayout(p1);
    int row = 0;
    for (const Row& r : kLeft)
        addField(g1, row++, 0, QString::fromUtf8(r.label), QLatin1String(r.name), r.chars);
    row = 0;
    for (const Row& r : kRight)
        addField(g1, row++, 2, QString::fromUtf8(r.label), QLatin1String(r.name), r.chars);
    neme_ = new QComboBox;
    neme_->addItems({QStringLiteral("Férfi"), QStringLiteral("Nő")});
    neme_->setAccessibleName(QStringLiteral("Neme:"));
    auto* ln = new QLabel(QStringLiteral("Neme:"));
    ln->setBuddy(neme_);
    g1->addWidget(ln, row, 2);
    g1->addWidget(neme_, row++, 3);
    tpotl_ = new QComboBox;
    tpotl_->addItems({QStringLiteral("I"), QStringLiteral("N")});
    tpotl_->setAccessibleName(QStringLiteral("Területi pótlék:"));
    auto* lt = new QLabel(QStringLiteral("Területi pótlék:"));
    lt->setBuddy(tpotl_);
    g1->addWidget(lt, row, 2);
    g1->addWidget(tpotl_, row++, 3);
    g1->setRowStretch(int(std::size(kLeft)), 1);
    pages_->addTab(p1, QStringLiteral("A lap adatai"));

    auto* p2 = new QWidget;
    auto* g2 = new QGridLayout(p2);
    const QString heads[] = {QStringLiteral("-tól"), QStringLiteral("-ig"),
                             QStringLiteral("vizitszám")};
    for (int i = 0; i < 2; ++i)
        for (int h = 0; h < 3; ++h)
            g2->addWidget(new QLabel(heads[h]), 0, 1 + i * 3 + h);
    for (int s = 0; s < 9; ++s) {
        auto* l = new QLabel(QString::fromUtf8(kSlots[s]));
        g2->addWidget(l, s + 1, 0);
        for (int i = 0; i < 2; ++i) {
            const int n = s + 1 + 9 * i;
            const char* names[] = {"TOL", "IG", "VIZ"};
            for (int h = 0; h < 3; ++h) {
                auto* e = new QLineEdit;
                const QString name = QLatin1String(names[h]) + QString::number(n);
                e->setObjectName(name);
                ui::markValueField(e);
                e->setMaximumWidth(
                    e->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00")) + 12);
                if (h == 2) e->setAlignment(Qt::AlignRight);
                e->setAccessibleName(l->text() + QLatin1Char(' ') + heads[h] + QLatin1Char(' ') +
                                     QString::number(i + 1));
                g2->addWidget(e, s + 1, 1 + i * 3 + h);
                fields_.insert(name, e);
            }
        }
        if (s == 0) l->setBuddy(fields_.value(QStringLiteral("TOL1")));
    }
    addField(g2, 10, 0, QStringLiteral("Fő tevékenységi kód:"), QStringLiteral("TEV1"), 2);
    auto* tev2 = new QLineEdit;
    tev2->setReadOnly(true);
    tev2->setAccessibleName(QStringLiteral("Fő tevékenységi kód 2"));
    tev2->setMaximumWidth(60);
    g2->addWidget(tev2, 10, 4);
    fields_.insert(QStringLiteral("TEV2"), tev2);
    g2->setRowStretch(11, 1);
    pages_->addTab(p2, QStringLiteral("Vizitek"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ment_ = new QPushButton(QStringLiteral("Mentés"));
    ment_->setEnabled(false);
    auto* kilep = new QPushButton(QStringLiteral("Kilépés"));
    kilep->setShortcut(Qt::Key_Escape);
    connect(kilep, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ment_);
    buttons->addWidget(kilep);
    top->addLayout(buttons);
}

void LapfelWindow::mutat(const LapfelModel& m) {
    for (auto it = fields_.cbegin(); it != fields_.cend(); ++it) {
        const QString& name = it.key();
        QString text = m.mezok.value(name);
        if (text.isEmpty()) text = m.elrend.value(name);
        if (name == QLatin1String("nev"))
            text = m.nev;
        else if (name == QLatin1String("orvosnev"))
            text = m.orvosNev;
        else if (name == QLatin1String("bno1"))
            text = m.bnokiNev;
        else if (name == QLatin1String("bno2"))
            text = m.bnorovNev;
        else if (name == QLatin1String("bno3"))
            text = m.bnomellNev;
        else if (name == QLatin1String("bno4"))
            text = m.bnofoNev;
        else if (name == QLatin1String("bno5"))
            text = m.bnoellNev;
        it.value()->setText(text);
        ui::markValueField(it.value());
    }
    neme_->setCurrentIndex(m.neme);
    tpotl_->setCurrentIndex(m.tpotl);
    neme_->setEnabled(m.szerkesztheto);
    tpotl_->setEnabled(m.szerkesztheto);
    ment_->setEnabled(false);
    pages_->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Elszámolási lap megtekintése"));
}

void wireMegtekintes(LapokWindow& w, core::AppState& st) {
    auto* lapfel = new LapfelWindow(&w);
    lapfel->setObjectName(QStringLiteral("Tlapfel"));
    MegtekintesHooks h;
    h.jelolomod = [&w] { return w.logic().jelolomod(); };
    // Viewing saves nothing: the entry window is shown directly, below the
    // register, and the register's figures are read again when it closes.
    h.lapuj = [&w, &st](sheet::LapModel& m, const QString&) {
        sheet::LapujWindow* lapujWindow = sheet::LapujWindow::of(st, &w);
        lapujWindow->setAnchor(&w);
        lapujWindow->loadModel(m);
        lapujWindow->exec();
        w.refreshFigures();
        w.reread();
    };
    h.lapfel = [lapfel](const LapfelModel& m) {
        lapfel->mutat(m);
        lapfel->exec();
    };
    auto logic = std::make_shared<Megtekintes>(st, std::move(h));
    if (QAction* a = w.action(QStringLiteral("Megtekints1")))
        QObject::connect(a, &QAction::triggered, &w, [logic] { logic->megtekintes(); });
}

} // namespace reg
