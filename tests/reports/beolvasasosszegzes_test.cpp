// An import's summary as a printed list: the closing sentence as subtitle,
// each line's label and figure in their columns, the figures as shown.

#include "app/programinfo.h"
#include "reports/beolvasasosszegzes.h"
#include "support/startedapp.h"

#include <gtest/gtest.h>

using namespace reports;

namespace {

TEST(BeolvasasOsszegzes, LinesBecomeLabelAndFigure) {
    testsupport::StartedApp app(demo::Options{}, QDate(2016, 6, 10), QStringLiteral("2016.05"));
    const ProgramText program{app::programTitle(), app::programVersion()};
    Lista l = beolvasasOsszegzes(app.state, program, QStringLiteral("Elszámolt lapok beolvasása"),
                                 QStringLiteral("Az elszámolt lapok beolvasása befejeződött!\r"
                                                "Beolvasott vizitsorok: 1 234\r"
                                                "Helyben nem található vizitsorok: 3\r"
                                                "Alapdíj és előleg: nincs hozzá zárási sor\r"));
    ASSERT_EQ(l.report.data.rowCount(), 3);
    EXPECT_EQ(l.report.data.row(0), (QVariantList{"Beolvasott vizitsorok", "1 234"}));
    EXPECT_EQ(l.report.data.row(2), (QVariantList{"Alapdíj és előleg", "nincs hozzá zárási sor"}));
    const PageModel m = layout(l.report, QDateTime(QDate(2016, 6, 10), QTime(12, 0)));
    QStringList texts;
    for (int p = 0; p < m.pageCount(); ++p)
        texts << m.texts(p);
    EXPECT_TRUE(texts.contains("Az elszámolt lapok beolvasása befejeződött!"));
    EXPECT_TRUE(texts.contains("Helyben nem található vizitsorok"));
    EXPECT_TRUE(texts.contains("3"));
}

} // namespace
