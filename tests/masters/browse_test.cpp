// The browse panels without a display: the type-ahead search, the title
// ordering and colours, and the grid model over large tables.

#include "db/tableset.h"
#include "engine/table.h"
#include "masters/browseconfig.h"
#include "masters/browsesearch.h"
#include "masters/tablemodel.h"
#include "support/mastertables.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QChar>
#include <gtest/gtest.h>

using masters::BrowseSearch;
using masters::TitleColour;
namespace vk = masters::vk;

namespace {

// In name order: Albert Béla, Kiss, Kissné Erika, Kocsis Anna, Kovács Péter,
// Nagy Éva, Zöld Ilona. In TAJ order Zöld Ilona (012345670) comes first.
std::vector<QVariantList> patients() {
    using testsupport::patientRow;
    return {patientRow("111111110", "Kiss", "F", QDate(1931, 2, 3)),
            patientRow("222222220", "Kovács Péter", "F"),
            patientRow("333333330", "Kocsis Anna", "N"),
            patientRow("444444440", "Nagy Éva", "N"),
            patientRow("555555550", "Albert Béla", "F"),
            patientRow("012345670", "Zöld Ilona", "N"),
            patientRow("666666660", "Kissné Erika", "N")};
}

struct BrowseTest : ::testing::Test {
    testsupport::TempDir dir;
    db::TableSet t;
    ui::ScriptedMessages msg;

    void SetUp() override {
        t.dbo.setDirectory(dir.path());
        testsupport::makeTable(t.beteg, dir.path(), db::TableId::Beteg, patients());
    }

