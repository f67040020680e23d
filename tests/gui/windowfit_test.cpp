// Every window of the program on a small laptop screen: shown with its data
// panel open where it has one, none is wider than 1280 or taller than 768
// pixels, none needs more, and every field carries its label as its
// accessible name (or is a label's buddy).

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
#include "support/guisupport.h"
#include "support/startedapp.h"
#include "ui/folderbrowserdialog.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The fields of `w` that no label names.
QStringList unlabelled(QWidget& w) {
    QList<QWidget*> fields;
    for (QLineEdit* e : w.findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(e->parentWidget()) &&
            !qobject_cast<QAbstractSpinBox*>(e->parentWidget()))
            fields << e;
    for (QComboBox* c : w.findChildren<QComboBox*>())
        fields << c;
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

    // Shows the window (after `open`, which may open its data panel) and
    // checks its size and its fields.
    void check(QWidget& w, const std::function<void()>& open = {}) {
        w.show();
        if (open) open();
        QCoreApplication::processEvents();
        const QString name = w.objectName();
        const QSize frame = w.frameGeometry().size();
        // A window larger than that shrinks to the screen it stands on.
        const QSize screen = w.screen()->availableGeometry().size();
        const bool fits = (frame.width() <= 1280 && frame.height() <= 768) ||
                          (frame.width() <= screen.width() && frame.height() <= screen.height());
        QVERIFY2(fits,
                 qPrintable(
                     QStringLiteral("%1: %2x%3").arg(name).arg(frame.width()).arg(frame.height())));
        const QSize least = w.minimumSize().expandedTo(w.minimumSizeHint());
        QVERIFY2(
            least.width() <= 1280 && least.height() <= 768,
            qPrintable(
                QStringLiteral("%1 needs %2x%3").arg(name).arg(least.width()).arg(least.height())));
        const QStringList missing = unlabelled(w);
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
        masters::ContractWindow contract(st);
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
