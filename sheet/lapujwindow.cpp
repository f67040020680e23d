#include "sheet/lapujwindow.h"
#include "sheet/napokbinding.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "db/layouts.h"
#include "masters/betegvalasztowindow.h"
#include "masters/recordpickwindow.h"
#include "sheet/tevvaldialog.h"
#include "ui/fieldbinder.h"
#include "ui/fieldrule.h"
#include "ui/valuefield.h"
#include "ui/screenfit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace sheet {

namespace {

const QString dblHint = QStringLiteral("(segítség az egér dupla kattintásával)");
const QString datumMaszk = QStringLiteral("9999.99.99;_");

void hint(QWidget* w, const QString& text) {
    w->setToolTip(text);
    w->setStatusTip(text);
}

// The column each field is stored in: its width limits the field, a
// numeric column (or a code of digits) takes digits only. `input` narrows a
// count that the checks keep to two digits; `upper` turns letters to upper
// case (the BNO codes).
struct Oszlop {
    const char* control;
    db::TableId table;
    const char* column;
    bool digits = false;
    int input = 0;
    bool upper = false;
};

const Oszlop oszlopok[] = {
    {"m_aztip", db::TableId::Lap, "AZTIP"},
    {"m_taj", db::TableId::Lap, "TAJ"},
    {"m_nev", db::TableId::Beteg, "NEV"},
    {"m_kozigkod", db::TableId::Lap, "KOZIGKOD"},
    {"m_cim1", db::TableId::Beteg, "CIME1"},
    {"m_cim2", db::TableId::Beteg, "CIME2"},
    {"m_szh", db::TableId::Beteg, "SZULH"},
    {"m_terkat", db::TableId::Lap, "TERKAT"},
    {"m_allp", db::TableId::Lap, "ALLAMP"},
    {"m_fekvd", db::TableId::Lap, "BNOKI", false, 0, true},
    {"m_fapnap", db::TableId::Lap, "APNAP"},
    {"m_alapb", db::TableId::Lap, "BNOROV", false, 0, true},
    {"m_kiserd", db::TableId::Lap, "BNOMELL", false, 0, true},
    {"m_fodiag", db::TableId::Lap, "BNOFO", false, 0, true},
    {"m_ellatd", db::TableId::Lap, "BNOELL", false, 0, true},
    {"m_eorv", db::TableId::Lap, "ORVOSKOD", true},
    {"orv1", db::TableId::Orvos, "ONEV"},
    {"m_jorv", db::TableId::Elrend, "JORVKOD", true},
    {"orv2", db::TableId::Orvos, "ONEV"},
    {"m_elviz", db::TableId::Elrend, "ELVIZDB", false, 2},
    {"m_gyak", db::TableId::Elrend, "GYAK"},
    {"m_elszam", db::TableId::Lap, "ELSZAM"},
    {"m_elszviz", db::TableId::Lap, "ELSZVIZ", false, 2},
    {"m_engszam", db::TableId::Elrend, "ENGSZAM"},
    {"Etev", db::TableId::Lap, "TEVKODOK"},
};

ui::FieldRule szabaly(const Oszlop& o, const QString& label) {
    const engine::FieldDef& c = db::column(o.table, QLatin1String(o.column));
    ui::FieldRule r = o.digits ? ui::digitsOf(c, label, o.input) : ui::ruleOf(c, label, o.input);
    r.upper = o.upper;
    return r;
}

void setIfChanged(QLineEdit* e, const QString& text) {
    if (e->text() != text) e->setText(text);
}

// A masked date edit shows an untouched field as blanks.
QString datumSzoveg(const QLineEdit* e) {
    return e->displayText().replace(QLatin1Char('_'), QLatin1Char(' '));
}

void setDatum(QLineEdit* e, const QString& text) {
    if (datumSzoveg(e) == text) return;
    if (kozos::ures(QString(text).remove(QLatin1Char('.'))))
        e->clear();
    else
        e->setText(text);
}

QString dayName(LapujWindow::DayField kind, int day) {
    switch (kind) {
    case LapujWindow::DayField::Ellt:
        return QStringLiteral("ellt%1").arg(day);
    case LapujWindow::DayField::Tevk:
        return QStringLiteral("tevk%1").arg(day);
    case LapujWindow::DayField::Aptaj:
        break;
    }
    return QStringLiteral("aptaj%1").arg(day);
}

} // namespace

LapujWindow::LapujWindow(core::AppState& state, QWidget* parent)
    : QDialog(parent), st_(state), check_(state, model_) {
    setObjectName(QStringLiteral("Tlapuj"));
    setWindowTitle(QStringLiteral("Elszámolási lap rögzítése"));
    setModal(true);
    build();
    bindFields();

    pickers_.beteg = [this](QWidget* caller) { return masters::pickBeteg(st_, caller, true); };
    pickers_.telepules = [this](QWidget* caller) {
        return masters::pickTelepules(st_, caller, QStringLiteral("L"));
    };
    pickers_.bno = [this](QWidget* caller) { return masters::pickBno(st_, caller); };
    pickers_.orvos = [this](QWidget* caller) { return masters::pickOrvos(st_, caller); };
    pickers_.tevekenyseg = [this](QWidget* caller) { return pickTevekenyseg(caller, st_.id); };
    // Page 3's rules and "Mentés".
    NapokBinding::attach(*this, st_);

    loadModel(ujLap(st_.id, QString(), QString(), QStringLiteral("T")));
}

