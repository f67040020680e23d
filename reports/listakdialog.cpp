#include "reports/listakdialog.h"

#include "app/appstate.h"
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
#include <memory>

namespace reports {

bool runLista(app::AppState& st, QWidget* parent, const ListaFuttato::Build& build) {
    std::unique_ptr<QProgressDialog> progress;
    ListaFuttato run(
        st,
        [&](PageModel& pages, const CsvTabla* csv) {
            progress.reset();
            ReportPreviewDialog dlg(std::move(pages), st.msg, st.listakonyvtar, st.id, parent);
            if (csv) dlg.setCsv(*csv);
            dlg.exec();
        },
        [&](int done, int total) {
            if (!progress) {
                progress =
                    std::make_unique<QProgressDialog>(QStringLiteral("A lista előkészítése..."),
                                                      QStringLiteral("Mégse"), 0, total, parent);
                progress->setWindowTitle(QStringLiteral("Lista"));
                progress->setWindowModality(Qt::WindowModal);
                progress->setMinimumDuration(400);
            }
            progress->setValue(done);
            QCoreApplication::processEvents();
            return !progress->wasCanceled();
        });
    return run.fut(build);
}

void wireListak(app::AppState& st, const ProgramText& program, QWidget* mainWindow,
                const std::function<QAction*(const QString&)>& menuItem) {
    app::AppState* s = &st;
    auto wire = [&](const char* name, std::function<std::optional<Lista>()> build) {
        QAction* item = menuItem(QLatin1String(name));
        if (!item) return;
        item->setEnabled(true);
        QObject::connect(item, &QAction::triggered, mainWindow,
                         [s, mainWindow, build] { runLista(*s, mainWindow, build); });
    };
    wire("Szakpolk2", [s, program] { return Torzslistak(*s, program).apolok(); });
    wire("Betegek2", [s, program] { return Torzslistak(*s, program).betegek(); });
    wire("Orvosok2", [s, program] { return Torzslistak(*s, program).orvosok(); });
    wire("TeljesBNOlista1", [s, program] { return Torzslistak(*s, program).bnoTeljes(); });
    wire("Betegsgcsoportszerintilista1", [s, program, mainWindow] {
        return Torzslistak(*s, program).bnoCsoport(masters::pickBcsop(*s, mainWindow));
    });
    wire("TAJszmosellenrzlistaegybetegre1", [s, program, mainWindow]() -> std::optional<Lista> {
        const std::optional<QString> taj = askTaj(*s, mainWindow);
        if (!taj) return std::nullopt;
        return TajLista(*s, program).egyBeteg(*taj);
    });
    wire("TAJszmosellenrzlistasszestve1", [s, program, mainWindow]() -> std::optional<Lista> {
        const std::optional<TajIdoszak> span = askTajIdoszak(*s, mainWindow);
        if (!span) return std::nullopt;
        return TajLista(*s, program).osszes(*span);
    });
    wire("Dolgozkteljestettvizitei1", [s, program] { return DolgozoLista(*s, program).keszit(); });
    wire("Havonkntielszmols1", [s, program] { return HaviElszamolas(*s, program).keszit(); });
    wire("Adatrgztsiellenrzs1", [s, program] { return Adatrogzites(*s, program).keszit(); });
}

} // namespace reports
