// The band engine: groups on new pages, page breaks, before-print steps,
// page header and footer on every page, and the PDF of the same pages.

#include "print/pagemodel.h"
#include "print/renderer.h"
#include "support/testsupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

using namespace reports;

namespace {

engine::Query rows(int groups, int perGroup);

// A report over `groups` groups of `perGroup` rows: key column 0, value 1.
Report groupedReport(engine::Query data) {
    Report r(QStringLiteral("Teszt"), QStringLiteral("Teszt lista"));
    r.data = std::move(data);
    r.groupKey = [](const engine::Query& q, int row) { return q.value(row, 0).toString(); };
    r.pageHeader.height = 10;
    r.pageHeader.addLabel(0, 0, 50, 5, QStringLiteral("Fejléc"));
    r.pageFooter.height = 6;
    r.pageFooter.addText(QStringLiteral("oldal"), 0, 0, 50, 5);
    r.pageFooter.beforePrint = [](Band& b, const PrintContext& c) {
        b.setText(QStringLiteral("oldal"), QStringLiteral("Oldal: %1").arg(c.page));
        return true;
    };
    r.groupHeader.height = 8;
    r.groupHeader.startsNewPage = true;
    r.groupHeader.addText(QStringLiteral("csoport"), 0, 0, 50, 5);
    r.groupHeader.beforePrint = [](Band& b, const PrintContext& c) {
        b.setText(QStringLiteral("csoport"),
                  QStringLiteral("Csoport ") + c.text(QStringLiteral("k")));
        return true;
    };
    r.detail.height = 50;
    r.detail.addText(QStringLiteral("v"), 0, 0, 50, 5);
    r.detail.addText(QStringLiteral("rejtett"), 60, 0, 50, 5, QStringLiteral("x"));
    r.detail.beforePrint = [](Band& b, const PrintContext& c) {
        b.setText(QStringLiteral("v"), c.text(QStringLiteral("v")));
        b.setVisible(QStringLiteral("rejtett"), false);
        return c.text(QStringLiteral("v")) != QLatin1String("skip");
    };
    r.groupFooter.height = 6;
    r.groupFooter.addLabel(0, 0, 50, 5, QStringLiteral("Csoport vége"));
    r.summary.height = 6;
    r.summary.addLabel(0, 0, 50, 5, QStringLiteral("Összesen"));
    return r;
}

} // namespace

// engine::Query is filled by the database; a throwaway in-memory one gives rows.
namespace {
engine::Query rows(int groups, int perGroup) {
    engine::Database db;
    QString sql = QStringLiteral("select 'A' as k, 'skip' as v where 0");
    for (int g = 0; g < groups; ++g)
        for (int i = 0; i < perGroup; ++i)
            sql += QStringLiteral(" union all select '%1', '%2'")
                       .arg(QChar(u'A' + g))
                       .arg(g == 0 && i == 1 ? QStringLiteral("skip") : QString::number(i + 1));
    return db.query(sql);
}
} // namespace

TEST(ReportEngine, GroupsStartPagesDetailsBreakAndFootersCloseEveryPage) {
    Report r = groupedReport(rows(2, 6));
    const PageModel m = layout(r, QDateTime(QDate(2024, 5, 15), QTime(10, 0)));
    // Body 297-8-8-10-6 = 265 mm: the group header (8) and five details (50)
    // per page; group A has five printed details (one skipped), group B six.
    ASSERT_EQ(m.pageCount(), 3);
    EXPECT_EQ(m.texts(0), (QStringList{"Fejléc", "Csoport A", "1", "3", "4", "5", "6",
                                       "Csoport vége", "Oldal: 1"}));
    EXPECT_EQ(m.texts(1),
              (QStringList{"Fejléc", "Csoport B", "1", "2", "3", "4", "5", "Oldal: 2"}));
    EXPECT_EQ(m.texts(2), (QStringList{"Fejléc", "6", "Csoport vége", "Összesen", "Oldal: 3"}));
    // Positions are millimetres on the page: the footer sits at the bottom margin.
    EXPECT_NEAR(m.pages[0].texts().back().rect.top(), 297 - 8 - 6, 1e-9);
}

TEST(ReportEngine, EmptyDataPrintsHeaderSummaryAndFooterOnce) {
    Report r = groupedReport(rows(0, 0));
    const PageModel m = layout(r, QDateTime(QDate(2024, 5, 15), QTime(10, 0)));
    ASSERT_EQ(m.pageCount(), 1);
    EXPECT_EQ(m.texts(0), (QStringList{"Fejléc", "Összesen", "Oldal: 1"}));
}