    // One key as the grid passes it on: key down, then the typed character.
    static void type(BrowseSearch& s, const QString& keys) {
        for (QChar ch : keys) {
            const int code = ch.isLetter() ? ch.toUpper().unicode() : ch.unicode();
            s.keyDown(ch.isLetterOrNumber() && code > 127 ? vk::Oem : code);
            s.keyPress(ch);
        }
    }
    QString name() const { return t.beteg.text("NEV"); }
};

TEST_F(BrowseTest, EnteringOrdersByColumnZeroAndMarksItsTitle) {
    BrowseSearch s(masters::betegPanel(t), msg);
    t.beteg.setActiveTag("Beteg2");
    t.beteg.last();
    s.titleClick(3); // a search column left over from an earlier visit
    type(s, "1");

    s.enter();
    EXPECT_EQ(t.beteg.activeTag().toUpper(), "BETEG1");
    EXPECT_EQ(name(), "Zöld Ilona"); // first by TAJ number
    EXPECT_EQ(s.searchColumn(), 0);
    EXPECT_EQ(s.searchText(), "");
    EXPECT_EQ(s.titleColour(0), TitleColour::Red);
    EXPECT_EQ(s.titleColour(1), TitleColour::Black);
    EXPECT_EQ(s.titleColour(2), TitleColour::Black);
    EXPECT_EQ(s.titleColour(3), TitleColour::Black); // only the search column is red
    EXPECT_TRUE(msg.isEmpty());
}

TEST_F(BrowseTest, TypingBuildsAnUpperCaseTextAndJumpsToTheFirstMatch) {
    BrowseSearch s(masters::betegPanel(t), msg);
    s.enter();
    s.titleClick(1);
    EXPECT_EQ(t.beteg.activeTag().toUpper(), "BETEG2");
    EXPECT_EQ(name(), "Albert Béla");
    EXPECT_EQ(s.titleColour(0), TitleColour::Black);
    EXPECT_EQ(s.titleColour(1), TitleColour::Red);

    type(s, "k");
    EXPECT_EQ(s.searchText(), "K");
    EXPECT_EQ(name(), "Kiss");
    type(s, "o");
    EXPECT_EQ(name(), "Kocsis Anna");
    type(s, "vá");
    EXPECT_EQ(s.searchText(), "KOVÁ");
    EXPECT_EQ(name(), "Kovács Péter");
    // A space inside a name is part of the text; the shown text is trimmed.
    type(s, "cs ");
    EXPECT_EQ(s.searchText(), "KOVÁCS ");
    EXPECT_EQ(s.shownText(), "KOVÁCS");
    EXPECT_EQ(name(), "Kovács Péter");

    // No match: the text grows but the grid stays where it was.
    type(s, "x");
    EXPECT_EQ(s.searchText(), "KOVÁCS X");
    EXPECT_EQ(name(), "Kovács Péter");

    // Backspace takes the last character off and searches again.
    s.keyDown(vk::Back);
    EXPECT_EQ(s.searchText(), "KOVÁCS ");
    s.keyPress(QChar(8));
    EXPECT_EQ(s.searchText(), "KOVÁCS ");
    EXPECT_EQ(name(), "Kovács Péter");
    EXPECT_TRUE(msg.isEmpty());
}

TEST_F(BrowseTest, TheTextNeverOutgrowsTheCurrentValue) {
    BrowseSearch s(masters::betegPanel(t), msg);
    s.enter();
    s.titleClick(1);
    type(s, "kiss");
    EXPECT_EQ(s.searchText(), "KISS");
    EXPECT_EQ(name(), "Kiss");
    // "Kiss" has four letters: a fifth is ignored and the search runs again
    // with "KISS", so "Kissné Erika" is not reached.
    type(s, "n");
    EXPECT_EQ(s.searchText(), "KISS");
    EXPECT_EQ(name(), "Kiss");
    type(s, "né");
    EXPECT_EQ(s.searchText(), "KISS");
    EXPECT_EQ(name(), "Kiss");
}

TEST_F(BrowseTest, AMovementKeyClearsTheTextAndDigitsIncludingZeroExtendIt) {
    BrowseSearch s(masters::betegPanel(t), msg);
    s.enter();
    type(s, "0");
    EXPECT_EQ(s.searchText(), "0");
    EXPECT_EQ(name(), "Zöld Ilona");
    type(s, "12");
    EXPECT_EQ(s.searchText(), "012");

    for (int key : {vk::Down, vk::Up, vk::Prior, vk::Next, vk::Home, vk::End, vk::Left, vk::Right,
                    vk::Return, vk::Escape, vk::Tab, vk::Delete, vk::Insert}) {
        type(s, "0");
        ASSERT_FALSE(s.searchText().isEmpty());
        s.keyDown(key);
        EXPECT_EQ(s.searchText(), "") << "key " << key;
    }
    // Letters, digits, function keys and punctuation keep it.
    type(s, "1");
    for (int key : {int('A'), int('0'), int('9'), vk::F1, vk::Oem, vk::Space}) {
        s.keyDown(key);
        EXPECT_EQ(s.searchText(), "1") << "key " << key;
    }
    EXPECT_EQ(name(), "Kiss");
}

TEST_F(BrowseTest, EnterClearsTheTextButKeepsTheChosenRecord) {
    BrowseSearch s(masters::betegPanel(t), msg);
    s.enter();
    s.titleClick(1);
    type(s, "nag");
    EXPECT_EQ(name(), "Nagy Éva");
    // Enter and Esc: key down and the control character both clear; the
    // pickers then take the current record, which must still be Nagy Éva.
    for (int c : {13, 27, 9, 3}) {
        s.keyDown(c == 3 ? int('C') : c);
        EXPECT_FALSE(s.keyPress(QChar(c)));
        EXPECT_EQ(s.searchText(), "");
        EXPECT_EQ(name(), "Nagy Éva") << "character " << c;
    }
}

TEST_F(BrowseTest, AColumnWithoutIndexNeverGetsASearchText) {
    BrowseSearch s(masters::betegPanel(t), msg);
    s.enter();
    s.titleClick(1);
    type(s, "kov");
    EXPECT_EQ(name(), "Kovács Péter");

    // "Neme" is painted red but the name order stays.
    s.titleClick(2);
    EXPECT_EQ(t.beteg.activeTag().toUpper(), "BETEG2");
    EXPECT_EQ(s.searchColumn(), 2);
    EXPECT_EQ(s.titleColour(1), TitleColour::Black);
    EXPECT_EQ(s.titleColour(2), TitleColour::Red);
    EXPECT_EQ(name(), "Albert Béla");
    type(s, "nf");
    EXPECT_EQ(s.searchText(), "");
    EXPECT_EQ(name(), "Albert Béla");

    // Straight after entering the panel the order is the TAJ number's, and
    // a click on column 2 keeps that one.
    s.enter();
    s.titleClick(2);
    EXPECT_EQ(t.beteg.activeTag().toUpper(), "BETEG1");
    EXPECT_EQ(s.titleColour(0), TitleColour::Black);
    EXPECT_EQ(s.titleColour(2), TitleColour::Red);
    type(s, "19");
    EXPECT_EQ(s.searchText(), "");
    EXPECT_EQ(name(), "Zöld Ilona");
}

struct SheetListTest : BrowseTest {
    void makeLap(const std::vector<QVariantList>& rows) {
        testsupport::makeTable(t.lap, dir.path(), db::TableId::Lap, rows);
        t.lap.setFilter("idoszak>='1999.04'");
        t.lap.setFiltered(true);
        t.lap.first();
    }
};

TEST_F(SheetListTest, AnEmptySheetListAnswersEveryKeyWithAWarning) {
    // Sheets exist, but none passes the standing filter.
    makeLap({testsupport::sheetRow("1999.01", "00001", "", "111111110", 3)});
    BrowseSearch s(masters::lapPanel(t), msg);
    s.enter();
    type(s, "1");
    type(s, "a");
    s.keyDown(vk::Down);
    type(s, " ");
    EXPECT_EQ(msg.log(), (std::vector<std::string>{"warning: Nincs keresendő adat!",
                                                   "warning: Nincs keresendő adat!",
                                                   "warning: Nincs keresendő adat!"}));
    EXPECT_EQ(s.searchText(), "");
}

TEST_F(SheetListTest, SpaceClearsAndOnlySearchableTitlesTurnRed) {
    makeLap({testsupport::sheetRow("2024.05", "00012", "", "111111110", 3),
             testsupport::sheetRow("2024.05", "00007", "A", "222222220", 4),
             testsupport::sheetRow("2024.04", "00007", "", "333333330", 2)});
    BrowseSearch s(masters::lapPanel(t), msg);
    s.enter();
    EXPECT_EQ(t.lap.activeTag().toUpper(), "LAP1");
    EXPECT_EQ(t.lap.text("SORSZ"), "00007");
    type(s, "0001");
    EXPECT_EQ(s.searchText(), "0001");
    EXPECT_EQ(t.lap.text("SORSZ"), "00012");

    s.keyDown(vk::Space);
    EXPECT_EQ(s.searchText(), "");
    type(s, "00");
    s.keyPress(QChar(' ')); // a space typed is a control character here
    EXPECT_EQ(s.searchText(), "");
    EXPECT_EQ(t.lap.text("SORSZ"), "00007");

    s.titleClick(1); // RESZ: not searchable, not painted
    EXPECT_EQ(s.titleColour(0), TitleColour::Black);
    EXPECT_EQ(s.titleColour(1), TitleColour::Black);
    EXPECT_EQ(t.lap.activeTag().toUpper(), "LAP1");
    s.titleClick(2);
    EXPECT_EQ(s.titleColour(2), TitleColour::Red);
    EXPECT_EQ(t.lap.activeTag().toUpper(), "LAP2");
    type(s, "33");
    EXPECT_EQ(t.lap.text("TAJ"), "333333330");
    EXPECT_TRUE(msg.isEmpty());
}

// Esc, Tab and Enter on an empty sheet list leave or choose at once: they are
// no search, so "Nincs keresendő adat!" does not stand in their way.
TEST_F(SheetListTest, LeavingKeysOnAnEmptyListAreNoSearch) {
    makeLap({testsupport::sheetRow("1999.01", "00001", "", "111111110", 3)});
    BrowseSearch s(masters::lapPanel(t), msg);
    s.enter();
    for (int c : {vk::Escape, vk::Tab, vk::Return}) {
        s.keyDown(c);
        s.keyPress(QChar(c));
    }
    EXPECT_TRUE(msg.isEmpty());
}

// A search character that cannot take the search further says so instead of
// leaving the cursor where it was without a word; a clear starts anew.
TEST_F(SheetListTest, ASearchThatCannotGoFurtherSaysSo) {
    makeLap({testsupport::sheetRow("2024.05", "00012", "", "111111110", 3),
             testsupport::sheetRow("2024.05", "00007", "A", "222222220", 4)});
    BrowseSearch s(masters::lapPanel(t), msg);
    s.enter();
    type(s, "00012");
    EXPECT_EQ(t.lap.text("SORSZ"), "00012");
    EXPECT_TRUE(msg.statusHistory(0).isEmpty());
    type(s, "3");
    EXPECT_EQ(s.searchText(), "00012");
    EXPECT_EQ(msg.statusText(0), "A keresett szöveg nem lehet hosszabb: 00012");

    s.clear();
    type(s, "009");
    EXPECT_EQ(msg.statusText(0), "Nincs ilyen kezdetű adat: 009");
    EXPECT_EQ(t.lap.text("SORSZ"), "00007");
    s.clear();
    type(s, "0001");
    EXPECT_EQ(msg.statusText(0), "");
    EXPECT_EQ(t.lap.text("SORSZ"), "00012");
    EXPECT_TRUE(msg.isEmpty());
}

TEST(BrowseKeys, QtKeysMapToTheOldKeyCodes) {
    using masters::typedCharOf;
    using masters::virtualKeyOf;
    EXPECT_EQ(virtualKeyOf(Qt::Key_A, "a"), 65);
    EXPECT_EQ(virtualKeyOf(Qt::Key_0, "0"), 48);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Space, " "), vk::Space);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Backspace, "\b"), vk::Back);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Down, ""), vk::Down);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Delete, "\x7f"), vk::Delete);
    EXPECT_EQ(virtualKeyOf(Qt::Key_F2, ""), vk::F1 + 1);
    EXPECT_GE(*virtualKeyOf(Qt::Key_Eacute, "é"), 48);
    EXPECT_GE(*virtualKeyOf(Qt::Key_Period, "."), 48);
    EXPECT_EQ(virtualKeyOf(Qt::Key_Shift, ""), std::nullopt);

    EXPECT_EQ(typedCharOf(Qt::Key_A, "a"), QChar('a'));
    EXPECT_EQ(typedCharOf(Qt::Key_Return, "\r"), QChar(13));
    EXPECT_EQ(typedCharOf(Qt::Key_Backspace, ""), QChar(8));
    EXPECT_EQ(typedCharOf(Qt::Key_Delete, "\x7f"), std::nullopt);
    EXPECT_EQ(typedCharOf(Qt::Key_Down, ""), std::nullopt);
}