LapujWindow::~LapujWindow() = default;

LapujWindow* LapujWindow::of(core::AppState& state, QWidget* caller) {
    QWidget* top = caller ? caller->window() : nullptr;
    while (top && top->parentWidget())
        top = top->parentWidget()->window();
    if (top)
        if (auto* w =
                top->findChild<LapujWindow*>(QStringLiteral("Tlapuj"), Qt::FindDirectChildrenOnly))
            return w;
    return new LapujWindow(state, top);
}

// ---------------------------------------------------------------- layout

void LapujWindow::build() {
    auto* line = new QHBoxLayout;
    auto* sorszLabel = new QLabel(QStringLiteral("Lapsorszám"), this);
    m_sorsz = ui::valueField(this, QStringLiteral("m_sorsz"), sorszLabel->text(), 8);
    sorszLabel->setBuddy(m_sorsz);
    auto* idoszLabel = new QLabel(QStringLiteral("Elszámolási időszak"), this);
    m_idosz = ui::valueField(this, QStringLiteral("m_idosz"), idoszLabel->text(), 9);
    idoszLabel->setBuddy(m_idosz);
    QFont bold = m_sorsz->font();
    bold.setBold(true);
    m_sorsz->setFont(bold);
    m_idosz->setFont(bold);
    line->addWidget(sorszLabel);
    line->addWidget(m_sorsz);
    line->addSpacing(30);
    line->addWidget(idoszLabel);
    line->addWidget(m_idosz);
    line->addStretch(1);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->setTabPosition(QTabWidget::South);
    pages_->addTab(buildPage1(), QStringLiteral("1.oldal"));
    pages_->addTab(buildPage2(), QStringLiteral("2.oldal"));
    pages_->addTab(buildPage3(), QStringLiteral("3.oldal"));
    for (int i = 0; i < 3; ++i)
        pages_->widget(i)->setAccessibleName(pages_->tabText(i));

    ment = new QPushButton(QStringLiteral("Mentés"), this);
    ment->setObjectName(QStringLiteral("ment"));
    hint(ment, QStringLiteral("Adatok elmentése"));
    ment->setAutoDefault(false);
    BB1 = new QPushButton(QStringLiteral("Kilépés"), this);
    BB1->setObjectName(QStringLiteral("BB1"));
    hint(BB1, QStringLiteral("Kilépés a rögzítésből"));
    BB1->setAutoDefault(false);
    connect(ment, &QPushButton::clicked, this, [this] {
        if (mentes_) mentes_();
    });
    connect(BB1, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ment);
    buttons->addWidget(BB1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 6, 8, 6);
    outer->setSpacing(4);
    outer->addLayout(line);
    outer->addWidget(pages_, 1);
    outer->addLayout(buttons);
}

namespace {

struct Form {
    QWidget* parent;
    int digit;

    QLineEdit* edit(const char* name, int width, const QString& label, const QString& tip = {},
                    bool right = false) const {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QLatin1String(name));
        if (width > 0) {
            e->setMaxLength(width);
            e->setFixedWidth(digit * (std::min(width, 30) + 2) + 10);
        }
        e->setAccessibleName(label);
        if (!tip.isEmpty()) hint(e, tip);
        if (right) e->setAlignment(Qt::AlignRight);
        return e;
    }
    QLineEdit* date(const char* name, const QString& label, const QString& tip = {}) const {
        QLineEdit* e = edit(name, 0, label, tip);
        e->setInputMask(datumMaszk);
        e->setFixedWidth(digit * 12 + 10);
        return e;
    }
    QLabel* label(const QString& text, QWidget* buddy) const {
        auto* l = new QLabel(text, parent);
        l->setBuddy(buddy);
        return l;
    }
};

QGroupBox* group(QWidget* parent, const char* name, const QString& title) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    g->setAccessibleName(title);
    return g;
}

QGridLayout* grid(QGroupBox* g) {
    auto* l = new QGridLayout(g);
    l->setContentsMargins(8, 4, 8, 4);
    l->setVerticalSpacing(3);
    return l;
}

} // namespace

QWidget* LapujWindow::buildPage1() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("oldal1"));
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));

    QGroupBox* beteg = buildBetegGroup(page, digit);
    QGroupBox* diag = buildDiagGroup(page, digit);
    QGroupBox* orvos = buildOrvosGroup(page, digit);

    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(4, 4, 4, 4);
    l->setSpacing(4);
    l->addWidget(beteg);
    l->addWidget(diag);
    l->addWidget(orvos);
    l->addStretch(1);
    groups_.insert(groups_.end(), {beteg, diag, orvos});
    return page;
}

