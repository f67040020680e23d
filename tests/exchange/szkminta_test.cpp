// The shipment layouts byte for byte, and the records written into them,
// against the county office's tables (names, types, lengths, offsets, header
// and record lengths, the templates' own dates).

#include "db/kuldemenyminta.h"
#include "engine/dbfheader.h"
#include "exchange/szkrekord.h"

#include <gtest/gtest.h>

using namespace exch;
using core::Idoszak;

namespace {

struct Mezo {
    const char* nev;
    char tipus;
    int hossz;
    int offset;
};

struct Elvart {
    MintaId id;
    int fejlec, rekord;
    int ev, ho, nap;
    std::vector<Mezo> mezok;
};

// The office's tables, written out as given (offsets counted from the
// deletion flag).
const std::vector<Elvart>& elvart() {
    static const std::vector<Elvart> v = {
        {MintaId::SZKA,
         897,
         193,
         11,
         6,
         9,
         {{"ULVKOD", 'C', 4, 1},     {"SORSZAM", 'N', 5, 5},   {"RESZ", 'C', 1, 10},
          {"IDOSZAK", 'C', 6, 11},   {"ORVOSKOD", 'N', 5, 17}, {"JORVKOD", 'N', 5, 22},
          {"TAJ", 'N', 9, 27},       {"KOZIGKOD", 'C', 7, 36}, {"CIM", 'C', 25, 43},
          {"NEME", 'C', 1, 68},      {"SZULIDO", 'D', 8, 69},  {"TERPOT", 'N', 1, 77},
          {"TEVKODOK", 'C', 34, 78}, {"ELBOCS", 'D', 8, 112},  {"APNAP", 'N', 4, 120},
          {"ELREND", 'D', 8, 124},   {"SZAKVET", 'D', 8, 132}, {"ELVIZDB", 'N', 3, 140},
          {"GYAK", 'C', 15, 143},    {"ELSZVIZ", 'N', 3, 158}, {"ELSZAM", 'N', 3, 161},
          {"LEZDAT", 'D', 8, 164},   {"ENGSZAM", 'N', 4, 172}, {"ENGDAT", 'D', 8, 176},
          {"OVIZITDB", 'N', 2, 184}, {"MODIDO", 'C', 6, 186},  {"MODTIPUS", 'C', 1, 192}}},
        {MintaId::SZKAUJ,
         1025,
         208,
         15,
         10,
         7,
         {{"ULVKOD", 'C', 4, 1},    {"FINKOD", 'C', 9, 5},     {"SORSZAM", 'N', 5, 14},
          {"RESZ", 'C', 1, 19},     {"IDOSZAK", 'C', 6, 20},   {"ORVOSKOD", 'N', 5, 26},
          {"JORVKOD", 'N', 5, 31},  {"TAJ", 'C', 9, 36},       {"KOZIGKOD", 'C', 7, 45},
          {"CIM", 'C', 25, 52},     {"NEME", 'C', 1, 77},      {"SZULIDO", 'D', 8, 78},
          {"AZTIP", 'C', 1, 86},    {"TERKAT", 'C', 2, 87},    {"ALLAMP", 'C', 3, 89},
          {"TERPOT", 'N', 1, 92},   {"TEVKODOK", 'C', 34, 93}, {"ELBOCS", 'D', 8, 127},
          {"APNAP", 'N', 4, 135},   {"ELREND", 'D', 8, 139},   {"SZAKVET", 'D', 8, 147},
          {"ELVIZDB", 'N', 3, 155}, {"GYAK", 'C', 15, 158},    {"ELSZVIZ", 'N', 3, 173},
          {"ELSZAM", 'N', 3, 176},  {"LEZDAT", 'D', 8, 179},   {"ENGSZAM", 'N', 4, 187},
          {"ENGDAT", 'D', 8, 191},  {"OVIZITDB", 'N', 2, 199}, {"MODIDO", 'C', 6, 201},
          {"MODTIPUS", 'C', 1, 207}}},
        {MintaId::SZKB,
         321,
         38,
         11,
         6,
         9,
         {{"ULVKOD", 'C', 4, 1},
          {"SORSZAM", 'N', 5, 5},
          {"RESZ", 'C', 1, 10},
          {"IDOSZAK", 'C', 6, 11},
          {"TEVKOD", 'C', 2, 17},
          {"ELLTIP", 'N', 1, 19},
          {"ONKEP", 'N', 1, 20},
          {"DATUMTOL", 'D', 8, 21},
          {"APTAJ", 'N', 9, 29}}},
        {MintaId::SZKBUJ,
         353,
         47,
         15,
         10,
         8,
         {{"ULVKOD", 'C', 4, 1},
          {"FINKOD", 'C', 9, 5},
          {"SORSZAM", 'N', 5, 14},
          {"RESZ", 'C', 1, 19},
          {"IDOSZAK", 'C', 6, 20},
          {"TEVKOD", 'C', 2, 26},
          {"ELLTIP", 'N', 1, 28},
          {"ONKEP", 'N', 1, 29},
          {"DATUMTOL", 'D', 8, 30},
          {"APTAJ", 'C', 9, 38}}},
        {MintaId::SZKC,
         225,
         23,
         11,
         6,
         9,
         {{"ULVKOD", 'C', 4, 1},
          {"SORSZAM", 'N', 5, 5},
          {"RESZ", 'C', 1, 10},
          {"IDOSZAK", 'C', 6, 11},
          {"BNOTIP", 'N', 1, 17},
          {"BNOKOD", 'C', 5, 18}}},
        {MintaId::SZKCUJ,
         257,
         32,
         15,
         10,
         7,
         {{"ULVKOD", 'C', 4, 1},
          {"FINKOD", 'C', 9, 5},
          {"SORSZAM", 'N', 5, 14},
          {"RESZ", 'C', 1, 19},
          {"IDOSZAK", 'C', 6, 20},
          {"BNOTIP", 'N', 1, 26},
          {"BNOKOD", 'C', 5, 27}}},
        // The old layouts: made on the day of the shipment.
        {MintaId::RegiB,
         289,
         34,
         24,
         5,
         15,
         {{"ULVKOD", 'C', 4, 1},
          {"SORSZAM", 'N', 5, 5},
          {"RESZ", 'C', 1, 10},
          {"TEVKOD", 'C', 2, 11},
          {"ELLTIP", 'N', 2, 13},
          {"ONKEP", 'N', 2, 15},
          {"DATUMTOL", 'D', 8, 17},
          {"APTAJ", 'N', 9, 25}}},
        {MintaId::RegiC,
         193,
         18,
         24,
         5,
         15,
         {{"ULVKOD", 'C', 4, 1},
          {"SORSZAM", 'N', 5, 5},
          {"RESZ", 'C', 1, 10},
          {"BNOTIP", 'N', 2, 11},
          {"BNOKOD", 'C', 5, 13}}},
    };
    return v;
}

int le16(const QByteArray& b, int at) {
    return quint8(b[at]) | quint8(b[at + 1]) << 8;
}
int le32(const QByteArray& b, int at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}

} // namespace

