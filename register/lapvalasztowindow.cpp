#include "register/lapvalasztowindow.h"

#include "core/appstate.h"
#include "masters/browseconfig.h"
#include "masters/browsepanel.h"
#include "masters/tablemodel.h"
#include "ui/screenfit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

namespace reg {

void lapOszlopok(masters::BrowsePanel* panel) {
    QTableView* grid = panel->grid();
    const int widths[] = {5, 1, 9, 25, 7, 2, 7, 1, 1, 1};
    const QFontMetrics fm = grid->fontMetrics();
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    const QFontMetrics titles(bold);
    const int n = std::min(int(std::size(widths)), panel->model().columnCount());
    for (int c = 0; c < n; ++c) {
        const int field = fm.horizontalAdvance(QString(widths[c], QLatin1Char('W'))) * 3 / 4;
        const QString title = panel->model().headerData(c, Qt::Horizontal).toString();
        const int title_ = titles.horizontalAdvance(title) + 8;
        grid->setColumnWidth(c, std::max(field, title_) + 14);
    }
    panel->setMinimumWidth(panel->columnsWidth());
}

namespace {

void hint(QWidget* w, const QString& text) {
    w->setToolTip(text);
    w->setStatusTip(text);
}

} // namespace

LapValasztoWindow::LapValasztoWindow(core::AppState& state, QWidget* registerWindow,
                                     const char* name, const QString& caption,
                                     const QString& valasztCaption, const QString& windowHint)
    : QDialog(registerWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint),
      st_(state), register_(registerWindow) {
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    setModal(true);
    hint(this, windowHint);

    masters::BrowseConfig cfg = masters::lapPanel(st_.tables);
    const char* titles[] = {"Sorszám",   "_",        "Taj szám", "Beteg neve", "Időszak",
                            "Vizitszám", "Elküldve", "Fizetve",  "Jel",        "Korr."};
    for (size_t i = 0; i < cfg.columns.size() && i < std::size(titles); ++i)
        cfg.columns[i].title = QString::fromUtf8(titles[i]);
    Lapkep1 = new masters::BrowsePanel(cfg, st_.msg, this);
    Lapkep1->setObjectName(QStringLiteral("Lapkep1"));
    Lapkep1->grid()->setAccessibleName(QStringLiteral("Elszámolási lapok"));
    lapOszlopok(Lapkep1);
    Lapkep1->setMinimumHeight(220);

    valaszt = new QPushButton(valasztCaption, this);
    valaszt->setObjectName(QStringLiteral("valaszt"));
    hint(valaszt, QStringLiteral("Az elszámolási lap kiválasztása"));
    valaszt->setAutoDefault(false);
    kilep = new QPushButton(QStringLiteral("Kilépés"), this);
    kilep->setObjectName(QStringLiteral("kilep"));
    hint(kilep, QStringLiteral("Visszalépés"));
    kilep->setAutoDefault(false);
    kilep->setShortcut(QKeySequence(Qt::Key_Escape));

    connect(valaszt, &QPushButton::clicked, this, [this] { valasztClick(); });
    connect(kilep, &QPushButton::clicked, this, &QDialog::reject);
    connect(Lapkep1, &masters::BrowsePanel::activated, this, [this] { valasztClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(valaszt);
    buttons->addWidget(kilep);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Lapkep1, 1);
    outer->addLayout(buttons);
    resize(std::max(760, sizeHint().width()), 420);
}

int LapValasztoWindow::exec(const QString& felirat) {
    setWindowTitle(felirat);
    Lapkep1->refresh();
    Lapkep1->grid()->setFocus();
    return QDialog::exec();
}

void LapValasztoWindow::showEvent(QShowEvent* event) {
    if (register_) {
        // Fitted by its frame to the screen.
        ui::placeWindow(this, register_->frameGeometry().topLeft() + QPoint(10, 60));
    }
    QDialog::showEvent(event);
}

} // namespace reg