QGroupBox* LapujWindow::buildBetegGroup(QWidget* page, int digit) {
    // "A beteg adatai"
    QGroupBox* beteg = group(page, "GBbeteg", QStringLiteral("A beteg adatai"));
    Form f{beteg, digit};
    QLineEdit* m_aztip = f.edit("m_aztip", 1, QStringLiteral("Azonosító típus"),
                                QStringLiteral("Azonosító kód (Alapértelmezés: 1)"));
    QLineEdit* m_taj = f.edit("m_taj", 9, QStringLiteral("TAJ / Azonosító"), dblHint);
    QLineEdit* m_nev = f.edit("m_nev", 25, QStringLiteral("Neve"));
    bnem = new QComboBox(beteg);
    bnem->setObjectName(QStringLiteral("bnem"));
    bnem->addItems({QStringLiteral("Férfi"), QStringLiteral("Nő")});
    bnem->setAccessibleName(QStringLiteral("Neme"));
    QLineEdit* m_kozigkod = f.edit("m_kozigkod", 7, QStringLiteral("Címe"), dblHint);
    QLineEdit* m_cim1 = f.edit("m_cim1", 25, QStringLiteral("Település"));
    QLineEdit* m_cim2 = f.edit("m_cim2", 25, QStringLiteral("Utca, házszám"));
    QLineEdit* m_szh = f.edit("m_szh", 25, QStringLiteral("Születési helye"));
    QLineEdit* m_szido = f.date("m_szido", QStringLiteral("Születési idő"));
    CB1 = new QCheckBox(QStringLiteral("Területi pótlék"), beteg);
    CB1->setObjectName(QStringLiteral("CB1"));
    P1 = new QWidget(beteg);
    P1->setObjectName(QStringLiteral("P1"));
    Form fp{P1, digit};
    QLineEdit* m_terkat = fp.edit("m_terkat", 2, QStringLiteral("Térítési kategória"),
                                  QStringLiteral("Térítési kategóris (Alapértelmezés: 01)"));
    QLineEdit* m_allp = fp.edit("m_allp", 3, QStringLiteral("Állampolgárság"),
                                QStringLiteral("Beteg állampolgársága (Alapértelmezés: HUN)"));
    auto* p1l = new QHBoxLayout(P1);
    p1l->setContentsMargins(0, 0, 0, 0);
    p1l->addWidget(fp.label(QStringLiteral("Térítési kategória"), m_terkat));
    p1l->addWidget(m_terkat);
    p1l->addSpacing(12);
    p1l->addWidget(fp.label(QStringLiteral("Állampolgárság"), m_allp));
    p1l->addWidget(m_allp);
    p1l->addStretch(1);

    QGridLayout* g = grid(beteg);
    g->addWidget(f.label(QStringLiteral("Azonosító típus"), m_aztip), 0, 0);
    g->addWidget(m_aztip, 0, 1, Qt::AlignLeft);
    g->addWidget(f.label(QStringLiteral("TAJ / Azonosító"), m_taj), 0, 2, Qt::AlignRight);
    g->addWidget(m_taj, 0, 3, Qt::AlignLeft);
    g->addWidget(f.label(QStringLiteral("Neve"), m_nev), 1, 0);
    g->addWidget(m_nev, 1, 1, 1, 3, Qt::AlignLeft);
    g->addWidget(f.label(QStringLiteral("Neme"), bnem), 1, 4, Qt::AlignRight);
    g->addWidget(bnem, 1, 5, Qt::AlignLeft);
    g->addWidget(f.label(QStringLiteral("Címe"), m_kozigkod), 2, 0);
    g->addWidget(m_kozigkod, 2, 1, Qt::AlignLeft);
    g->addWidget(m_cim1, 2, 2, 1, 2, Qt::AlignLeft);
    g->addWidget(m_cim2, 2, 4, 1, 2, Qt::AlignLeft);
    g->addWidget(f.label(QStringLiteral("Születési helye"), m_szh), 3, 0);
    g->addWidget(m_szh, 3, 1, 1, 3, Qt::AlignLeft);
    g->addWidget(f.label(QStringLiteral("Születési idő"), m_szido), 3, 4, Qt::AlignRight);
    g->addWidget(m_szido, 3, 5, Qt::AlignLeft);
    g->addWidget(CB1, 4, 0, 1, 2);
    g->addWidget(P1, 4, 2, 1, 4);
    g->setColumnStretch(6, 1);

    texts_.push_back({{"m_aztip", &LapModel::m_aztip}, m_aztip});
    texts_.push_back({{"m_taj", &LapModel::m_taj}, m_taj});
    texts_.push_back({{"m_nev", &LapModel::m_nev}, m_nev});
    texts_.push_back({{"m_kozigkod", &LapModel::m_kozigkod}, m_kozigkod});
    texts_.push_back({{"m_cim1", &LapModel::m_cim1}, m_cim1});
    texts_.push_back({{"m_cim2", &LapModel::m_cim2}, m_cim2});
    texts_.push_back({{"m_szh", &LapModel::m_szh}, m_szh});
    texts_.push_back({{"m_szido", &LapModel::m_szido}, m_szido});
    texts_.push_back({{"m_terkat", &LapModel::m_terkat}, m_terkat});
    texts_.push_back({{"m_allp", &LapModel::m_allp}, m_allp});
    dates_.push_back(m_szido);
    return beteg;
}

