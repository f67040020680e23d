// What a field may hold, read from its column: width, digits, printable
// text, code page 852.

#include "ui/fieldrule.h"

#include <gtest/gtest.h>

using ui::FieldRule;

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

TEST(FieldRule, ColumnsGiveWidthAndKind) {
    const FieldRule szam = ui::ruleOf(engine::fieldDef("ELSZVIZ", 'N', 3), "x", 2);
    EXPECT_EQ(szam.kind, FieldRule::Kind::Digits);
    EXPECT_EQ(szam.width, 2);
    const FieldRule szoveg = ui::ruleOf(engine::fieldDef("GYAK", 'C', 15), "x", 30);
    EXPECT_EQ(szoveg.kind, FieldRule::Kind::Text);
    EXPECT_EQ(szoveg.width, 15) << "a field never takes more than its column";
    EXPECT_EQ(ui::ruleOf(engine::fieldDef("ALAPDIJ", 'N', 10, 5), "x").kind, FieldRule::Kind::Text);
    EXPECT_EQ(ui::digitsOf(engine::fieldDef("ORVOSKOD", 'C', 5), "x").kind,
              FieldRule::Kind::Digits);
}

TEST(FieldRule, ControlCharactersAreTakenOut) {
    EXPECT_EQ(ui::printable(QString::fromUtf8("Fő\tutca\x01\x1a\r\n5.")), "Fő utca 5.");
    EXPECT_EQ(ui::printable(QString::fromUtf8("a \t b\x7f\xc2\x85")), "a  b ");
    EXPECT_EQ(ui::printable(QString::fromUtf8("Árvíztűrő tükörfúrógép")),
              QString::fromUtf8("Árvíztűrő tükörfúrógép"));
}

TEST(FieldRule, FaultsNameTheFieldAndTheCharacter) {
    FieldRule r =
        ui::ruleOf(engine::fieldDef("ELSZVIZ", 'N', 3), "Az eddig elszámolt vizitek száma");
    EXPECT_EQ(ui::fault(r, "14"), "");
    EXPECT_EQ(ui::fault(r, " 7 "), "");
    EXPECT_EQ(ui::fault(r, ""), "") << "required is the field's own check";
    for (const char* bad : {"-3", "+3", "1.5", "1e2", "x"})
        EXPECT_EQ(ui::fault(r, bad),
                  "A(z) „Az eddig elszámolt vizitek száma” mezőbe csak számjegyek írhatók, "
                  "előjel nélkül!")
            << bad;
    EXPECT_EQ(ui::fault(r, "1234"),
              "A(z) „Az eddig elszámolt vizitek száma” mezőbe legfeljebb 3 karakter írható!");

    FieldRule nev = ui::ruleOf(engine::fieldDef("NEV", 'C', 25), "Neve");
    EXPECT_EQ(ui::fault(nev, QString::fromUtf8("Kőszegi Ödön")), "");
    EXPECT_EQ(ui::fault(nev, QString::fromUtf8("João €")),
              "A(z) „Neve” mezőbe nem írható a(z) „ã” karakter, mert az adatállomány nem "
              "tudja tárolni!");
    EXPECT_EQ(ui::fault(nev, QString::fromUtf8("Kis \xF0\x9F\x98\x80")),
              QString::fromUtf8("A(z) „Neve” mezőbe nem írható a(z) „\xF0\x9F\x98\x80” karakter, "
                                "mert az adatállomány nem tudja tárolni!"));
}