TEST(ReportEngine, WrappedTextGrowsItsBandAndProgressCanStop) {
    Report r(QStringLiteral("W"), QStringLiteral("W"));
    r.data = rows(1, 3);
    r.detail.height = 5;
    Element& e = r.detail.addText(QStringLiteral("t"), 0, 0, 20, 5,
                                  QStringLiteral("hosszú szöveg, amely több sorba tördelődik"));
    e.wordWrap = true;
    int calls = 0;
    const PageModel m = layout(r, {}, [&](int done, int total) {
        ++calls;
        EXPECT_EQ(total, 3);
        return false;
    });
    ASSERT_EQ(m.pageCount(), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_GT(m.pages[0].text(0).rect.height(), 5.0);
}

TEST(ReportEngine, PdfHoldsTheModelsPages) {
    Report r = groupedReport(rows(2, 6));
    const PageModel m = layout(r, QDateTime(QDate(2024, 5, 15), QTime(10, 0)));
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("lista.pdf"));
    ASSERT_TRUE(writePdf(m, path));
    const QByteArray pdf = testsupport::readAll(path);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
              3);

    QString error;
    EXPECT_FALSE(writePdf(m, dir.file(QStringLiteral("nincs/ilyen/lista.pdf")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("A PDF-állomány nem írható")));
}

// A text that comes back on many pages is laid out once and drawn as its
// glyphs: every page looks as drawText draws it, whatever the text's
// alignment, wrapping, length, and whether it came before.
TEST(ReportEngine, TextsDrawnAgainLookAsDrawnTheFirstTime) {
    PageModel m;
    m.orientation = Orientation::Landscape;
    m.pageSize = QSizeF(297, 210);
    const auto left = Qt::AlignLeft | Qt::AlignVCenter, top = Qt::AlignLeft | Qt::AlignTop;
    const std::vector<PageText> texts{
        {QRectF(10, 10, 40, 4), QStringLiteral("Összesen:"), Font{7, true},
         Qt::AlignRight | Qt::AlignVCenter, false, QColor()},
        {QRectF(10, 15, 40, 4), QStringLiteral("12 345"), Font{7}, Qt::AlignRight | Qt::AlignTop, false, QColor()},
        {QRectF(10, 20, 40, 6), QStringLiteral("Lista vége"), Font{9, true}, Qt::AlignCenter, false, QColor()},
        {QRectF(10, 27, 25, 4), QStringLiteral("2024.05.15"), Font{8}, left, false, QColor()},
        {QRectF(10, 32, 12, 4), QStringLiteral("Túl hosszú szöveg"), Font{8}, left, false, QColor()},
        {QRectF(10, 37, 40, 4), QStringLiteral(" blank előtte "), Font{8}, left, false, QColor()},
        {QRectF(60, 10, 30, 16),
         QStringLiteral("Húgyúti fertőzés nem meghatározott helyen, idegrendszeri "
                        "szövődményekkel"),
         Font{7}, top, true, QColor()},
        {QRectF(60, 30, 30, 4), QStringLiteral("Túl hosszú, két sorba törő szöveg"), Font{7},
         top, true, QColor()},
        {QRectF(100, 10, 30, 12), QStringLiteral("Középre zárt, több sorba törő cím"),
         Font{9, true}, Qt::AlignCenter, true, QColor()},
    };
    for (int page = 0; page < 3; ++page) {
        m.pages.emplace_back();
        for (const PageText& t : texts)
            m.pages.back().addText(t);
    }
    const double dotsPerMm = 300 / 25.4;
    auto image = [&] {
        QImage img(int(297 * dotsPerMm) / 2, int(60 * dotsPerMm), QImage::Format_RGB32);
        img.fill(Qt::white);
        return img;
    };
    QImage drawn = image();
    {
        QPainter p(&drawn);
        paintPage(p, m, 0, dotsPerMm);
    }
    PagePainter pages;
    for (int page = 0; page < 3; ++page) {
        QImage again = image();
        {
            QPainter p(&again);
            pages.paint(p, m, page, dotsPerMm);
        }
        EXPECT_TRUE(again == drawn) << "page " << page + 1;
    }
}