QGroupBox* LapujWindow::buildDiagGroup(QWidget* page, int digit) {
    // "Diagnózisok"
    QGroupBox* diag = group(page, "GBdiag", QStringLiteral("Diagnózisok"));
    Form d{diag, digit};
    auto bnoEdit = [&](const char* name, const QString& label) {
        return d.edit(name, 5, label, dblHint);
    };
    const QString lFekvd = QStringLiteral("Fekvőbeteg-intézeti ápolás diagnózisa (BNO X)");
    const QString lFekdat = QStringLiteral("Fekvőbeteg-intézetből történt elbocsátás napja");
    const QString lFapnap = QStringLiteral("ápolási napok száma");
    const QString lAlapb = QStringLiteral("Alapbetegség (BNO X)");
    const QString lKiserd = QStringLiteral("Kísérő betegség (BNO X)");
    const QString lFodiag = QStringLiteral("Szakápolást indokló fődiagnózis (BNO X)");
    const QString lEllatd = QStringLiteral("Ellátást befolyásoló tényező (BNO X)");
    QLineEdit* m_fekvd = bnoEdit("m_fekvd", lFekvd);
    QLineEdit* m_fekdat = d.date("m_fekdat", lFekdat);
    QLineEdit* m_fapnap = d.edit("m_fapnap", 3, lFapnap, {}, true);
    QLineEdit* m_alapb = bnoEdit("m_alapb", lAlapb);
    QLineEdit* m_kiserd = bnoEdit("m_kiserd", lKiserd);
    QLineEdit* m_fodiag = bnoEdit("m_fodiag", lFodiag);
    QLineEdit* m_ellatd = bnoEdit("m_ellatd", lEllatd);
    for (int i = 0; i < 5; ++i) {
        bnoLabels_[size_t(i)] = new QLabel(diag);
        bnoLabels_[size_t(i)]->setObjectName(QStringLiteral("bno%1").arg(i + 1));
        bnoLabels_[size_t(i)]->setMinimumWidth(digit * 40);
    }
    QGridLayout* dg = grid(diag);
    int r = 0;
    auto bnoRow = [&](const QString& label, QLineEdit* e, QLabel* name) {
        dg->addWidget(d.label(label, e), r, 0);
        dg->addWidget(e, r, 1, Qt::AlignLeft);
        dg->addWidget(name, r, 2, 1, 3);
        name->setAccessibleName(label + QStringLiteral(" megnevezése"));
        ++r;
    };
    bnoRow(lFekvd, m_fekvd, bnoLabels_[0]);
    dg->addWidget(d.label(lFekdat, m_fekdat), r, 0);
    dg->addWidget(m_fekdat, r, 1, Qt::AlignLeft);
    dg->addWidget(d.label(lFapnap, m_fapnap), r, 2, Qt::AlignRight);
    dg->addWidget(m_fapnap, r, 3, Qt::AlignLeft);
    ++r;
    bnoRow(lAlapb, m_alapb, bnoLabels_[1]);
    bnoRow(lKiserd, m_kiserd, bnoLabels_[2]);
    bnoRow(lFodiag, m_fodiag, bnoLabels_[3]);
    bnoRow(lEllatd, m_ellatd, bnoLabels_[4]);
    dg->setColumnStretch(4, 1);

    texts_.push_back({{"m_fekvd", &LapModel::m_fekvd}, m_fekvd});
    texts_.push_back({{"m_fekdat", &LapModel::m_fekdat}, m_fekdat});
    texts_.push_back({{"m_fapnap", &LapModel::m_fapnap}, m_fapnap});
    texts_.push_back({{"m_alapb", &LapModel::m_alapb}, m_alapb});
    texts_.push_back({{"m_kiserd", &LapModel::m_kiserd}, m_kiserd});
    texts_.push_back({{"m_fodiag", &LapModel::m_fodiag}, m_fodiag});
    texts_.push_back({{"m_ellatd", &LapModel::m_ellatd}, m_ellatd});
    dates_.push_back(m_fekdat);
    return diag;
}

QGroupBox* LapujWindow::buildOrvosGroup(QWidget* page, int digit) {
    // "Orvos adatok"
    QGroupBox* orvos = group(page, "GBorvos", QStringLiteral("Orvos adatok"));
    Form o{orvos, digit};
    const QString lEorv = QStringLiteral("Elrendelő orvos pecsétszáma");
    const QString lJorv = QStringLiteral("Javaslatot tevő orvos pecsétszáma");
    QLineEdit* m_eorv = o.edit("m_eorv", 5, lEorv, dblHint);
    QLineEdit* orv1 = o.edit("orv1", 25, QStringLiteral("Elrendelő orvos neve"), dblHint);
    QLineEdit* m_jorv = o.edit("m_jorv", 5, lJorv, dblHint);
    QLineEdit* orv2 = o.edit("orv2", 25, QStringLiteral("Javaslatot tevő orvos neve"), dblHint);
    QGridLayout* og = grid(orvos);
    og->addWidget(o.label(lEorv, m_eorv), 0, 0);
    og->addWidget(m_eorv, 0, 1, Qt::AlignLeft);
    og->addWidget(o.label(QStringLiteral("neve"), orv1), 0, 2, Qt::AlignRight);
    og->addWidget(orv1, 0, 3, Qt::AlignLeft);
    og->addWidget(o.label(lJorv, m_jorv), 1, 0);
    og->addWidget(m_jorv, 1, 1, Qt::AlignLeft);
    og->addWidget(o.label(QStringLiteral("neve"), orv2), 1, 2, Qt::AlignRight);
    og->addWidget(orv2, 1, 3, Qt::AlignLeft);
    og->setColumnStretch(4, 1);

    texts_.push_back({{"m_eorv", &LapModel::m_eorv}, m_eorv});
    texts_.push_back({{"orv1", &LapModel::orv1}, orv1});
    texts_.push_back({{"m_jorv", &LapModel::m_jorv}, m_jorv});
    texts_.push_back({{"orv2", &LapModel::orv2}, orv2});
    return orvos;
}

