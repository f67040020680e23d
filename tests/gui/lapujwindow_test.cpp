// The sheet entry window on screen (offscreen), on a started program (period
// 2024.05): a valid header typed with the keyboard from the first field to
// the day grid, a wrong value holding the focus, the viewing mode, the
// accessible names and the size.

#include "db/layouts.h"
#include "sheet/lapcheck.h"
#include "sheet/lapujwindow.h"
#include "support/startedapp.h"
#include "ui/fieldbinder.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

class LapujWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::StartedApp> app;
    std::unique_ptr<sheet::LapujWindow> w;
    QString bno;

    static bool showAndActivate(QWidget& win) {
        win.show();
        QApplication::setActiveWindow(&win);
        return QTest::qWaitForWindowActive(&win);
    }

    QWidget* focus() const { return QApplication::focusWidget(); }
    QString focusName() const { return focus() ? focus()->objectName() : QString(); }

    // Types into the field that has the focus (which must be `name`) and
    // leaves it with Tab.
    bool type(const char* name, const QString& text) {
        if (focusName() != QLatin1String(name)) {
            qWarning("expected the focus in %s, it is in %s", name, qPrintable(focusName()));
            return false;
        }
        if (auto* e = qobject_cast<QLineEdit*>(focus())) {
            e->selectAll();
            if (!text.isEmpty()) {
                if (!e->inputMask().isEmpty()) QTest::keyClick(e, Qt::Key_Home);
                QTest::keyClicks(e, text);
            }
        } else if (auto* c = qobject_cast<QComboBox*>(focus())) {
            if (!text.isEmpty()) c->setCurrentIndex(text.toInt());
        }
        QTest::keyClick(focus(), Qt::Key_Tab);
        return true;
    }

