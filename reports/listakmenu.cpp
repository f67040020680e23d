#include "reports/listakmenu.h"

#include "core/appstate.h"
#include "masters/bcsopdialog.h"
#include "reports/dolgozolista.h"
#include "reports/elszamolas.h"
#include "reports/reportpreviewdialog.h"
#include "reports/tajidodialog.h"
#include "reports/tajlista.h"
#include "reports/tajszdialog.h"
#include "reports/torzslistak.h"
#include "ui/messages.h"

#include <QAction>
#include <QCoreApplication>
#include <QProgressDialog>
#include <QTimer>
#include <memory>

namespace reports {

namespace {

// The sheets of the TAJ check list's first pages.
constexpr int kElsoSorok = 80;

// The layout's progress in a dialog with "Mégse"; false once cancelled.
class Halad {
public:
    // Not modal over a preview that shows the list's first pages meanwhile.
    explicit Halad(QWidget* parent, bool modal = true) : parent_(parent), modal_(modal) {}
    bool operator()(int done, int total) {
        if (!dlg_) {
            dlg_ = std::make_unique<QProgressDialog>(QStringLiteral("A lista előkészítése..."),
                                                     QStringLiteral("Mégse"), 0, total, parent_);
            dlg_->setWindowTitle(QStringLiteral("Lista"));
            dlg_->setWindowModality(modal_ ? Qt::WindowModal : Qt::NonModal);
            dlg_->setMinimumDuration(400);
        }
        // A long build's steps come without a count (a moving bar), the
        // layout's rows with theirs.
        if (dlg_->maximum() != total) dlg_->setMaximum(total);
        dlg_->setValue(done);
        QCoreApplication::processEvents();
        return !dlg_->wasCanceled();
    }
    void close() { dlg_.reset(); }

private:
    QWidget* parent_;
    bool modal_;
    std::unique_ptr<QProgressDialog> dlg_;
};

} // namespace

bool runLista(core::AppState& st, QWidget* parent, const ListaFuttato::Build& build,
              const ListaFuttato::Build& elso) {
    return runLista(
        st, parent, ListaFuttato::HaladoBuild([build](const LayoutProgress&) { return build(); }),
        elso);
}

bool runLista(core::AppState& st, QWidget* parent, const ListaFuttato::HaladoBuild& build,
              const ListaFuttato::Build& elso) {
    auto halad = std::make_shared<Halad>(parent);
    auto preview = [&](PageModel& pages, const CsvTabla* csv, bool egesz) {
        halad->close();
        ReportPreviewDialog dlg(std::move(pages), st.msg, st.listakonyvtar, st.id.text(), parent);
        if (csv) dlg.setCsv(*csv);
        if (!egesz) {
            // The whole list, laid out while its first pages are shown. Its
            // "Mégse", or the preview closed, stops it: the pages shown stay.
            QTimer::singleShot(0, &dlg, [&st, &dlg, &build] {
                auto h = std::make_shared<Halad>(&dlg, false);
                ListaFuttato egesz(
                    st,
                    [&dlg, h](PageModel& all, const CsvTabla* csv) {
                        h->close();
                        dlg.setModel(std::move(all));
                        if (csv) dlg.setCsv(*csv);
                    },
                    [h, &dlg](int done, int total) {
                        return dlg.isVisible() && (*h)(done, total);
                    });
                if (egesz.fut(build)) return;
                if (!egesz.cancelled()) {
                    dlg.reject();
                } else if (dlg.isVisible()) {
                    h->close();
                    st.msg.status(0, QStringLiteral("A lista összeállítása megszakítva: csak az "
                                                    "első oldalak láthatók"));
                }
            });
        }
        dlg.exec();
    };
    bool shown = false, cancelled = false;
    if (elso) {
        ListaFuttato first(st, [&](PageModel& p, const CsvTabla* c) { preview(p, c, false); });
        shown = first.fut(elso);
    } else {
        ListaFuttato run(
            st, [&](PageModel& p, const CsvTabla* c) { preview(p, c, true); },
            [halad](int done, int total) { return (*halad)(done, total); });
        shown = run.fut(build);
        cancelled = run.cancelled();
    }
    // The list's "... nyomtatása" text is over with it.
    if (shown || cancelled) st.msg.status(0, QString());
    return shown;
}

void wireLista(core::AppState& st, const ProgramText& program, QWidget* mainWindow,
               QAction* item, ListaMenu lista) {
    if (!item) return;
    item->setEnabled(true);
    core::AppState* s = &st;
    auto wire = [&](std::function<std::optional<Lista>()> build) {
        QObject::connect(item, &QAction::triggered, mainWindow,
                         [s, mainWindow, build] { runLista(*s, mainWindow, build); });
    };
    switch (lista) {
    case ListaMenu::Szakapolok:
        wire([s, program] { return Torzslistak(*s, program).apolok(); });
        break;
    case ListaMenu::Betegek:
        wire([s, program] { return Torzslistak(*s, program).betegek(); });
        break;
    case ListaMenu::Orvosok:
        wire([s, program] { return Torzslistak(*s, program).orvosok(); });
        break;
    case ListaMenu::TeljesBno:
        wire([s, program] { return Torzslistak(*s, program).bnoTeljes(); });
        break;
    case ListaMenu::BnoCsoport:
        wire([s, program, mainWindow] {
            return Torzslistak(*s, program).bnoCsoport(masters::pickBcsop(*s, mainWindow));
        });
        break;
    case ListaMenu::TajEgyBeteg:
        wire([s, program, mainWindow]() -> std::optional<Lista> {
            const std::optional<QString> taj = askTaj(*s, mainWindow);
            if (!taj) return std::nullopt;
            return TajLista(*s, program).egyBeteg(*taj);
        });
        break;
    case ListaMenu::TajOsszesitve:
        // The all-patients list: its first pages at once, the whole list after.
        QObject::connect(item, &QAction::triggered, mainWindow, [s, program, mainWindow] {
            const std::optional<TajIdoszak> span = askTajIdoszak(*s, mainWindow);
            if (!span) return;
            runLista(
                *s, mainWindow,
                ListaFuttato::HaladoBuild([s, program, span](const LayoutProgress& halad) {
                    TajLista l(*s, program);
                    l.setHalad(halad);
                    return l.osszes(*span);
                }),
                [s, program, span] { return TajLista(*s, program).osszes(*span, kElsoSorok); });
        });
        break;
    case ListaMenu::DolgozoVizitek:
        wire([s, program] { return DolgozoLista(*s, program).keszit(); });
        break;
    case ListaMenu::HaviElszamolas:
        wire([s, program] { return HaviElszamolas(*s, program).keszit(); });
        break;
    case ListaMenu::Adatrogzites:
        wire([s, program] { return Adatrogzites(*s, program).keszit(); });
        break;
    }
}

} // namespace reports
