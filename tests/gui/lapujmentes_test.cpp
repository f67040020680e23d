// The sheet entry window typed from the keyboard: a whole new sheet from the
// first field of page 1 through the day grid on page 3 to "Mentés", then the
// sheet, its visits, the new patient and the new doctor found in the tables.
// Also the wiring of the day fields: a partial row sends the focus back to
// its care type, and leaving a nurse field puts the TAJ on the clipboard.

#include "sheet/lapcheck.h"
#include "sheet/lapujwindow.h"
#include "support/lapfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QtTest>
#include <memory>

class LapujMentesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::LapFixture> f;

    static bool showAndActivate(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        return QTest::qWaitForWindowActive(&w);
    }
    // Types text into the widget key by key; accented letters come as key
    // events carrying only their text, as an input method sends them.
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(w, c.toLatin1());
            } else {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(w, &press);
                QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(w, &release);
            }
        }
    }
    QString log() {
        QStringList l;
        for (const std::string& s : f->msg().log())
            l << QString::fromStdString(s);
        return l.join(" | ");
    }

private slots:
    void init() { f = std::make_unique<testsupport::LapFixture>(); }
    void cleanup() { f.reset(); }

    void wholeSheetTypedAndSaved() {
        core::AppState& st = f->st();
        sheet::LapujWindow w(st);
        w.setPickers({{}, {}, {}, {}, [](QWidget*) {
                          return testsupport::tevekenysegek({QStringLiteral("7")});
                      }});
        w.loadModel(sheet::ujLap(st.id, QStringLiteral("00001"), QString(), QStringLiteral("T")));
        QVERIFY(showAndActivate(w));

        const QString taj = demo::tajWithCheckDigit(QStringLiteral("31415926"));
        const QMap<QString, QString> values = {
            {"m_aztip", "1"},
            {"m_taj", taj},
            {"m_nev", "Gépelt Géza"},
            {"m_kozigkod", f->kozigkod},
            {"m_cim2", "Kossuth u. 2."},
            {"m_szh", "Győr"},
            {"m_szido", "19450607"},
            {"m_terkat", "01"},
            {"m_allp", "HUN"},
            {"m_alapb", "I10H0"},
            {"m_fodiag", "L89H0"},
            {"m_eorv", "11111"},
            {"orv1", "Dr. Gépelt Orvos"},
            {"m_elrend", "20240501"},
            {"m_szakvet", "20240502"},
            {"m_elviz", "14"},
            {"m_gyak", "heti 3"},
            {"m_elszam", "1"},
            {"m_elszviz", "0"},
            {"m_engszam", "0"},
        };
        QMap<QString, QString> napok;
        for (int d = 2; d <= 4; ++d) {
            napok.insert(QStringLiteral("ellt%1").arg(d), "2");
            napok.insert(QStringLiteral("tevk%1").arg(d), "7");
            napok.insert(QStringLiteral("aptaj%1").arg(d), f->nurse);
        }
        QWidget* ment = w.control("ment");
        QVERIFY(ment);
        int steps = 0;
        for (; steps < 400 && QApplication::focusWidget() != ment; ++steps) {
            QWidget* fw = QApplication::focusWidget();
            QVERIFY2(fw, "nothing has the focus");
            QString name;
            for (const QString& n : values.keys() + napok.keys())
                if (w.control(n) == fw) name = n;
            if (auto* combo = qobject_cast<QComboBox*>(fw)) {
                if (combo->currentIndex() < 0) QTest::keyClick(combo, Qt::Key_Down);
            } else if (!name.isEmpty()) {
                QTest::keyClick(fw, Qt::Key_A, Qt::ControlModifier);
                type(fw, values.value(name, napok.value(name)));
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QVERIFY2(QApplication::focusWidget() == ment, qPrintable(log()));
        QCOMPARE(qobject_cast<QLabel*>(w.control("vszam"))->text(), QStringLiteral("3"));
        QCOMPARE(QGuiApplication::clipboard()->text(), f->nurse);

        f->msg().answer(true);
        QTest::keyClick(ment, Qt::Key_Space);
        QVERIFY2(!w.isVisible(), qPrintable(log()));

        auto one = [&](const QString& sql) {
            return st.tables.dbo.query(sql, {taj}).value(0, 0).toString();
        };
        QCOMPARE(one("select sorsz||'/'||szviz||'/'||orvoskod from lap where taj=?"),
                 QStringLiteral("00001/3/11111"));
        QCOMPARE(one("select group_concat(b.apdatum||' '||b.aptaj, ',') from lapb b, lap a where "
                     "a.taj=? and b.sorsz=a.sorsz and b.idoszak=a.idoszak"),
                 QStringLiteral("2024-05-02 %1,2024-05-03 %1,2024-05-04 %1").arg(f->nurse));
        QCOMPARE(one("select nev||'/'||neme||'/'||szuli from beteg where taj=?"),
                 QStringLiteral("Gépelt Géza/F/1945-06-07"));
        QCOMPARE(st.tables.dbo.query("select onev from orvos where orvoskod='11111'").value(0, 0),
                 QVariant(QStringLiteral("Dr. Gépelt Orvos")));
        QCOMPARE(log(), QStringLiteral("question: Adatok ellenőrzése rendben! Elmenthetők ?"));
    }

    void partialRowSendsTheFocusBack() {
        core::AppState& st = f->st();
        sheet::LapujWindow w(st);
        sheet::LapModel m = f->lap();
        w.loadModel(m);
        QVERIFY(showAndActivate(w));
        QVERIFY(w.focusControl("ellt10"));
        type(QApplication::focusWidget(), "2");
        QVERIFY(w.focusControl("aptaj10"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.control("ellt10"));
        QCOMPARE(log(), QStringLiteral("error: A 10. napi adatokat ki kell tölteni!"));
    }
};

QTEST_MAIN(LapujMentesTest)
#include "lapujmentes_test.moc"