TEST(SzkMinta, HeadersAreTheOfficesBytes) {
    for (const Elvart& e : elvart()) {
        const Minta& m = minta(e.id);
        SCOPED_TRACE(m.nev);
        const QByteArray h = fejlec(m, QDate(2024, 5, 15));
        ASSERT_EQ(h.size(), e.fejlec); // the template is exactly its header
        EXPECT_EQ(quint8(h[0]), 0x03);
        EXPECT_EQ(int(h[1]), e.ev);
        EXPECT_EQ(int(h[2]), e.ho);
        EXPECT_EQ(int(h[3]), e.nap);
        EXPECT_EQ(le32(h, 4), 0);
        EXPECT_EQ(le16(h, 8), e.fejlec);
        EXPECT_EQ(le16(h, 10), e.rekord);
        for (int i = 12; i < 32; ++i)
            EXPECT_EQ(h[i], '\0') << "header byte " << i;
        ASSERT_EQ(int(m.mezok.size()), int(e.mezok.size()));
        for (size_t f = 0; f < e.mezok.size(); ++f) {
            const QByteArray d = h.mid(32 + 32 * int(f), 32);
            const Mezo& x = e.mezok[f];
            QByteArray name(x.nev);
            name.append(QByteArray(11 - name.size(), '\0'));
            EXPECT_EQ(d.left(11), name);
            EXPECT_EQ(d[11], x.tipus) << x.nev;
            EXPECT_EQ(le32(d, 12), x.offset) << x.nev;
            EXPECT_EQ(int(quint8(d[16])), x.hossz) << x.nev;
            EXPECT_EQ(d[17], '\0') << x.nev;
            EXPECT_EQ(d.mid(18), QByteArray(14, '\0')) << x.nev;
        }
        EXPECT_EQ(h.back(), '\x0D');
        // The engine reads it as the table it is.
        const engine::DbfHeader parsed = engine::parseDbfHeader(h, h.size(), QStringLiteral("x"));
        EXPECT_EQ(parsed.recordLength, e.rekord);
        EXPECT_EQ(parsed.languageDriver, 0);
    }
}