TEST(ReportEngine, APdfStoppedAfterAPageIsNotLeftBehind) {
    Report r = groupedReport(rows(6, 6));
    const PageModel m = layout(r, QDateTime(QDate(2024, 5, 15), QTime(10, 0)));
    ASSERT_GE(m.pageCount(), 6);
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("lista.pdf"));
    std::vector<std::pair<int, int>> heard;
    QString error;
    EXPECT_FALSE(writePdf(m, path, &error, [&](int done, int total) {
        heard.push_back({done, total});
        return done < 2;
    }));
    EXPECT_EQ(heard, (std::vector<std::pair<int, int>>{{1, m.pageCount()}, {2, m.pageCount()}}));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(ReportEngine, ABandThatOpensAPageMovesDownByItsOwnHeight) {
    Report r = groupedReport(rows(1, 8));
    r.groupHeader.startsNewPage = false;
    const PageModel m = layout(r, {});
    // Page 2 begins with the rows "7" and "8" (row 2 is skipped): 50 mm
    // apart, whatever the page header's height.
    ASSERT_GE(m.pageCount(), 2);
    const std::vector<PageText>& t = m.pages[1].texts();
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(t[1].text, "7");
    EXPECT_EQ(t[2].text, "8");
    EXPECT_NEAR(t[2].rect.top() - t[1].rect.top(), 50, 1e-9);
}

TEST(ReportEngine, AGroupKeepsItsHeaderOnEveryPageAndItsFooterWithARow) {
    // Five rows of 50 mm fill a page: with one to eleven rows per group the
    // footer falls at every place of a page.
    for (int perGroup = 1; perGroup <= 11; ++perGroup) {
        Report r = groupedReport(rows(3, perGroup));
        r.groupHeader.startsNewPage = false;
        r.groupHeader.repeatsOnNewPage = true;
        r.groupHeader.keepsWithRows = true;
        r.groupFooter.keepsWithRows = true;
        int headerSteps = 0;
        BeforePrint step = r.groupHeader.beforePrint;
        r.groupHeader.beforePrint = [&](Band& b, const PrintContext& c) {
            ++headerSteps;
            return step(b, c);
        };
        const PageModel m = layout(r, {});
        EXPECT_EQ(headerSteps, 3) << perGroup; // the repeated header is not filled again
        for (int p = 0; p < m.pageCount(); ++p) {
            const QStringList t = m.texts(p);
            const QString where = QStringLiteral("%1 rows per group, page %2: %3")
                                      .arg(perGroup)
                                      .arg(p + 1)
                                      .arg(t.join(u'|'));
            // Below the page header, a group's header (new or repeated), or
            // the summary alone.
            ASSERT_GE(t.size(), 3) << where.toStdString();
            EXPECT_TRUE(t[1].startsWith("Csoport ") || t[1] == "Összesen") << where.toStdString();
            // A footer has a row of its group above it on its page, and a
            // header a row below it.
            for (int i = 0; i < t.size(); ++i) {
                if (t[i] == "Csoport vége") {
                    EXPECT_TRUE(i > 0 && t[i - 1][0].isDigit()) << where.toStdString();
                }
                if (t[i].startsWith("Csoport ") && t[i] != "Csoport vége") {
                    EXPECT_TRUE(i + 1 < t.size() && t[i + 1][0].isDigit()) << where.toStdString();
                }
            }
        }
    }
}

// A long list's pages keep a few bytes per text: the characters, where they
// are and which of the page's places and looks the text has.
TEST(ReportEngine, APageKeepsAFewBytesPerText) {
    auto laidOut = [](int rowCount) {
        Report r(QStringLiteral("Teszt"), QStringLiteral("Teszt lista"));
        r.detail.height = 4;
        for (int c = 0; c < 8; ++c)
            r.detail.addText(QStringLiteral("c%1").arg(c), c * 22, 0, 20, 4);
        r.detailCount = rowCount;
        auto row = std::make_shared<int>(0);
        r.detail.beforePrint = [row](Band& b, const PrintContext&) {
            ++*row;
            for (int c = 0; c < 8; ++c)
                b.elements[std::size_t(c)].text = QString::number(*row * 10 + c);
            return true;
        };
        return layout(r, QDateTime(QDate(2024, 5, 15), QTime(10, 0)));
    };
    const PageModel small = laidOut(700), large = laidOut(7000);
    ASSERT_GT(large.pageCount(), 10 * small.pageCount() - 10);
    long long texts = 0;
    for (const Page& p : large.pages)
        texts += p.textCount();
    const double perPage =
        double(large.bytes() - small.bytes()) / (large.pageCount() - small.pageCount());
    // About sixteen bytes besides a text's characters (five or six here).
    EXPECT_LE(perPage, 32.0 * double(texts) / large.pageCount());
    EXPECT_EQ(large.pages[3].text(5).text, large.texts(3)[5]);
}