QWidget* LapujWindow::buildPage2() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("oldal2"));
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));

    QGroupBox* elr = group(page, "GBelrend", QStringLiteral("Az elrendelés adatai"));
    Form f{elr, digit};
    const QString lElrend = QStringLiteral("A szakápolás elrendelésének ideje");
    const QString lSzakvet = QStringLiteral("A szakápolásba vétel időpontja");
    const QString lElviz = QStringLiteral("Az elrendelt vizitek száma");
    const QString lGyak = QStringLiteral("gyakorisága");
    const QString lElszam = QStringLiteral("Hanyadik folyamatos elrendelés");
    const QString lElszviz = QStringLiteral("Az eddig elszámolt vizitek száma");
    QLineEdit* m_elrend = f.date("m_elrend", lElrend);
    QLineEdit* m_szakvet = f.date("m_szakvet", lSzakvet);
    QLineEdit* m_elviz = f.edit("m_elviz", 2, lElviz, {}, true);
    QLineEdit* m_gyak = f.edit("m_gyak", 15, QStringLiteral("A vizitek gyakorisága"));
    QLineEdit* m_elszam = f.edit("m_elszam", 3, lElszam, {}, true);
    QLineEdit* m_elszviz = f.edit("m_elszviz", 2, lElszviz, {}, true);
    QGridLayout* g = grid(elr);
    g->addWidget(f.label(lElrend, m_elrend), 0, 0);
    g->addWidget(m_elrend, 0, 1, Qt::AlignLeft);
    g->addWidget(f.label(lSzakvet, m_szakvet), 1, 0);
    g->addWidget(m_szakvet, 1, 1, Qt::AlignLeft);
    g->addWidget(f.label(lElviz, m_elviz), 2, 0);
    g->addWidget(m_elviz, 2, 1, Qt::AlignLeft);
    g->addWidget(f.label(lGyak, m_gyak), 2, 2, Qt::AlignRight);
    g->addWidget(m_gyak, 2, 3, Qt::AlignLeft);
    g->addWidget(f.label(lElszam, m_elszam), 3, 0);
    g->addWidget(m_elszam, 3, 1, Qt::AlignLeft);
    g->addWidget(f.label(lElszviz, m_elszviz), 4, 0);
    g->addWidget(m_elszviz, 4, 1, Qt::AlignLeft);
    g->setColumnStretch(4, 1);

    QGroupBox* apol = group(page, "GBapolas", QStringLiteral("Az ápolás adatai"));
    Form a{apol, digit};
    const QString lLezdat = QStringLiteral("Az ápolási eset lezárásának ideje");
    const QString lEngszam = QStringLiteral("RAV egyedi engedélyének száma");
    const QString lTev = QStringLiteral("Elvégzett tevékenységek felsorolása");
    const QString lCb2 = QStringLiteral("A beteg állapota");
    QLineEdit* m_lezdat = a.date("m_lezdat", lLezdat);
    QLineEdit* m_engszam = a.edit("m_engszam", 4, lEngszam, {}, true);
    QLineEdit* m_engdat = a.date("m_engdat", QStringLiteral("RAV engedély dátuma"),
                                 QStringLiteral("RAV engedély dátuma"));
    Etev = a.edit("Etev", 34, lTev);
    Etev->setReadOnly(true);
    Etev->setFixedWidth(digit * 36 + 10);
    QFont mono = Etev->font();
    mono.setFamily(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    Etev->setFont(mono);
    SB1 = new QToolButton(apol);
    SB1->setObjectName(QStringLiteral("SB1"));
    SB1->setText(QStringLiteral("..."));
    SB1->setFocusPolicy(Qt::NoFocus);
    SB1->setAccessibleName(QStringLiteral("Tevékenységek kiválasztása"));
    hint(SB1, QStringLiteral("Tevékenységek kiválasztása"));
    connect(SB1, &QToolButton::clicked, this, [this] { SB1Click(); });
    CB2 = new QComboBox(apol);
    CB2->setObjectName(QStringLiteral("CB2"));
    CB2->addItems({QStringLiteral("Teljes ápolásra szoruló beteg"),
                   QStringLiteral("Részleges ápolásra szoruló beteg"),
                   QStringLiteral("Önellátó beteg")});
    CB2->setAccessibleName(lCb2);
    QGridLayout* ag = grid(apol);
    ag->addWidget(a.label(lLezdat, m_lezdat), 0, 0);
    ag->addWidget(m_lezdat, 0, 1, 1, 2, Qt::AlignLeft);
    ag->addWidget(a.label(lEngszam, m_engszam), 1, 0);
    ag->addWidget(m_engszam, 1, 1, 1, 2, Qt::AlignLeft);
    ag->addWidget(a.label(QStringLiteral("dátuma"), m_engdat), 1, 3, Qt::AlignRight);
    ag->addWidget(m_engdat, 1, 4, Qt::AlignLeft);
    ag->addWidget(a.label(lTev, Etev), 2, 0);
    auto* tevRow = new QHBoxLayout;
    tevRow->addWidget(Etev);
    tevRow->addWidget(SB1);
    tevRow->addStretch(1);
    ag->addLayout(tevRow, 2, 1, 1, 4);
    ag->addWidget(a.label(lCb2, CB2), 3, 0);
    ag->addWidget(CB2, 3, 1, 1, 4, Qt::AlignLeft);
    ag->setColumnStretch(5, 1);

    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(4, 4, 4, 4);
    l->addWidget(elr);
    l->addWidget(apol);
    l->addStretch(1);
    groups_.insert(groups_.end(), {elr, apol});

    texts_.push_back({{"m_elrend", &LapModel::m_elrend}, m_elrend});
    texts_.push_back({{"m_szakvet", &LapModel::m_szakvet}, m_szakvet});
    texts_.push_back({{"m_elviz", &LapModel::m_elviz}, m_elviz});
    texts_.push_back({{"m_gyak", &LapModel::m_gyak}, m_gyak});
    texts_.push_back({{"m_elszam", &LapModel::m_elszam}, m_elszam});
    texts_.push_back({{"m_elszviz", &LapModel::m_elszviz}, m_elszviz});
    texts_.push_back({{"m_lezdat", &LapModel::m_lezdat}, m_lezdat});
    texts_.push_back({{"m_engszam", &LapModel::m_engszam}, m_engszam});
    texts_.push_back({{"m_engdat", &LapModel::m_engdat}, m_engdat});
    texts_.push_back({{"Etev", &LapModel::Etev}, Etev});
    dates_.insert(dates_.end(), {m_elrend, m_szakvet, m_lezdat, m_engdat});
    return page;
}