private slots:
    void init() {
        app = std::make_unique<testsupport::StartedApp>();
        core::AppState& st = app->state;
        bno = st.tables.dbo.query("select kod10 from bnotorzs where kod10 not like 'Z%' limit 1")
                  .value(0, 0)
                  .toString();
        st.tables.orvos.append();
        st.tables.orvos.setValue("ORVOSKOD", "12345");
        st.tables.orvos.setValue("ONEV", "Dr. Nagy Béla");
        st.tables.orvos.post();
        w = std::make_unique<sheet::LapujWindow>(st);
        sheet::LapujWindow::Pickers p;
        p.tevekenyseg = [](QWidget*) { return QStringLiteral("1 3a"); };
        w->setPickers(p);
        w->loadModel(sheet::ujLap(st.id, "00001", {}, "T"));
    }
    void cleanup() {
        w.reset();
        app.reset();
    }

    void tabThroughPagesOneAndTwoToTheDayGrid() {
        core::AppState& st = app->state;
        st.tables.telep.first();
        const QString kod = st.tables.telep.text("KOZIGKOD");
        QVERIFY(showAndActivate(*w));
        QCOMPARE(w->windowTitle(), QStringLiteral("Elszámolási lap rögzítése"));
        QCOMPARE(w->pages()->currentIndex(), 0);

        QVERIFY(type("m_aztip", {}));
        QVERIFY(type("m_taj", "111111110"));
        QVERIFY(type("m_nev", "Kiss Anna"));
        QVERIFY(type("bnem", "1"));
        QVERIFY(type("m_kozigkod", kod)); // found: the settlement name is skipped
        QVERIFY(type("m_cim2", "Kossuth utca 1."));
        QVERIFY(type("m_szh", "Papa"));
        QVERIFY(type("m_szido", "19400203"));
        QVERIFY(type("CB1", {}));
        QVERIFY(type("m_terkat", {}));
        QVERIFY(type("m_allp", {}));
        QVERIFY(type("m_fekvd", {}));
        QVERIFY(type("m_fekdat", {}));
        QVERIFY(type("m_fapnap", {}));
        QVERIFY(type("m_alapb", bno.toLower())); // upper-cased as typed
        QVERIFY(type("m_kiserd", {}));
        QVERIFY(type("m_fodiag", bno));
        QVERIFY(type("m_ellatd", {}));
        QVERIFY(type("m_eorv", "12345")); // known: the name is skipped
        QVERIFY(type("m_jorv", {}));
        QVERIFY(type("orv2", {}));
        QCOMPARE(w->pages()->currentIndex(), 1);
        QVERIFY(type("m_elrend", "20240501"));
        QVERIFY(type("m_szakvet", "20240502"));
        QVERIFY(type("m_elviz", "10"));
        QVERIFY(type("m_gyak", "hetente ketszer"));
        QVERIFY(type("m_elszam", "1"));
        QVERIFY(type("m_elszviz", {}));
        QVERIFY(type("m_lezdat", {}));
        QVERIFY(type("m_engszam", {}));
        QVERIFY(type("m_engdat", {})); // entering Etev opens the activity picker
        QVERIFY(type("Etev", {}));
        QVERIFY(type("CB2", "0"));

        QCOMPARE(app->msg.log(), std::vector<std::string>{});
        QCOMPARE(w->pages()->currentIndex(), 2);
        QCOMPARE(focusName(), QStringLiteral("ellt1"));
        const sheet::LapModel& m = w->model();
        QCOMPARE(m.m_cim1, st.tables.telep.text("HELYNEV"));
        QCOMPARE(m.m_alapb, bno);
        QCOMPARE(m.bno2, w->check().bnoNev(bno));
        QCOMPARE(m.orv1, QStringLiteral("Dr. Nagy Béla"));
        QCOMPARE(m.m_szido, QStringLiteral("1940.02.03"));
        QCOMPARE(m.Etev, QStringLiteral("1 3a"));
        QCOMPARE(m.CB2, 0);
    }

    // No field takes more than its column holds: every typing field carries
    // the rule of its column, and "gyakorisága" stops at ELREND.GYAK's 15.
    void noFieldTakesMoreThanItsColumn() {
        QVERIFY(showAndActivate(*w));
        int checked = 0;
        for (QLineEdit* e : w->findChildren<QLineEdit*>()) {
            if (!e->inputMask().isEmpty()) continue; // dates: the mask holds them
            if (e->isReadOnly() && w->fields().fieldOf(e).isEmpty()) continue; // a shown value
            const QString n = w->fields().fieldOf(e);
            const ui::FieldRule* r = w->fields().rule(n);
            QVERIFY2(r, qPrintable(e->objectName()));
            QVERIFY2(r->width > 0 && e->maxLength() == r->width, qPrintable(n));
            ++checked;
        }
        QCOMPARE(checked, 25 + 3 * sheet::LapModel::maxNapok);
        const std::pair<const char*, engine::FieldDef> columns[] = {
            {"m_gyak", db::column(db::TableId::Elrend, "GYAK")},
            {"m_cim2", db::column(db::TableId::Beteg, "CIME2")},
            {"orv1", db::column(db::TableId::Orvos, "ONEV")},
            {"m_fapnap", db::column(db::TableId::Lap, "APNAP")},
            {"m_engszam", db::column(db::TableId::Elrend, "ENGSZAM")},
            {"tevk3", db::column(db::TableId::Lapb, "TEVKOD")},
        };
        for (const auto& [name, col] : columns)
            QCOMPARE(w->fields().rule(name)->width, col.width);

        QVERIFY(w->focusControl("m_gyak"));
        QTest::keyClicks(focus(), QString(30, QLatin1Char('x')));
        QCOMPARE(qobject_cast<QLineEdit*>(focus())->text(), QString(15, QLatin1Char('x')));
    }

    // A count takes digits only: a minus sign typed is refused with a
    // message, and a negative count found in the field holds the focus.
    void countsRefuseAMinusSign() {
        QVERIFY(showAndActivate(*w));
        const std::string why =
            "error: A(z) „Az eddig elszámolt vizitek száma” mezőbe csak számjegyek írhatók, "
            "előjel nélkül!";
        QVERIFY(w->focusControl("m_elszviz"));
        auto* e = qobject_cast<QLineEdit*>(focus());
        QTest::keyClicks(e, "-3");
        QVERIFY(!e->text().contains('-'));
        QCOMPARE(app->msg.log(), std::vector<std::string>{why});

        app->msg.clear();
        e->setText("-3");
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(app->msg.log(), std::vector<std::string>{why});
        QCOMPARE(focusName(), QStringLiteral("m_elszviz"));

        app->msg.clear();
        QVERIFY(w->focusControl("m_fapnap"));
        QTest::keyClicks(focus(), "-");
        QCOMPARE(app->msg.log(),
                 std::vector<std::string>{"error: A(z) „ápolási napok száma” mezőbe csak "
                                          "számjegyek írhatók, előjel nélkül!"});
        app->msg.clear();
        QVERIFY(w->focusControl("m_eorv"));
        QTest::keyClicks(focus(), "1-2");
        QCOMPARE(qobject_cast<QLineEdit*>(focus())->text(), QStringLiteral("12"));
        QCOMPARE(app->msg.log().size(), size_t(1));
    }

    // Pasted control characters are taken out; a character the tables cannot
    // store is refused when pasted, and when the field holding it is left.
    void pastedTextIsPrintableAndStorable() {
        QVERIFY(showAndActivate(*w));
        QVERIFY(w->focusControl("m_cim2"));
        auto* cim = qobject_cast<QLineEdit*>(focus());
        QGuiApplication::clipboard()->setText(QString::fromUtf8("Fő\tutca\x01\x1a\r\n5."));
        QTest::keyClick(cim, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(cim->text(), QString::fromUtf8("Fő utca 5."));
        QCOMPARE(app->msg.log(), std::vector<std::string>{});

        QVERIFY(w->focusControl("orv1"));
        auto* nev = qobject_cast<QLineEdit*>(focus());
        nev->setText("Dr. Kovács");
        nev->end(false);
        QGuiApplication::clipboard()->setText(QString::fromUtf8(" João"));
        QTest::keyClick(nev, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(nev->text(), QStringLiteral("Dr. Kovács"));
        const std::string why = "error: A(z) „Elrendelő orvos neve” mezőbe nem írható a(z) „ã” "
                                "karakter, mert az adatállomány nem tudja tárolni!";
        QCOMPARE(app->msg.log(), std::vector<std::string>{why});

        app->msg.clear();
        nev->setText(QString::fromUtf8("João"));
        QTest::keyClick(nev, Qt::Key_Tab);
        QCOMPARE(app->msg.log(), std::vector<std::string>{why});
        QCOMPARE(focusName(), QStringLiteral("orv1"));
    }

    void wrongValueHoldsTheFocus() {
        QVERIFY(showAndActivate(*w));
        QVERIFY(type("m_aztip", {}));
        QVERIFY(type("m_taj", "111111110"));
        QVERIFY(type("m_nev", "Kiss Anna"));
        QVERIFY(type("bnem", "0"));
        QVERIFY(type("m_kozigkod", "9999999"));
        QCOMPARE(app->msg.log(), std::vector<std::string>{"warning: Nincs ilyen település"});
        QCOMPARE(focusName(), QStringLiteral("m_kozigkod"));

        // On page 2, the order ordinal 0.
        app->msg.clear();
        QVERIFY(w->focusControl("m_elszam"));
        QCOMPARE(w->pages()->currentIndex(), 1);
        QVERIFY(type("m_elszam", "0"));
        QCOMPARE(app->msg.log(),
                 std::vector<std::string>{"error: A folyamatos elrendelés nem lehet 0!"});
        QCOMPARE(focusName(), QStringLiteral("m_elszam"));
    }

    void viewingDisablesEverythingAndTheDayRowsFollowTheMonth() {
        sheet::LapModel m = sheet::ujLap(core::Idoszak(2024, 2), "00002", "A", "E");
        m.szerkesztheto = false;
        m.vszameVisible = true;
        m.vszame = "4";
        w->loadModel(m);
        QVERIFY(showAndActivate(*w));
        QCOMPARE(w->windowTitle(), QStringLiteral("Elszámolási lap megtekintése"));
        for (QGroupBox* g : w->findChildren<QGroupBox*>())
            QVERIFY2(!g->isEnabled(), qPrintable(g->title()));
        QVERIFY(!w->control("ment")->isEnabled());
        QVERIFY(w->fields().fieldOf(focus()).isEmpty());
        w->pages()->setCurrentIndex(2);
        QVERIFY(w->dayField(sheet::LapujWindow::DayField::Ellt, 29)->isVisible());
        QVERIFY(!w->dayField(sheet::LapujWindow::DayField::Ellt, 30)->isVisible());
        QVERIFY(w->control("vszame")->isVisible());
        QCOMPARE(w->control("m_sorsz")->property("text").toString(), QStringLiteral("00002A"));

        m.modositas = true;
        m.szerkesztheto = true;
        m.vszameVisible = false;
        w->loadModel(m);
        QCOMPARE(w->windowTitle(), QStringLiteral("Elszámolási lap módosítása"));
        QCOMPARE(w->pages()->currentIndex(), 0);
        QVERIFY(w->control("ment")->isEnabled());
    }

    void namedFittingAndHookedUp() {
        for (QLineEdit* e : w->findChildren<QLineEdit*>())
            QVERIFY2(!e->accessibleName().isEmpty(), qPrintable(e->objectName()));
        // The serial number and the period are read as their label and value.
        {
            sheet::LapModel m = w->model();
            m.m_sorsz = QStringLiteral("00001A");
            m.m_idosz = QStringLiteral("2024.05");
            w->loadModel(m);
            QAccessibleInterface* s =
                QAccessible::queryAccessibleInterface(w->findChild<QWidget*>("m_sorsz"));
            QAccessibleInterface* i =
                QAccessible::queryAccessibleInterface(w->findChild<QWidget*>("m_idosz"));
            QVERIFY(s && i);
            QCOMPARE(s->text(QAccessible::Name), QStringLiteral("Lapsorszám"));
            QCOMPARE(s->text(QAccessible::Value), QStringLiteral("00001A"));
            QCOMPARE(i->text(QAccessible::Name), QStringLiteral("Elszámolási időszak"));
            QCOMPARE(i->text(QAccessible::Value), QStringLiteral("2024.05"));
        }
        for (int i = 0; i < 3; ++i)
            QVERIFY(!w->pages()->widget(i)->accessibleName().isEmpty());
        const QSize s = w->sizeHint().expandedTo(w->minimumSizeHint());
        QVERIFY2(s.width() <= 1260 && s.height() <= 700,
                 qPrintable(QStringLiteral("%1x%2").arg(s.width()).arg(s.height())));

        // The day grid's hooks get the day and see the model.
        int seen = 0;
        w->onDayFieldExit([&](sheet::LapujWindow::DayField kind, int day) -> sheet::CheckResult {
            if (kind == sheet::LapujWindow::DayField::Ellt && day == 1) {
                ++seen;
                if (w->model().ellt[0] == "3") return {false, QStringLiteral("ellt1")};
            }
            return {};
        });
        QVERIFY(showAndActivate(*w));
        QVERIFY(w->focusControl("ellt1"));
        QVERIFY(type("ellt1", "3"));
        QCOMPARE(seen, 1);
        QCOMPARE(focusName(), QStringLiteral("ellt1"));
        QVERIFY(type("ellt1", "2"));
        QCOMPARE(focusName(), QStringLiteral("tevk1"));
    }
};

QTEST_MAIN(LapujWindowTest)
#include "lapujwindow_test.moc"
