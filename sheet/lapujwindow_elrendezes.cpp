// Tlapuj (unit Lapuj): the entry window's three pages laid out -- the
// patient, diagnoses and doctors; the order and the day grid; the closing.
// The window's fields, binding and showing are in lapujwindow.cpp.

#include "sheet/lapujwindow.h"
#include "sheet/lapujwindow_reszek.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "db/layouts.h"
#include "ui/fieldrule.h"
#include "ui/valuefield.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace sheet {

using namespace lapuj;

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

} // namespace sheet