QWidget* LapujWindow::buildPage3() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("oldal3"));
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    QGroupBox* napok = group(page, "GBnapok", QStringLiteral("A beteg ellátásának adatai"));
    auto* g = new QGridLayout(napok);
    g->setContentsMargins(8, 2, 8, 2);
    g->setVerticalSpacing(1);
    g->setHorizontalSpacing(6);

    const QStringList heads = {QStringLiteral("Dátum"), QStringLiteral("Ellátás típusa"),
                               QStringLiteral("Fő tevékenység"), QStringLiteral("Ápoló TAJ-száma")};
    for (int col = 0; col < 2; ++col) {
        for (int h = 0; h < heads.size(); ++h) {
            auto* l = new QLabel(heads[h], napok);
            l->setWordWrap(false);
            g->addWidget(l, 0, col * 5 + h);
        }
    }
    g->setColumnMinimumWidth(4, digit * 4);
    for (int i = 0; i < LapModel::maxNapok; ++i) {
        const int day = i + 1;
        const int col = day <= 15 ? 0 : 1;
        const int row = day <= 15 ? day : day - 15;
        auto* d = new QLabel(napok);
        d->setObjectName(QStringLiteral("apdat%1").arg(day));
        d->setMinimumWidth(digit * 11);
        auto mk = [&](DayField kind, int width, const QString& what) {
            auto* e = new QLineEdit(napok);
            e->setObjectName(dayName(kind, day));
            e->setMaxLength(width);
            e->setFixedWidth(digit * (width + 2) + 10);
            e->setAccessibleName(QStringLiteral("%1. nap %2").arg(day).arg(what));
            return e;
        };
        QLineEdit* ellt = mk(DayField::Ellt, 1, QStringLiteral("ellátás típusa"));
        QLineEdit* tevk = mk(DayField::Tevk, 2, QStringLiteral("fő tevékenység"));
        QLineEdit* aptaj = mk(DayField::Aptaj, 9, QStringLiteral("ápoló TAJ-száma"));
        hint(aptaj, QStringLiteral("Ápoló TAJ száma"));
        d->setAccessibleName(QStringLiteral("%1. nap dátuma").arg(day));
        g->addWidget(d, row, col * 5 + 0);
        g->addWidget(ellt, row, col * 5 + 1, Qt::AlignLeft);
        g->addWidget(tevk, row, col * 5 + 2, Qt::AlignLeft);
        g->addWidget(aptaj, row, col * 5 + 3, Qt::AlignLeft);
        apdat_[size_t(i)] = d;
        ellt_[size_t(i)] = ellt;
        tevk_[size_t(i)] = tevk;
        aptaj_[size_t(i)] = aptaj;
    }

    auto* sum = new QHBoxLayout;
    auto* lv1 = new QLabel(QStringLiteral("Vizitszám"), page);
    vszam = new QLabel(page);
    vszam->setObjectName(QStringLiteral("vszam"));
    vszam->setAccessibleName(lv1->text());
    vszam->setMinimumWidth(digit * 4);
    vszam->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Lv2 = new QLabel(QStringLiteral("Előző részszámlák"), page);
    Lv2->setObjectName(QStringLiteral("Lv2"));
    vszame = new QLabel(page);
    vszame->setObjectName(QStringLiteral("vszame"));
    vszame->setAccessibleName(Lv2->text());
    vszame->setMinimumWidth(digit * 4);
    vszame->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sum->addWidget(lv1);
    sum->addWidget(vszam);
    sum->addSpacing(30);
    sum->addWidget(Lv2);
    sum->addWidget(vszame);
    sum->addStretch(1);

    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(4, 2, 4, 2);
    l->setSpacing(2);
    l->addWidget(napok);
    l->addLayout(sum);
    l->addStretch(1);
    groups_.push_back(napok);
    return page;
}

// ---------------------------------------------------------------- fields