// ------------------------------------------------------------------ the model

struct ModelTest : ::testing::Test {
    testsupport::TempDir dir;
    db::TableSet t;
    static constexpr int N = 100000;

    // Patient i (1-based record number) is named "B" + (N - i), so the name
    // order runs against the record order; every other patient is a woman.
    void makeBig() {
        std::vector<QVariantList> rows;
        rows.reserve(N);
        for (int i = 1; i <= N; ++i)
            rows.push_back(testsupport::patientRow(QString("%1").arg(i, 9, 10, QChar('0')),
                                                   QString("B%1").arg(N - i, 6, 10, QChar('0')),
                                                   i % 2 ? "F" : "N",
                                                   QDate(1930, 1, 1).addDays(i % 20000)));
        testsupport::makeTable(t.beteg, dir.path(), db::TableId::Beteg, rows, "Beteg2");
    }
};

TEST_F(ModelTest, AHundredThousandRowsReadOnDemand) {
    makeBig();
    masters::TableModel m(t.beteg, masters::betegPanel(t).columns);
    ASSERT_EQ(m.rowCount(), N);
    EXPECT_EQ(m.columnCount(), 4);
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), "Beteg neve");
    // Row 50000 in name order is record N - 50000.
    EXPECT_EQ(m.recnoAt(50000), std::uint32_t(N - 50000));
    EXPECT_EQ(m.cellText(50000, 0), "000050000");
    EXPECT_EQ(m.cellText(50000, 1), "B050000");
    EXPECT_EQ(m.cellText(50000, 2), "N");
    EXPECT_EQ(m.cellText(50000, 3),
              QDate(1930, 1, 1).addDays(50000 % 20000).toString("yyyy.MM.dd"));
    EXPECT_EQ(m.data(m.index(0, 1)).toString(), "B000000");
    EXPECT_EQ(m.cellText(N, 1), "");

    ASSERT_TRUE(t.beteg.locatePrefix("NEV", "b07"));
    EXPECT_EQ(t.beteg.text("NEV"), "B070000");
    EXPECT_EQ(m.rowOf(t.beteg.recno()), 70000);
    // Every record's row, as a grid following the cursor asks for it.
    for (std::uint32_t r = 1; r <= std::uint32_t(N); r += 7)
        ASSERT_EQ(m.rowOf(r), N - int(r)) << r;
    EXPECT_FALSE(m.sync());
}

