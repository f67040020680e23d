// Every window of the program on a small laptop screen: shown with its data
// panel open where it has one, each one's frame (the client area with the
// frame extents of the window manager around it) lies inside the screen's
// free area, with the title bar on the screen; none needs more room than
// 1280x768, and every field carries its label as its accessible name (or is
// a label's buddy). The test runs on a 1366x768 and on a 1280x800 screen
// whose window manager has not told its frame extents yet, as a real one
// does only once a window is mapped (tests/CMakeLists.txt).

#include "app/aboutdialog.h"
#include "app/helpwindow.h"
#include "app/logindialog.h"
#include "app/mainwindow.h"
#include "app/pathswindow.h"
#include "app/perioddialog.h"
#include "db/restoresourcedialog.h"
#include "masters/bcsopdialog.h"
#include "masters/betegekwindow.h"
#include "masters/betegvalasztowindow.h"
#include "masters/bnoviewerwindow.h"
#include "masters/contractwindow.h"
#include "masters/personwindow.h"
#include "masters/recordpickwindow.h"
#include "masters/remainderswindow.h"
#include "masters/valaszdialog.h"
#include "register/lapokwindow.h"
#include "reports/reportpreviewdialog.h"
#include "exchange/beolvasaswindow.h"
#include "support/guisupport.h"
#include "support/startedapp.h"
#include "ui/folderbrowserdialog.h"
#include "ui/screenfit.h"
#include "ui/windowconventions.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The fields, grids and lists of `w` that no label or caption names.
QStringList unlabelled(QWidget& w) {
    QList<QWidget*> fields;
    for (QLineEdit* e : w.findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(e->parentWidget()) &&
            !qobject_cast<QAbstractSpinBox*>(e->parentWidget()))
            fields << e;
    for (QComboBox* c : w.findChildren<QComboBox*>())
        fields << c;
    for (QAbstractItemView* v : w.findChildren<QAbstractItemView*>())
        if (v->window() == &w && !qobject_cast<QHeaderView*>(v)) // not a combo box's popup list
            fields << v;
    QSet<QWidget*> buddies;
    for (QLabel* l : w.findChildren<QLabel*>())
        if (l->buddy()) buddies.insert(l->buddy());
    QStringList out;
    for (QWidget* f : fields)
        if (f->accessibleName().isEmpty() && !buddies.contains(f))
            out << w.objectName() + "." + f->objectName();
    return out;
}

} // namespace

class WindowFitTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::StartedApp> app;
    // As in the program: every window fitted as it is shown.
    ui::WindowConventions conventions;

    // Shows the window (after `open`, which may open its data panel) and
    // checks its size and its fields.
    // `ownFields` false: a Qt window whose own fields (the print preview's
    // page number and zoom) are not the program's to name.
    void check(QWidget& w, const std::function<void()>& open = {}, bool ownFields = true) {
        w.show();
        if (open) open();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QString name = w.objectName();
        // The frame as the window manager draws it around the client area.
        const QMargins extents = ui::frameExtents(&w);
        QVERIFY(extents.top() >= 20);
        const QRect frame = w.geometry().marginsAdded(extents);
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY2(screen.contains(frame),
                 qPrintable(QStringLiteral("%1: %2x%3 at %4,%5 on %6x%7")
                                .arg(name)
                                .arg(frame.width())
                                .arg(frame.height())
                                .arg(frame.left())
                                .arg(frame.top())
                                .arg(screen.width())
                                .arg(screen.height())));
        const QSize least = w.minimumSize().expandedTo(w.minimumSizeHint());
        QVERIFY2(
            least.width() <= 1280 && least.height() <= 768,
            qPrintable(
                QStringLiteral("%1 needs %2x%3").arg(name).arg(least.width()).arg(least.height())));
        const QStringList missing = ownFields ? unlabelled(w) : QStringList();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
        w.hide();
    }

private slots:
    void init() {
        demo::Options options;
        options.localData = true;
        app = std::make_unique<testsupport::StartedApp>(options);
    }
    void cleanup() { app.reset(); }

    void theApplicationShell() {
        core::AppState& st = app->state;
        app::MainWindow main(st);
        check(main);
        app::AboutDialog about;
        check(about);
        app::LoginDialog login(st, true);
        check(login);
        app::PeriodDialog period(st);
        check(period);
        app::PathsWindow paths;
        check(paths);
        app::HelpWindow help;
        check(help);
        db::RestoreSourceDialog restore(st.mentkonyvtar, st.msg);
        check(restore);
        ui::FolderBrowserDialog folders(st.msg, QStringLiteral("Mentés helyének kiválasztása"),
                                        QStringLiteral("S"));
        check(folders);
    }

    // The screen the test stands on is one of the small laptops'.
    void theScreen() {
        const QSize s = QGuiApplication::primaryScreen()->size();
        QVERIFY2(s == QSize(1366, 768) || s == QSize(1280, 800),
                 qPrintable(QStringLiteral("%1x%2").arg(s.width()).arg(s.height())));
    }

    // The large windows: the register, a print preview over the main window,
    // the import's stage window (as wide as its caption).
    void theLargeWindows() {
        core::AppState& st = app->state;
        app::MainWindow main(st);
        main.showMaximized();
        reg::LapokWindow lapok(st, &main);
        check(lapok);
        reports::PageModel model;
        model.title = QStringLiteral("Szakápolók listája");
        reports::ReportPreviewDialog preview(model, st.msg, st.listakonyvtar, st.id.text(), &main);
        check(preview, {}, false);
        exch::BeolvasasWindow stages({QStringLiteral("Kicsomagolás"), QStringLiteral("Lapok")},
                                         &main);
        check(stages);
        QVERIFY2(stages.width() >= ui::titleWidth(&stages), qPrintable(QString::number(stages.width())));
    }

    void theMasterDataWindows() {
        core::AppState& st = app->state;
        auto uj = [](QWidget& w) {
            return [&w] { testsupport::child<QPushButton>(w, "uj")->click(); };
        };
        masters::BetegekWindow patients(st);
        check(patients, uj(patients));
        masters::PersonWindow nurses(st, masters::apolConfig());
        check(nurses, uj(nurses));
        masters::PersonWindow doctors(st, masters::orvosConfig());
        check(doctors, uj(doctors));
        masters::RemaindersWindow remainders(st);
        check(remainders, uj(remainders));
        // Below the maximised main window, as the menu opens it.
        app::MainWindow main(st);
        main.showMaximized();
        masters::ContractWindow contract(st, &main);
        check(contract);
        masters::BetegValasztoWindow patientPicker(st, nullptr, true);
        check(patientPicker);
        for (auto kind :
             {masters::RecordPickWindow::Kind::Apol, masters::RecordPickWindow::Kind::Orvos,
              masters::RecordPickWindow::Kind::Telep, masters::RecordPickWindow::Kind::Bno}) {
            masters::RecordPickWindow picker(st, kind);
            check(picker);
        }
        masters::BnoViewerWindow bno(st);
        check(bno);
        masters::ValaszDialog valasz(QStringLiteral("T"), st.id);
        check(valasz);
        masters::BcsopDialog bcsop(st);
        check(bcsop);
    }
};

QTEST_MAIN(WindowFitTest)
#include "windowfit_test.moc"
