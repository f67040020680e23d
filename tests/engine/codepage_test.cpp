#include "engine/codepage.h"

#include <QSet>
#include <QStringDecoder>
#include <gtest/gtest.h>

// Readable failure messages for Qt strings.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using engine::CodePage;

namespace {

QByteArray allBytesFrom1() {
    QByteArray b;
    for (int i = 1; i < 256; ++i)
        b.append(char(i));
    return b;
}

QString decodeByte(CodePage cp, unsigned char b) {
    const char c = char(b);
    return engine::decode(cp, &c, 1);
}

} // namespace

// --- cp852, the program's own tables -------------------------------------

TEST(Codepage852, EveryByteRoundTrips) {
    const QByteArray bytes = allBytesFrom1();
    const QString text = engine::decode852(bytes);
    ASSERT_EQ(text.size(), 255);
    int bad = -1;
    const auto back = engine::encode852(text, &bad);
    ASSERT_TRUE(back.has_value()) << "first character refused at " << bad;
    EXPECT_EQ(*back, bytes);
}

TEST(Codepage852, EveryByteIsADistinctCharacter) {
    QSet<char16_t> seen;
    for (int b = 0; b < 256; ++b) {
        const QString s = decodeByte(CodePage::Cp852, static_cast<unsigned char>(b));
        ASSERT_EQ(s.size(), 1) << "byte " << b;
        seen.insert(s[0].unicode());
    }
    EXPECT_EQ(seen.size(), 256);
}

TEST(Codepage852, HungarianLettersHaveTheirBytes) {
    const QString letters = QStringLiteral("őŐűŰáéíóöúüÁÉÍÓÖÚÜ");
    const QByteArray expected(
        "\x8b\x8a\xfb\xeb\xa0\x82\xa1\xa2\x94\xa3\x81\xb5\x90\xd6\xe0\x99\xe9\x9a");
    const auto encoded = engine::encode852(letters);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(encoded->toHex(' '), expected.toHex(' '));
    EXPECT_EQ(engine::decode852(expected), letters);
}

TEST(Codepage852, AsciiAndZeroPassThrough) {
    const QByteArray ascii("Kovacs\0 Bela, 12/a", 18);
    const QString text = engine::decode852(ascii);
    EXPECT_EQ(text.size(), 18);
    EXPECT_EQ(text[6], QChar(0));
    const auto back = engine::encode852(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, ascii);
    EXPECT_EQ(engine::encode852(QString()), QByteArray());
    EXPECT_TRUE(engine::decode852(nullptr, 0).isEmpty());
}

TEST(Codepage852, RefusesWhatItCannotHoldAndNamesThePlace) {
    struct Case {
        QString text;
        int index;
    };
    const Case cases[] = {
        {QStringLiteral("€"), 0},
        {QStringLiteral("Szőlő ára 5 €"), 12},
        {QStringLiteral("Mañana"), 2},       // ñ is Spanish, not Central European
        {QStringLiteral("Gruß ő õ"), 7},     // ß and ő are there, õ (Estonian) is not
        {QStringLiteral("ab\U0001F600"), 2}, // a character outside the BMP
        {QStringLiteral("\u00e0"), 0},       // à
    };
    for (const Case& c : cases) {
        int bad = -1;
        EXPECT_FALSE(engine::encode852(c.text, &bad).has_value()) << c.text.toStdString();
        EXPECT_EQ(bad, c.index) << c.text.toStdString();
        EXPECT_FALSE(engine::encode852(c.text).has_value()); // no index wanted
    }
}