void LapujWindow::bindFields() {
    fields_ = new ui::FieldBinder(this);
    std::vector<QWidget*> order;
    auto add = [&](QWidget* w) {
        fields_->bind(w, w->objectName());
        order.push_back(w);
    };
    const QStringList page1 = {"m_aztip",  "m_taj",    "m_nev",    "bnem",     "m_kozigkod",
                               "m_cim1",   "m_cim2",   "m_szh",    "m_szido",  "CB1",
                               "m_terkat", "m_allp",   "m_fekvd",  "m_fekdat", "m_fapnap",
                               "m_alapb",  "m_kiserd", "m_fodiag", "m_ellatd", "m_eorv",
                               "orv1",     "m_jorv",   "orv2"};
    const QStringList page2 = {"m_elrend", "m_szakvet", "m_elviz",  "m_gyak",
                               "m_elszam", "m_elszviz", "m_lezdat", "m_engszam",
                               "m_engdat", "Etev",      "CB2"};
    for (const QStringList* names : {&page1, &page2})
        for (const QString& n : *names)
            add(findChild<QWidget*>(n));
    for (int i = 0; i < LapModel::maxNapok; ++i) {
        add(ellt_[size_t(i)]);
        add(tevk_[size_t(i)]);
        add(aptaj_[size_t(i)]);
    }
    order.push_back(ment);
    order.push_back(BB1);
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // What each field may hold, from the column it is stored in.
    for (const Oszlop& o : oszlopok) {
        const QString n = QLatin1String(o.control);
        fields_->setRule(n, szabaly(o, fields_->widget(n)->accessibleName()), st_.msg);
    }
    for (int i = 0; i < LapModel::maxNapok; ++i) {
        const Oszlop napi[] = {{"ellt", db::TableId::Lapb, "ELLTIP", true, 1},
                               {"tevk", db::TableId::Lapb, "TEVKOD"},
                               {"aptaj", db::TableId::Lapb, "APTAJ"}};
        for (QLineEdit* e : {ellt_[size_t(i)], tevk_[size_t(i)], aptaj_[size_t(i)]}) {
            const auto o = std::find_if(std::begin(napi), std::end(napi), [e](const Oszlop& x) {
                return e->objectName().startsWith(QLatin1String(x.control));
            });
            fields_->setRule(e->objectName(), szabaly(*o, e->accessibleName()), st_.msg);
        }
    }

    // The header checks.
    for (const QStringList* names : {&page1, &page2})
        for (const QString& n : *names)
            fields_->onExit(n, [this, n] { return run([this, n] { return check_.exit(n); }); });

    // The day fields: the grid's own rules, when they are plugged in.
    for (int day = 1; day <= LapModel::maxNapok; ++day) {
        for (DayField kind : {DayField::Ellt, DayField::Tevk, DayField::Aptaj}) {
            const QString n = dayName(kind, day);
            fields_->onExit(n, [this, kind, day]() -> ui::FieldExit {
                if (!dayExit_) return {};
                return run([this, kind, day] { return dayExit_(kind, day); });
            });
            fields_->onDoubleClick(n, [this, kind, day] { dayDoubleClick(kind, day); });
        }
    }

    bindPickers();
    fields_->exempt(BB1);
}

void LapujWindow::bindPickers() {
    // The pickers.
    fields_->onDoubleClick(QStringLiteral("m_taj"), [this] {
        if (!pickers_.beteg) return;
        const masters::BetegValasztas b = pickers_.beteg(this);
        olvas();
        apply(check_.betegbetolt(b));
    });
    fields_->onDoubleClick(QStringLiteral("m_kozigkod"), [this] {
        if (!pickers_.telepules) return;
        const std::optional<CodeName> t = pickers_.telepules(this);
        olvas();
        apply(t ? check_.telepValasztva(t->first, t->second) : check_.telepValasztva({}, {}));
    });
    for (const char* n : {"m_fekvd", "m_alapb", "m_kiserd", "m_fodiag", "m_ellatd"}) {
        const QString name = QLatin1String(n);
        fields_->onDoubleClick(name, [this, name] {
            if (!pickers_.bno) return;
            const std::optional<CodeName> b = pickers_.bno(this);
            olvas();
            apply(b ? check_.bnoValasztva(name, b->first, b->second)
                    : check_.bnoValasztva(name, {}, {}));
        });
    }
    for (const char* n : {"m_eorv", "orv1", "m_jorv", "orv2"}) {
        const QString name = QLatin1String(n);
        fields_->onDoubleClick(name, [this, name] {
            if (!pickers_.orvos) return;
            olvas();
            check_.orvosDblClick(name);
            const std::optional<CodeName> o = pickers_.orvos(this);
            olvas();
            apply(o ? check_.orvosbetolt(o->first, o->second) : check_.orvosbetolt({}, {}));
        });
    }
    // Entering the activity text opens the activity picker.
    fields_->onEnter(QStringLiteral("Etev"), [this] {
        if (model_.szerkesztheto) SB1Click();
    });
}

QWidget* LapujWindow::control(const QString& name) const {
    if (name == QLatin1String("ment")) return ment;
    if (name == QLatin1String("BB1")) return BB1;
    if (name == QLatin1String("SB1")) return SB1;
    if (QWidget* w = fields_->widget(name)) return w;
    return findChild<QWidget*>(name);
}