TEST_F(ModelTest, AFilterShowsOnlyItsRecords) {
    makeBig();
    masters::TableModel m(t.beteg, masters::betegPanel(t).columns);
    t.beteg.setFilter("neme='N'");
    t.beteg.setFiltered(true);
    EXPECT_TRUE(m.isStale());
    EXPECT_TRUE(m.sync());
    ASSERT_EQ(m.rowCount(), N / 2);
    // The women are the even records; in name order the first is record N.
    EXPECT_EQ(m.recnoAt(0), std::uint32_t(N));
    EXPECT_EQ(m.cellText(0, 1), "B000000");
    EXPECT_EQ(m.cellText(1, 1), "B000002");
    EXPECT_EQ(m.cellText(N / 2 - 1, 1), "B099998");

    ASSERT_TRUE(t.beteg.locatePrefix("NEV", "B0500"));
    EXPECT_EQ(t.beteg.text("NEV"), "B050000");
    EXPECT_EQ(m.rowOf(t.beteg.recno()), 25000);
    EXPECT_EQ(m.rowOf(N - 50001), -1); // a man: filtered out
    for (std::uint32_t r = 2; r <= std::uint32_t(N); r += 14)
        ASSERT_EQ(m.rowOf(r), (N - int(r)) / 2) << r;

    t.beteg.setActiveTag("Beteg1");
    EXPECT_TRUE(m.sync());
    EXPECT_EQ(m.cellText(0, 0), "000000002");
    t.beteg.setFiltered(false);
    EXPECT_TRUE(m.sync());
    EXPECT_EQ(m.rowCount(), N);
    EXPECT_EQ(m.cellText(0, 0), "000000001");
}

