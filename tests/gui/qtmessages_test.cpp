// The message boxes the user sees: icon, caption, line breaks and the
// Hungarian Yes/No buttons. Each box is answered from a timer while it runs.

#include "support/guisupport.h"
#include "ui/qtmessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using testsupport::whenModal;

class QtMessagesTest : public QObject {
    Q_OBJECT

private:
    static QPushButton* buttonLabelled(QMessageBox* box, const QString& label) {
        for (QAbstractButton* b : box->buttons())
            if (b->text() == label) return qobject_cast<QPushButton*>(b);
        return nullptr;
    }

private slots:
    void errorBox() {
        ui::QtMessages msg;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = int(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        msg.error("Első sor\rMásodik sor");
        QCOMPARE(title, QStringLiteral("Szakápolás"));
        QCOMPARE(text, QStringLiteral("Első sor\nMásodik sor"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, 1);
    }

    void confirmAnswersIgen() {
        ui::QtMessages msg(nullptr, "Próba");
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        bool hasNem = false;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            icon = box->icon();
            title = box->windowTitle();
            hasNem = buttonLabelled(box, "Nem") != nullptr;
            if (QPushButton* igen = buttonLabelled(box, "Igen"))
                igen->click();
            else
                box->reject();
        });
        QVERIFY(msg.confirm("Biztosan törli?"));
        QVERIFY(hasNem);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(title, QStringLiteral("Próba"));
    }

    void questionAnswersNem() {
        ui::QtMessages msg;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            icon = box->icon();
            QPushButton* nem = buttonLabelled(box, "Nem");
            QPushButton* igen = buttonLabelled(box, "Igen");
            (nem ? nem : igen)->click();
        });
        QVERIFY(!msg.question("Folytatja?"));
        QCOMPARE(icon, QMessageBox::Question);
    }

    void escapeMeansNem() {
        ui::QtMessages msg;
        whenModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QVERIFY(!msg.confirm("Kilép?"));
    }

    void statusGoesToTheSink() {
        ui::QtMessages msg;
        QList<QPair<int, QString>> got;
        msg.status(0, "elveszik"); // no sink yet: nothing happens
        msg.setStatusSink([&](int panel, const QString& text) { got.append({panel, text}); });
        msg.status(1, "2006.05");
        msg.status(5, "rossz panel");
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].first, 1);
        QCOMPARE(got[0].second, QStringLiteral("2006.05"));
    }
};

QTEST_MAIN(QtMessagesTest)
#include "qtmessages_test.moc"
