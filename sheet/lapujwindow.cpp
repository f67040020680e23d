#include "sheet/lapujwindow.h"
#include "sheet/lapujwindow_reszek.h"
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

namespace lapuj {

const QString dblHint = QStringLiteral("(segítség az egér dupla kattintásával)");
const QString datumMaszk = QStringLiteral("9999.99.99;_");

void hint(QWidget* w, const QString& text) {
    w->setToolTip(text);
    w->setStatusTip(text);
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

} // namespace lapuj

using namespace lapuj;

namespace {

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