TEST(SzkMinta, LayoutByPeriod) {
    struct C {
        Idoszak p;
        MintaId a, b, c;
    };
    const C cases[] = {
        {Idoszak(2009, 8), MintaId::SZKA, MintaId::RegiB, MintaId::RegiC},
        {Idoszak(2009, 9), MintaId::SZKA, MintaId::SZKB, MintaId::SZKC},
        {Idoszak(2015, 12), MintaId::SZKA, MintaId::SZKB, MintaId::SZKC},
        {Idoszak(2016, 1), MintaId::SZKAUJ, MintaId::SZKBUJ, MintaId::SZKCUJ},
    };
    for (const C& c : cases) {
        EXPECT_EQ(lapMinta(c.p), c.a) << c.p.text().toStdString();
        EXPECT_EQ(vizitMinta(c.p), c.b) << c.p.text().toStdString();
        EXPECT_EQ(bnoMinta(c.p), c.c) << c.p.text().toStdString();
    }
    // 2009.08: eight visit fields, 2009.09: nine, 2016.01: ten.
    EXPECT_EQ(minta(vizitMinta(Idoszak(2009, 8))).mezok.size(), 8u);
    EXPECT_EQ(minta(vizitMinta(Idoszak(2009, 9))).mezok.size(), 9u);
    EXPECT_EQ(minta(vizitMinta(Idoszak(2016, 1))).mezok.size(), 10u);
}