TEST_F(ModelTest, DeletedRecordsAreSkipped) {
    makeBig();
    masters::TableModel m(t.beteg, masters::betegPanel(t).columns);
    ASSERT_TRUE(t.beteg.locatePrefix("NEV", "B000001"));
    t.beteg.remove();
    ASSERT_TRUE(t.beteg.locatePrefix("NEV", "B060000"));
    const std::uint32_t gone = t.beteg.recno();
    t.beteg.remove();
    EXPECT_TRUE(m.sync());
    ASSERT_EQ(m.rowCount(), N - 2);
    EXPECT_EQ(m.cellText(0, 1), "B000000");
    EXPECT_EQ(m.cellText(1, 1), "B000002");
    EXPECT_EQ(m.cellText(59998, 1), "B059999");
    EXPECT_EQ(m.cellText(59999, 1), "B060001");
    EXPECT_EQ(m.rowOf(gone), -1);
    EXPECT_EQ(m.rowOf(t.beteg.recno()), 59999);
    EXPECT_EQ(t.beteg.text("NEV"), "B060001");

    // Appending is noticed as well.
    t.beteg.append();
    t.beteg.setValue("TAJ", "999999999");
    t.beteg.setValue("NEV", "A");
    t.beteg.post();
    EXPECT_TRUE(m.sync());
    EXPECT_EQ(m.rowCount(), N - 1);
    EXPECT_EQ(m.cellText(0, 1), "A");
    EXPECT_EQ(m.rowOf(t.beteg.recno()), 0);
}