QLineEdit* LapujWindow::dayField(DayField kind, int day) const {
    if (day < 1 || day > LapModel::maxNapok) return nullptr;
    const size_t i = size_t(day - 1);
    switch (kind) {
    case DayField::Ellt:
        return ellt_[i];
    case DayField::Tevk:
        return tevk_[i];
    case DayField::Aptaj:
        break;
    }
    return aptaj_[i];
}

bool LapujWindow::focusControl(const QString& name) {
    return fields_->focusField(name);
}

void LapujWindow::olvas() {
    for (const auto& [f, e] : texts_) {
        const bool date = std::find(dates_.begin(), dates_.end(), e) != dates_.end();
        model_.*(f.member) = date ? datumSzoveg(e) : e->text();
    }
    model_.bnem = bnem->currentIndex();
    model_.CB1 = CB1->isChecked();
    model_.CB2 = CB2->currentIndex();
    for (int i = 0; i < LapModel::maxNapok; ++i) {
        model_.ellt[size_t(i)] = ellt_[size_t(i)]->text();
        model_.tevk[size_t(i)] = tevk_[size_t(i)]->text();
        model_.aptaj[size_t(i)] = aptaj_[size_t(i)]->text();
    }
}

void LapujWindow::mutat() {
    const LapModel& m = model_;
    for (const auto& [f, e] : texts_) {
        const bool date = std::find(dates_.begin(), dates_.end(), e) != dates_.end();
        if (date)
            setDatum(e, m.*(f.member));
        else
            setIfChanged(e, m.*(f.member));
    }
    if (bnem->currentIndex() != m.bnem) bnem->setCurrentIndex(m.bnem);
    CB1->setChecked(m.CB1);
    if (CB2->currentIndex() != m.CB2) CB2->setCurrentIndex(m.CB2);
    const QString* labels[] = {&m.bno1, &m.bno2, &m.bno3, &m.bno4, &m.bno5};
    for (size_t i = 0; i < 5; ++i)
        bnoLabels_[i]->setText(*labels[i]);
    m_sorsz->setText(m.m_sorsz);
    m_idosz->setText(m.m_idosz);
    for (int i = 0; i < LapModel::maxNapok; ++i) {
        const size_t k = size_t(i);
        const bool shown = i < m.napokszama;
        apdat_[k]->setText(m.apdat[k]);
        setIfChanged(ellt_[k], m.ellt[k]);
        setIfChanged(tevk_[k], m.tevk[k]);
        setIfChanged(aptaj_[k], m.aptaj[k]);
        for (QWidget* w : {static_cast<QWidget*>(apdat_[k]), static_cast<QWidget*>(ellt_[k]),
                           static_cast<QWidget*>(tevk_[k]), static_cast<QWidget*>(aptaj_[k])})
            w->setVisible(shown);
    }
    vszam->setText(m.vszam);
    vszame->setText(m.vszame);
    Lv2->setVisible(m.vszameVisible);
    vszame->setVisible(m.vszameVisible);
    P1->setVisible(check_.p1Lathato());
}

LapModel& LapujWindow::model() {
    olvas();
    return model_;
}

void LapujWindow::refresh() {
    ui::FieldBinder::Hold hold(*fields_);
    mutat();
}

void LapujWindow::loadModel(const LapModel& m) {
    ui::FieldBinder::Hold hold(*fields_);
    model_ = m;
    mutat();
    setWindowTitle(!m.szerkesztheto ? QStringLiteral("Elszámolási lap megtekintése")
                   : m.modositas    ? QStringLiteral("Elszámolási lap módosítása")
                                    : QStringLiteral("Elszámolási lap rögzítése"));
    for (QGroupBox* g : groups_)
        g->setEnabled(m.szerkesztheto);
    ment->setEnabled(m.szerkesztheto);
    pages_->setCurrentIndex(0);
}

int LapujWindow::open(const LapModel& m, const QString& felirat) {
    loadModel(m);
    if (!felirat.isEmpty()) setWindowTitle(felirat);
    return exec();
}

ui::FieldExit LapujWindow::run(const std::function<CheckResult()>& step) {
    olvas();
    const CheckResult r = step();
    {
        ui::FieldBinder::Hold hold(*fields_);
        mutat();
    }
    return {r.ok, r.focus};
}

void LapujWindow::apply(const CheckResult& r) {
    {
        ui::FieldBinder::Hold hold(*fields_);
        mutat();
    }
    if (!r.focus.isEmpty()) fields_->focusField(r.focus);
}

void LapujWindow::SB1Click() {
    if (!pickers_.tevekenyseg) return;
    const QString result = pickers_.tevekenyseg(this);
    olvas();
    apply(check_.tevValasztva(result));
}

void LapujWindow::dayDoubleClick(DayField kind, int day) {
    if (!dayDoubleClick_) return;
    olvas();
    apply(dayDoubleClick_(kind, day));
}

// ---------------------------------------------------------------- showing

void LapujWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // FormActivate.
        if (anchor_) ui::placeWindow(this, anchor_->frameGeometry().topLeft() + QPoint(10, 50));
        P1->setVisible(check_.p1Lathato());
        const QString first = check_.elsoFokusz();
        if (!first.isEmpty()) fields_->focusField(first);
    }
    QDialog::showEvent(event);
}

void LapujWindow::done(int r) {
    QDialog::done(r);
    // FormClose.
    if (close_) close_();
}

} // namespace sheet