TEST(SzkRekord, Conversions) {
    EXPECT_EQ(db::kuldEgesz(QStringLiteral("00012")), 12);
    EXPECT_EQ(db::kuldEgesz(QStringLiteral(" 42 ")), 42);
    EXPECT_EQ(db::kuldEgesz(QStringLiteral("012345678")), 12345678);
    EXPECT_EQ(db::kuldEgesz(qlonglong(7)), 7);
    EXPECT_FALSE(db::kuldEgesz(QStringLiteral("12x")));
    EXPECT_FALSE(db::kuldEgesz(QStringLiteral("1 2")));
    EXPECT_FALSE(db::kuldEgesz(QStringLiteral("")));
    EXPECT_FALSE(db::kuldEgesz(QVariant()));
    EXPECT_FALSE(db::kuldEgesz(QStringLiteral("-")));
    EXPECT_EQ(db::tomorIdoszak(QStringLiteral("2016.01")), QStringLiteral("201601"));
    EXPECT_EQ(db::terpot(QStringLiteral("N")), 1);
    EXPECT_EQ(db::terpot(QStringLiteral("I")), 2);
    EXPECT_EQ(db::terpot(QVariant()), 2);
    const Idoszak p(2016, 3);
    EXPECT_EQ(db::modtipus(QStringLiteral("2016.02"), QString(), p), QStringLiteral("P"));
    EXPECT_EQ(db::modtipus(QStringLiteral("2016.02"), QStringLiteral("K"), p), QStringLiteral("K"));
    EXPECT_EQ(db::modtipus(QStringLiteral("2016.03"), QString(), p), QString());
    EXPECT_EQ(db::modtipus(QStringLiteral("2016.03"), QStringLiteral("S"), p), QStringLiteral("S"));

    // The diagnosis rows: none, and all five in the order 3, 5, 1, 4, 6.
    QVariantList r(B_OSZLOPOK);
    EXPECT_TRUE(bnoSorok(r).empty());
    r[B_BNOKI] = QStringLiteral("K1");
    r[B_BNOROV] = QStringLiteral("R5");
    r[B_BNOFO] = QStringLiteral("F3");
    r[B_BNOMELL] = QStringLiteral("M4");
    r[B_BNOELL] = QStringLiteral("Z6");
    const auto s = bnoSorok(r);
    ASSERT_EQ(s.size(), 5u);
    const int tip[] = {3, 5, 1, 4, 6};
    const char* kod[] = {"F3", "R5", "K1", "M4", "Z6"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(s[size_t(i)].first, tip[i]);
        EXPECT_EQ(s[size_t(i)].second, QLatin1String(kod[i]));
    }
}

TEST(SzkRekord, QueryColumnsFollowTheForm) {
    // The row positions name the fields db/kuldemenyforma.h selects.
    const std::pair<int, const char*> lap[] = {{L_ULVKOD, "ULVKOD"}, {L_SORSZAM, "SORSZAM"},
                                               {L_TERPOT, "TERPOT"}, {L_CIM, "CIM"},
                                               {L_AZTIP, "AZTIP"},   {L_MODTIPUS, "MODTIPUS"}};
    for (const auto& [i, n] : lap)
        EXPECT_EQ(db::kuldOszlop(db::lapMezok(), n), i) << n;
    EXPECT_EQ(db::kuldOszlop(db::lapMezok(), "MODTIPUS") + 1, int(L_OSZLOPOK));
    EXPECT_EQ(db::kuldOszlop(db::vizitMezok(), "APTAJ") + 1, int(V_OSZLOPOK));
    EXPECT_EQ(db::kuldOszlop(db::bnoMezok(), "IDOSZAK") + 1, int(B_BNOFO));
    EXPECT_EQ(int(B_BNOFO) + 5, int(B_OSZLOPOK));
}

namespace {

QVariantList lapSor() {
    QVariantList r(L_OSZLOPOK);
    r[L_ULVKOD] = QStringLiteral("1890");
    r[L_FINKOD] = QStringLiteral("FIN000042");
    r[L_SORSZAM] = QStringLiteral("00012");
    r[L_RESZ] = QStringLiteral("A");
    r[L_IDOSZAK] = QStringLiteral("2015.12");
    r[L_ORVOSKOD] = QStringLiteral("12345");
    r[L_JORVKOD] = QVariant(); // empty: 0
    r[L_TAJ] = QStringLiteral("012345675");
    r[L_KOZIGKOD] = QStringLiteral("0123456");
    r[L_TERPOT] = QStringLiteral("N");
    r[L_CIM] = QStringLiteral("Fő utca 1.");
    r[L_NEME] = QStringLiteral("N");
    r[L_SZULIDO] = QStringLiteral("1940-03-02");
    r[L_TEVKODOK] = QStringLiteral("7 11");
    r[L_ELBOCS] = QVariant();
    r[L_APNAP] = qlonglong(5);
    r[L_ELSZAM] = qlonglong(1);
    r[L_ELREND] = QStringLiteral("2015-12-01");
    r[L_SZAKVET] = QStringLiteral("2015-12-02");
    r[L_ELVIZDB] = qlonglong(14);
    r[L_GYAK] = QStringLiteral("heti 3");
    r[L_ELSZVIZ] = qlonglong(0);
    r[L_LEZDAT] = QVariant();
    r[L_TERKAT] = QStringLiteral("01");
    r[L_AZTIP] = QStringLiteral("1");
    r[L_ALLAMP] = QStringLiteral("hun");
    r[L_ENGSZAM] = qlonglong(0);
    r[L_ENGDAT] = QVariant();
    r[L_OVIZITDB] = qlonglong(5);
    r[L_MODTIPUS] = QVariant();
    return r;
}

} // namespace