// The county office's "fully accounted" state, stored as the code-251
// character ("ű" in code page 852), shows as the old program's check mark.
TEST_F(ModelTest, TheSheetListShowsThePaidStateAsACheckMark) {
    testsupport::makeTable(t.lap, dir.path(), db::TableId::Lap,
                           {testsupport::sheetRow("2024.05", "00007", "", "111111110", 4),
                            testsupport::sheetRow("2024.05", "00008", "", "111111110", 4)});
    t.lap.first();
    t.lap.edit();
    t.lap.setValue("ALLAPOT", QStringLiteral("\u0171"));
    t.lap.post();
    t.lap.next();
    t.lap.edit();
    t.lap.setValue("ALLAPOT", "R");
    t.lap.post();
    const masters::BrowseConfig cfg = masters::lapPanel(t);
    masters::TableModel m(t.lap, cfg.columns);
    ASSERT_EQ(m.headerData(7, Qt::Horizontal).toString(), "Fizetve");
    EXPECT_EQ(m.cellText(0, 7), QStringLiteral("\u221A"));
    EXPECT_EQ(m.cellText(1, 7), "R");
    EXPECT_EQ(masters::fizetveJel(""), "");
}

TEST_F(ModelTest, TheSheetListShowsThePatientsNameAndStoredNumbers) {
    testsupport::makeTable(t.beteg, dir.path(), db::TableId::Beteg, patients());
    testsupport::makeTable(t.lap, dir.path(), db::TableId::Lap,
                           {testsupport::sheetRow("2024.05", "00012", "", "111111110", 13),
                            testsupport::sheetRow("2024.05", "00007", "A", "999999999", 4)});
    const masters::BrowseConfig cfg = masters::lapPanel(t);
    masters::TableModel m(t.lap, cfg.columns);
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), "Sorszám");
    EXPECT_EQ(m.data(m.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(m.cellText(0, 0), "00007");
    EXPECT_EQ(m.cellText(0, 1), "A");
    EXPECT_EQ(m.cellText(0, 3), ""); // no such patient
    EXPECT_EQ(m.cellText(1, 2), "111111110");
    EXPECT_EQ(m.cellText(1, 3), "Kiss");
    EXPECT_EQ(m.cellText(1, 4), "2024.05");
    EXPECT_EQ(m.cellText(1, 5), "13");
    // Numbers right, texts left; each column as wide as its field.
    EXPECT_EQ(m.alignment(5), Qt::AlignRight | Qt::AlignVCenter); // SZVIZ
    EXPECT_EQ(m.alignment(2), Qt::AlignLeft | Qt::AlignVCenter);  // TAJ
    EXPECT_EQ(m.columnChars(2), 9);
    EXPECT_EQ(m.columnChars(3), 25); // the patient's name
    EXPECT_EQ(m.columnChars(4), 7);  // IDOSZAK
    EXPECT_EQ(m.columnChars(6), 8);  // "Elküldve" is longer than ELKULDVE's 7

    // A row colouring sees the row's own record.
    m.setRowBackground([](const engine::Table& lap, std::uint32_t r) {
        const QVariant v = lap.record(r).value(lap.fieldIndex("SZVIZ"));
        return v.toInt() > 10 ? QVariant(1) : QVariant();
    });
    EXPECT_FALSE(m.data(m.index(0, 2), Qt::BackgroundRole).isValid());
    EXPECT_EQ(m.data(m.index(1, 2), Qt::BackgroundRole), QVariant(1));

    // The name follows a change in BETEG; BETEG's cursor does not move.
    t.beteg.setActiveTag("Beteg2");
    ASSERT_TRUE(t.beteg.locate("TAJ", "111111110"));
    t.beteg.edit();
    t.beteg.setValue("NEV", "Kiss Ádám");
    t.beteg.post();
    t.beteg.last();
    const std::uint32_t at = t.beteg.recno();
    EXPECT_EQ(m.cellText(1, 3), "Kiss Ádám");
    EXPECT_EQ(t.beteg.recno(), at);
}

} // namespace