// The tables against an independent reference: Qt's converters backed by
// ICU. Only the high half is compared; ICU's IBM tables move some controls
// around in the low half, where every one of our code pages is plain ASCII.
// Where IBM's and Microsoft's tables part, ours follow Microsoft's, as the
// DOS and Windows programs that wrote the files did: cp852 0xAA is the not
// sign (IBM leaves it empty), cp437 0xE6 the micro sign (IBM: Greek mu).
// Bytes a Windows code page leaves unassigned read as the C1 control of the
// same value, as in ICU.
TEST(CodepageTables, AgreeWithIcu) {
    struct Ref {
        CodePage cp;
        const char* icuName;
    };
    const Ref refs[] = {
        {CodePage::Cp852, "IBM852"},         {CodePage::Cp437, "IBM437"},
        {CodePage::Cp850, "IBM850"},         {CodePage::Cp866, "IBM866"},
        {CodePage::Cp1250, "windows-1250"},  {CodePage::Cp1251, "windows-1251"},
        {CodePage::Cp1252, "windows-1252"},  {CodePage::Iso8859_1, "ISO-8859-1"},
        {CodePage::Iso8859_2, "ISO-8859-2"},
    };
    const auto microsoft = [](CodePage cp, int b) -> char16_t {
        if (cp == CodePage::Cp852 && b == 0xAA) return u'\u00AC';
        if (cp == CodePage::Cp437 && b == 0xE6) return u'\u00B5';
        return 0;
    };
    for (const Ref& r : refs) {
        if (!QStringDecoder(r.icuName).isValid())
            GTEST_SKIP() << "Qt has no converter for " << r.icuName;
        for (int b = 0x80; b < 0x100; ++b) {
            const char c = char(b);
            const QString ours = engine::decode(r.cp, &c, 1);
            ASSERT_EQ(ours.size(), 1);
            if (const char16_t ms = microsoft(r.cp, b)) {
                EXPECT_EQ(ours[0].unicode(), ms);
                continue;
            }
            QStringDecoder icu(r.icuName);
            const QString theirs = icu.decode(QByteArrayView(&c, 1));
            EXPECT_EQ(ours, theirs)
                << engine::codePageName(r.cp).toStdString() << " byte 0x" << std::hex << b;
        }
    }
}

TEST(CodepageTables, KnownCharacters) {
    struct Case {
        CodePage cp;
        unsigned char byte;
        char16_t ch;
    };
    const Case cases[] = {
        {CodePage::Cp852, 0x8B, u'ő'},     {CodePage::Cp852, 0xFB, u'ű'},
        {CodePage::Cp437, 0x81, u'ü'},     {CodePage::Cp437, 0xE1, u'ß'},
        {CodePage::Cp850, 0xD5, u'ı'},     {CodePage::Cp866, 0x80, u'А'},
        {CodePage::Cp1250, 0xF5, u'ő'},    {CodePage::Cp1250, 0xDB, u'Ű'},
        {CodePage::Cp1251, 0xC0, u'А'},    {CodePage::Cp1252, 0x80, u'€'},
        {CodePage::Cp1252, 0x81, 0x81},    {CodePage::Iso8859_1, 0xD1, u'Ñ'},
        {CodePage::Iso8859_2, 0xF5, u'ő'}, {CodePage::Iso8859_2, 0xDB, u'Ű'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeByte(c.cp, c.byte), QString(QChar(c.ch)))
            << engine::codePageName(c.cp).toStdString() << " byte " << int(c.byte);
    }
}

TEST(CodepageTables, AsciiIsAsciiEverywhere) {
    QByteArray ascii;
    for (int b = 0; b < 0x80; ++b)
        ascii.append(char(b));
    for (CodePage cp : {CodePage::Cp852, CodePage::Cp437, CodePage::Cp850, CodePage::Cp866,
                        CodePage::Cp1250, CodePage::Cp1251, CodePage::Cp1252, CodePage::Iso8859_1,
                        CodePage::Iso8859_2, CodePage::Utf8}) {
        EXPECT_EQ(engine::decode(cp, ascii.constData(), int(ascii.size())),
                  QString::fromLatin1(ascii))
            << engine::codePageName(cp).toStdString();
    }
}

TEST(CodepageTables, Utf8) {
    const QByteArray bytes("\xc5\x91r\xc3\xbcl\xc5\xb1"); // "őrülű"
    EXPECT_EQ(engine::decode(CodePage::Utf8, bytes.constData(), int(bytes.size())),
              QStringLiteral("őrülű"));
    EXPECT_TRUE(engine::decode(CodePage::Utf8, nullptr, 0).isEmpty());
}

// --- which code page a table names ----------------------------------------