TEST(SzkRekord, SheetRecordBytes) {
    // A sheet of 2015.12 sent in 2016.01 (the new layout) and one sent in
    // 2015.12 (the old one): the bytes field by field.
    const QByteArray uj = lapRekord(minta(MintaId::SZKAUJ), lapSor(), Idoszak(2016, 1));
    ASSERT_EQ(uj.size(), 208);
    auto bal = [](const char* t, int n) { return QByteArray(t).leftJustified(n, ' '); };
    auto jobb = [](const char* t, int n) { return QByteArray(t).rightJustified(n, ' '); };
    QByteArray vartUj = " " + bal("1890", 4) + bal("FIN000042", 9) + jobb("12", 5) + "A" +
                        "201512" + jobb("12345", 5) + jobb("0", 5) + bal("012345675", 9) +
                        bal("0123456", 7) + bal("F# utca 1.", 25) + "N" + "19400302" + "1" + "01" +
                        "hun" + "1" + bal("7 11", 34) + bal("", 8) + jobb("5", 4) + "20151201" +
                        "20151202" + jobb("14", 3) + bal("heti 3", 15) + jobb("0", 3) +
                        jobb("1", 3) + bal("", 8) + jobb("0", 4) + bal("", 8) + jobb("5", 2) +
                        "201601" + "P";
    vartUj[53] = '\x8B'; // "ő" in code page 852
    EXPECT_EQ(uj, vartUj);

    const QByteArray regi = lapRekord(minta(MintaId::SZKA), lapSor(), Idoszak(2015, 12));
    ASSERT_EQ(regi.size(), 193);
    // The TAJ is a number: its leading zero goes, right-aligned in nine.
    EXPECT_EQ(regi.mid(27, 9), QByteArray(" 12345675"));
    EXPECT_EQ(regi.mid(22, 5), QByteArray("    0")); // JORVKOD empty
    EXPECT_EQ(regi.mid(77, 1), QByteArray("1"));     // TERPOT for "N"
    EXPECT_EQ(regi.mid(184, 2), QByteArray(" 5"));
    EXPECT_EQ(regi.mid(186, 6), QByteArray("201512"));
    EXPECT_EQ(regi.mid(192, 1), QByteArray(" ")); // a sheet of P keeps its empty kind

    // From 2016.01 a sheet without an identifier (AZTIP "0") has a blank TAJ.
    QVariantList r = lapSor();
    r[L_AZTIP] = QStringLiteral("0");
    r[L_TAJ] = QStringLiteral("910000012");
    EXPECT_EQ(lapRekord(minta(MintaId::SZKAUJ), r, Idoszak(2016, 1)).mid(36, 9),
              QByteArray(9, ' '));
}