TEST(CodepageLanguageDriver, KnownMarks) {
    const std::pair<std::uint8_t, CodePage> cases[] = {
        {0x64, CodePage::Cp852},  {0x22, CodePage::Cp852},  {0x1F, CodePage::Cp852},
        {0x01, CodePage::Cp437},  {0x1B, CodePage::Cp437},  {0x02, CodePage::Cp850},
        {0x03, CodePage::Cp1252}, {0x57, CodePage::Cp1252}, {0x59, CodePage::Cp1252},
        {0xC8, CodePage::Cp1250}, {0xC9, CodePage::Cp1251}, {0x65, CodePage::Cp866},
        {0x26, CodePage::Cp866},
    };
    for (const auto& [mark, cp] : cases) {
        const auto got = engine::codePageForLanguageDriver(mark);
        ASSERT_TRUE(got.has_value()) << "mark " << int(mark);
        EXPECT_EQ(*got, cp) << "mark " << int(mark);
    }
}

TEST(CodepageLanguageDriver, UnknownMarks) {
    // 0 means "no mark" and is the caller's business; the others name code
    // pages we do not carry (Big5, Greek, Mac) or nothing at all.
    for (int mark : {0x00, 0x4F, 0x4D, 0x6A, 0xCB, 0x96, 0xFF, 0x7F})
        EXPECT_FALSE(engine::codePageForLanguageDriver(std::uint8_t(mark)).has_value())
            << "mark " << mark;
}

TEST(CodepageCpg, Names) {
    const std::pair<const char*, CodePage> cases[] = {
        {"UTF-8", CodePage::Utf8},
        {"utf8\r\n", CodePage::Utf8},
        {"\xef\xbb\xbfUTF-8", CodePage::Utf8}, // with a byte order mark
        {"ANSI 1250", CodePage::Cp1250},
        {"1250\n", CodePage::Cp1250},
        {"  cp1250 ", CodePage::Cp1250},
        {"Windows-1250", CodePage::Cp1250},
        {"ANSI 1251", CodePage::Cp1251},
        {"1252", CodePage::Cp1252},
        {"WINDOWS-1252", CodePage::Cp1252},
        {"437", CodePage::Cp437},
        {"OEM 850", CodePage::Cp850},
        {"852", CodePage::Cp852},
        {"OEM 852", CodePage::Cp852},
        {"cp866", CodePage::Cp866},
        {"88591", CodePage::Iso8859_1},
        {"8859-1", CodePage::Iso8859_1},
        {"ISO-8859-1", CodePage::Iso8859_1},
        {"iso88591", CodePage::Iso8859_1},
        {"Latin1", CodePage::Iso8859_1},
        {"88592", CodePage::Iso8859_2},
        {"ISO-8859-2", CodePage::Iso8859_2},
        {"ISO8859-2", CodePage::Iso8859_2},
    };
    for (const auto& [text, cp] : cases) {
        const auto got = engine::codePageFromCpg(QString::fromUtf8(text));
        ASSERT_TRUE(got.has_value()) << text;
        EXPECT_EQ(*got, cp) << text;
    }
}

TEST(CodepageCpg, UnknownNames) {
    for (const char* text : {"", "   ", "ANSI", "BIG5", "1253", "ISO-8859-5", "UTF-16", "8525",
                             "12500", "ANSI 1250 x"})
        EXPECT_FALSE(engine::codePageFromCpg(QString::fromUtf8(text)).has_value()) << text;
}

TEST(CodepageNames, DistinctAndReadable) {
    EXPECT_EQ(engine::codePageName(CodePage::Cp852), "cp852");
    EXPECT_EQ(engine::codePageName(CodePage::Utf8), "utf-8");
    QSet<QString> names;
    for (CodePage cp : {CodePage::Cp852, CodePage::Cp437, CodePage::Cp850, CodePage::Cp866,
                        CodePage::Cp1250, CodePage::Cp1251, CodePage::Cp1252, CodePage::Iso8859_1,
                        CodePage::Iso8859_2, CodePage::Utf8})
        names.insert(engine::codePageName(cp));
    EXPECT_EQ(names.size(), 10);
}