TEST(SzkRekord, VisitAndDiagnosisRecordBytes) {
    QVariantList v(V_OSZLOPOK);
    v[V_ULVKOD] = QStringLiteral("1890");
    v[V_FINKOD] = QStringLiteral("FIN000042");
    v[V_SORSZAM] = QStringLiteral("00012");
    v[V_IDOSZAK] = QStringLiteral("2009.09");
    v[V_TEVKOD] = QStringLiteral("7");
    v[V_ELLTIP] = qlonglong(2);
    v[V_ONKEP] = qlonglong(3);
    v[V_DATUMTOL] = QStringLiteral("2009-09-04");
    v[V_APTAJ] = QStringLiteral("012345675");
    EXPECT_EQ(vizitRekord(minta(MintaId::SZKB), v, Idoszak(2009, 9)),
              QByteArray(" 1890   12 2009097 2320090904 12345675"));
    EXPECT_EQ(vizitRekord(minta(MintaId::SZKBUJ), v, Idoszak(2016, 1)),
              QByteArray(" 1890FIN000042   12 2009097 2320090904012345675"));
    EXPECT_EQ(vizitRekord(minta(MintaId::RegiB), v, Idoszak(2009, 8)),
              QByteArray(" 1890   12 7  2 320090904 12345675"));

    QVariantList b(B_OSZLOPOK);
    b[B_ULVKOD] = QStringLiteral("1890");
    b[B_FINKOD] = QStringLiteral("FIN000042");
    b[B_SORSZAM] = QStringLiteral("00012");
    b[B_RESZ] = QStringLiteral("B");
    b[B_IDOSZAK] = QStringLiteral("2016.01");
    b[B_BNOFO] = QStringLiteral("L89H0");
    b[B_BNOELL] = QStringLiteral("Z742");
    const auto c = bnoRekordok(minta(MintaId::SZKCUJ), b, Idoszak(2016, 1));
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0], QByteArray(" 1890FIN000042   12B2016013L89H0"));
    EXPECT_EQ(c[1], QByteArray(" 1890FIN000042   12B2016016Z742 "));
    EXPECT_EQ(bnoRekordok(minta(MintaId::RegiC), b, Idoszak(2009, 8))[0],
              QByteArray(" 1890   12B 3L89H0"));
}

TEST(SzkRekord, ValuesThatDoNotConvertNameTheSheetAndField) {
    struct C {
        int col;
        QVariant v;
        Idoszak p;
        const char* mezo;
    };
    const C cases[] = {
        {L_SORSZAM, QStringLiteral("0001A"), Idoszak(2016, 1), "SORSZAM"},
        {L_ORVOSKOD, QStringLiteral("12x"), Idoszak(2016, 1), "ORVOSKOD"},
        {L_ORVOSKOD, QVariant(), Idoszak(2016, 1), "ORVOSKOD"},
        {L_JORVKOD, QStringLiteral("ab"), Idoszak(2016, 1), "JORVKOD"},
        {L_TAJ, QStringLiteral("12345678X"), Idoszak(2015, 12), "TAJ"},
        {L_OVIZITDB, qlonglong(100), Idoszak(2016, 1), "OVIZITDB"},
        {L_CIM, QStringLiteral("Fő utca ☺"), Idoszak(2016, 1), "CIM"},
    };
    for (const C& c : cases) {
        QVariantList r = lapSor();
        r[c.col] = c.v;
        try {
            lapRekord(minta(lapMinta(c.p)), r, c.p);
            ADD_FAILURE() << c.mezo << " converted";
        } catch (const AtalakitasHiba& h) {
            EXPECT_EQ(h.mezo, QLatin1String(c.mezo));
            EXPECT_TRUE(h.uzenet().startsWith(
                QStringLiteral("A(z) %1A sorszámú, 2015.12 időszakra szóló elszámolási lap %2 "
                               "mezője nem írható a küldeménybe:")
                    .arg(r.value(L_SORSZAM).toString(), QLatin1String(c.mezo))))
                << h.uzenet().toStdString();
        }
    }
    // A TAJ of letters goes as text from 2016.01.
    QVariantList r = lapSor();
    r[L_TAJ] = QStringLiteral("ABC");
    EXPECT_EQ(lapRekord(minta(MintaId::SZKAUJ), r, Idoszak(2016, 1)).mid(36, 9),
              QByteArray("ABC      "));
}
