// dbfdump end to end: the built program is run on real dBase files written
// by other programs and on small tables written byte by byte here, and its
// output is compared with what the files hold.

#include "engine/codepage.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

#include <cctype>
#include <iostream>
#include <optional>
#include <vector>

// Readable failure messages for Qt strings.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using testsupport::readAll;
using testsupport::TempDir;
using testsupport::writeAll;

namespace {

// --- running the program --------------------------------------------------

struct Result {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Result dbfdump(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(SZ_DBFDUMP), args);
    Result r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        r.err = QStringLiteral("dbfdump did not finish normally");
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// --- reading its output ---------------------------------------------------

// Strict RFC 4180 reader: every line ends with CR LF, a field holding a
// comma, quote, CR or LF must be quoted. Anything else is reported.
std::vector<QStringList> parseCsv(const QByteArray& bytes, QString* error) {
    std::vector<QStringList> rows;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString s = utf8.decode(bytes);
    if (utf8.hasError()) {
        *error = QStringLiteral("output is not valid UTF-8");
        return rows;
    }
    QStringList row;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        QString field;
        if (s[i] == u'"') {
            ++i;
            while (true) {
                if (i >= n) {
                    *error = QStringLiteral("unterminated quoted field");
                    return rows;
                }
                if (s[i] == u'"') {
                    if (i + 1 < n && s[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += s[i++];
            }
        } else {
            while (i < n && s[i] != u',' && s[i] != u'\r') {
                if (s[i] == u'"' || s[i] == u'\n') {
                    *error = QStringLiteral("unquoted quote or LF in row %1").arg(rows.size());
                    return rows;
                }
                field += s[i++];
            }
        }
        row << field;
        if (i < n && s[i] == u',') {
            ++i;
            continue;
        }
        if (i + 1 < n && s[i] == u'\r' && s[i + 1] == u'\n') {
            i += 2;
            rows.push_back(row);
            row.clear();
            continue;
        }
        *error = QStringLiteral("row %1 does not end with CR LF").arg(rows.size());
        return rows;
    }
    return rows;
}

// The plain output: "Label: value" lines, an empty line, the field table.
struct HeaderOutput {
    QMap<QString, QString> facts;
    struct Field {
        QString name, type;
        int width = -1, decimals = -1, offset = -1;
    };
    std::vector<Field> fields;
};

HeaderOutput parseHeaderOutput(const QByteArray& bytes) {
    HeaderOutput h;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    static const QRegularExpression factRe(QStringLiteral("^([^:]+):\\s+(.*)$"));
    static const QRegularExpression fieldRe(
        QStringLiteral("^\\s*(\\d+)\\s+(\\S+)\\s+(\\S+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)\\s*$"));
    bool inTable = false;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty()) {
            inTable = true;
            continue;
        }
        if (!inTable) {
            const auto m = factRe.match(line);
            if (m.hasMatch()) h.facts.insert(m.captured(1), m.captured(2).trimmed());
            continue;
        }
        const auto m = fieldRe.match(line);
        if (!m.hasMatch()) continue; // the column titles
        h.fields.push_back({m.captured(2), m.captured(3), m.captured(4).toInt(),
                            m.captured(5).toInt(), m.captured(6).toInt()});
    }
    return h;
}

// --- the real files -------------------------------------------------------

QString realDir() {
    return testsupport::testData(QStringLiteral("dbf-real"));
}

QJsonObject expectedFor(const QString& file) {
    const QByteArray json = readAll(realDir() + u'/' + file + QStringLiteral(".expected.json"));
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &e);
    if (doc.isNull()) throw std::runtime_error("bad JSON for " + file.toStdString());
    return doc.object();
}

QStringList realFiles(bool invalid) {
    QStringList out;
    const QStringList jsons =
        QDir(realDir()).entryList({QStringLiteral("*.expected.json")}, QDir::Files, QDir::Name);
    for (const QString& j : jsons) {
        const QString file = j.chopped(int(qstrlen(".expected.json")));
        if (expectedFor(file)[QStringLiteral("invalid")].toBool() == invalid) out << file;
    }
    return out;
}

// The expected JSON decodes text with the code page the file really uses.
// dbfdump follows the program's rule instead (.cpg, else the language-driver
// byte, else cp852), and two files carry their code page only in their source
// project's own tests: pyshp-latin1 (Latin-1) and dbffile-dbase_not_latin1
// (Big5), both with byte 29 = 0 and no .cpg. dbfdump reads them as cp852,
// which is right by the rule, so for them the expected text is turned back
// into its bytes and read as cp852 before comparing.
const QMap<QString, QString> kReadAsCp852 = {
    {QStringLiteral("pyshp-latin1.dbf"), QStringLiteral("ISO-8859-1")},
    {QStringLiteral("dbffile-dbase_not_latin1.dbf"), QStringLiteral("windows-950")},
};

// What dbfdump should name as the code page of a file.
QString expectedCodePage(const QString& file, const QJsonObject& exp) {
    if (kReadAsCp852.contains(file)) return QStringLiteral("cp852");
    const QString cp = exp[QStringLiteral("codepage")].toString();
    if (cp == u"ascii") return QStringLiteral("cp852"); // byte 29 = 0, no .cpg in all of them
    if (cp == u"latin-1") return QStringLiteral("iso8859-1");
    return cp;
}

// The expected text as dbfdump prints it. nullopt when it cannot be worked
// out here (ICU lacks the code page, or the text is not in it).
std::optional<QString> asPrinted(const QString& file, const QString& expected) {
    const auto it = kReadAsCp852.constFind(file);
    if (it == kReadAsCp852.constEnd()) return expected;
    QStringEncoder enc(it.value().toLatin1().constData());
    if (!enc.isValid()) return std::nullopt;
    const QByteArray bytes = enc.encode(expected);
    if (enc.hasError()) return std::nullopt;
    return engine::decode852(bytes);
}

class RealFile : public ::testing::TestWithParam<QString> {};

TEST_P(RealFile, CsvHoldsEveryRecord) {
    const QString file = GetParam();
    const QJsonObject exp = expectedFor(file);
    const Result r = dbfdump({QStringLiteral("--csv"), realDir() + u'/' + file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QString error;
    const std::vector<QStringList> rows = parseCsv(r.out, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();

    const QJsonArray fields = exp[QStringLiteral("fields")].toArray();
    const QJsonArray records = exp[QStringLiteral("records")].toArray();
    ASSERT_EQ(qsizetype(rows.size()), records.size() + 1);

    ASSERT_EQ(rows[0].size(), fields.size() + 1);
    EXPECT_EQ(rows[0][0], "_deleted");
    int unchecked = 0;
    for (qsizetype f = 0; f < fields.size(); ++f) {
        const auto name = asPrinted(file, fields[f][QStringLiteral("name")].toString());
        if (name) {
            EXPECT_EQ(rows[0][f + 1], *name) << "field " << f;
        } else {
            ++unchecked;
        }
    }

    for (qsizetype i = 0; i < records.size(); ++i) {
        const QJsonObject rec = records[i].toObject();
        const QStringList& row = rows[size_t(i) + 1];
        ASSERT_EQ(row.size(), fields.size() + 1) << "record " << i;
        EXPECT_EQ(row[0], rec[QStringLiteral("deleted")].toBool() ? "*" : "") << "record " << i;
        const QJsonArray values = rec[QStringLiteral("values")].toArray();
        for (qsizetype f = 0; f < values.size(); ++f) {
            const auto want = asPrinted(file, values[f].toString());
            if (!want) {
                ++unchecked;
                continue;
            }
            EXPECT_EQ(row[f + 1], *want)
                << "record " << i << " field "
                << fields[f][QStringLiteral("name")].toString().toStdString();
        }
    }
    if (unchecked > 0)
        std::cout << file.toStdString() << ": " << unchecked << " value(s) unchecked\n";
}

TEST_P(RealFile, HeaderFacts) {
    const QString file = GetParam();
    const QString path = realDir() + u'/' + file;
    const QJsonObject exp = expectedFor(file);
    const Result r = dbfdump({path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const HeaderOutput h = parseHeaderOutput(r.out);
    const auto fact = [&](const char* label) { return h.facts.value(QString::fromUtf8(label)); };
    const auto hex = [](int v) {
        return QStringLiteral("0x%1").arg(v, 2, 16, QLatin1Char('0')).toUpper().replace("0X", "0x");
    };

    EXPECT_EQ(fact("Verzióbájt"), exp[QStringLiteral("version_hex")].toString());
    const QJsonArray date = exp[QStringLiteral("header_date_bytes")].toArray();
    // The year byte is two digits in most writers' hands (0-79 read as 20xx)
    // and years since 1900 in others'.
    const int y = date[0].toInt();
    const int year = y >= 100 ? 1900 + y : (y < 80 ? 2000 + y : 1900 + y);
    EXPECT_EQ(fact("Utolsó módosítás"), QStringLiteral("%1-%2-%3")
                                            .arg(year)
                                            .arg(date[1].toInt(), 2, 10, QLatin1Char('0'))
                                            .arg(date[2].toInt(), 2, 10, QLatin1Char('0')));
    EXPECT_EQ(fact("Rekordok száma"),
              QString::number(exp[QStringLiteral("record_count_header")].toInt()));
    EXPECT_EQ(fact("Fejléc hossza"), QString::number(exp[QStringLiteral("header_length")].toInt()));
    EXPECT_EQ(fact("Rekord hossza"), QString::number(exp[QStringLiteral("record_length")].toInt()));
    EXPECT_EQ(fact("28. bájt"), hex(std::uint8_t(readAll(path)[28])));
    EXPECT_EQ(fact("29. bájt"), exp[QStringLiteral("ldid_hex")].toString());
    EXPECT_TRUE(fact("Kódlap").startsWith(expectedCodePage(file, exp) + u' '))
        << fact("Kódlap").toStdString();
    const bool hasCpg = exp[QStringLiteral("codepage_source")].toString().contains(".cpg sidecar");
    EXPECT_EQ(fact("Kódlap").contains(".cpg"), hasCpg) << fact("Kódlap").toStdString();

    const QJsonArray fields = exp[QStringLiteral("fields")].toArray();
    EXPECT_EQ(fact("Mezők száma"), QString::number(fields.size()));
    ASSERT_EQ(qsizetype(h.fields.size()), fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QJsonObject f = fields[i].toObject();
        const auto& got = h.fields[size_t(i)];
        if (const auto name = asPrinted(file, f[QStringLiteral("name")].toString())) {
            EXPECT_EQ(got.name, *name) << "field " << i;
        }
        EXPECT_EQ(got.type, f[QStringLiteral("type")].toString()) << "field " << i;
        EXPECT_EQ(got.width, f[QStringLiteral("length")].toInt()) << "field " << i;
        EXPECT_EQ(got.decimals, f[QStringLiteral("decimals")].toInt()) << "field " << i;
        EXPECT_EQ(got.offset, f[QStringLiteral("offset")].toInt()) << "field " << i;
    }
}

std::string testName(const ::testing::TestParamInfo<QString>& info) {
    std::string s = info.param.toStdString();
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

INSTANTIATE_TEST_SUITE_P(Dbfdump, RealFile, ::testing::ValuesIn(realFiles(false)), testName);

class DamagedRealFile : public ::testing::TestWithParam<QString> {};

TEST_P(DamagedRealFile, IsRefusedInBothModes) {
    const QString path = realDir() + u'/' + GetParam();
    for (const QStringList& args :
         {QStringList{path}, QStringList{QStringLiteral("--csv"), path}}) {
        const Result r = dbfdump(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("dbfdump: ") + path + QStringLiteral(": ")))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("sérült"))) << r.err.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Dbfdump, DamagedRealFile, ::testing::ValuesIn(realFiles(true)), testName);

TEST(DbfdumpRealFiles, TheCorpusIsThere) {
    // A missing data folder would otherwise pass as zero parameterised tests.
    EXPECT_GE(realFiles(false).size(), 20);
    EXPECT_GE(realFiles(true).size(), 1);
}

// --- tables written by hand ----------------------------------------------

struct FieldSpec {
    QByteArray name; // stored bytes
    char type;
    int width;
    int decimals = 0;
};

// A dBase III file: header, descriptors, 0x0D, the records as given (each
// the flag byte and the field bytes), and optionally the 0x1A end mark.
QByteArray makeDbf(const std::vector<FieldSpec>& fields, const std::vector<QByteArray>& records,
                   std::uint8_t languageDriver = 0, bool endMark = true,
                   std::uint8_t version = 0x03) {
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    int recordLength = 1;
    for (const FieldSpec& f : fields)
        recordLength += f.width;
    QByteArray h(headerLength, '\0');
    h[0] = char(version);
    h[1] = char(124); // 2024-03-15
    h[2] = char(3);
    h[3] = char(15);
    const quint32 count = quint32(records.size());
    for (int i = 0; i < 4; ++i)
        h[4 + i] = char((count >> (8 * i)) & 0xFF);
    h[8] = char(headerLength & 0xFF);
    h[9] = char(headerLength >> 8);
    h[10] = char(recordLength & 0xFF);
    h[11] = char(recordLength >> 8);
    h[29] = char(languageDriver);
    int pos = 32;
    for (const FieldSpec& f : fields) {
        h.replace(pos, int(f.name.size()), f.name);
        h[pos + 11] = f.type;
        h[pos + 16] = char(f.width);
        h[pos + 17] = char(f.decimals);
        pos += 32;
    }
    h[pos] = 0x0D;
    QByteArray out = h;
    for (const QByteArray& r : records) {
        if (r.size() != recordLength) throw std::runtime_error("record length in the test");
        out += r;
    }
    if (endMark) out += char(0x1A);
    return out;
}

// A record: the flag and each value padded with blanks to its width.
QByteArray rec(const std::vector<FieldSpec>& fields, bool deleted,
               const std::vector<QByteArray>& values) {
    QByteArray r(1, deleted ? '*' : ' ');
    for (size_t i = 0; i < fields.size(); ++i) {
        QByteArray v = values[i];
        if (v.size() > fields[i].width) throw std::runtime_error("value too wide in the test");
        v += QByteArray(fields[i].width - v.size(), ' ');
        r += v;
    }
    return r;
}

TEST(DbfdumpCsv, QuotesAndKeepsEveryByteAsTheRfcWants) {
    TempDir dir;
    const std::vector<FieldSpec> f = {
        {"NAME", 'C', 16}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D', 8}, {"OK", 'L', 1}};
    const std::vector<QByteArray> records = {
        rec(f, false, {"Kiss, Anna", "   12.50", "19800101", "T"}),
        rec(f, false, {"say \"hi\"", "", "", "?"}),
        rec(f, true, {"two\r\nlines", "-1", "        ", "F"}),
        rec(f, false, {"only\nLF", "0", "20240229", " "}),
        rec(f, false,
            {QByteArray("a\x1a"
                        "b",
                        3),
             "1.5", "", "N"}), // 0x1A is data
        rec(f, false, {"  lead, trail  ", "99999.99", "19000101", "Y"}),
    };
    const QString path = dir.file("quoting.dbf");
    writeAll(path, makeDbf(f, records, 0x64));

    const Result r = dbfdump({QStringLiteral("--csv"), path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray expected = "_deleted,NAME,AMOUNT,BORN,OK\r\n"
                                ",\"Kiss, Anna\",12.50,19800101,T\r\n"
                                ",\"say \"\"hi\"\"\",,,?\r\n"
                                "*,\"two\r\nlines\",-1,,F\r\n"
                                ",\"only\nLF\",0,20240229, \r\n"
                                ",a\x1a"
                                "b,1.5,,N\r\n"
                                ",\"  lead, trail\",99999.99,19000101,Y\r\n";
    EXPECT_EQ(r.out, expected);
    QString error;
    EXPECT_EQ(parseCsv(r.out, &error).size(), 7u);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST(DbfdumpCsv, NumbersLoseNulPaddingAndOtherTypesComeAsHex) {
    TempDir dir;
    const std::vector<FieldSpec> f = {
        {"N", 'N', 6}, {"F", 'F', 6, 2}, {"M", 'M', 10}, {"I", 'I', 4}, {"C", 'C', 4}};
    QByteArray r = rec(f, false, {"", "", "", "", ""});
    r.replace(1, 6, QByteArray("\0\0 42\0", 6));
    r.replace(7, 6, QByteArray(" 3.25\0", 6));
    r.replace(13, 10, QByteArray("        17"));
    r.replace(23, 4, QByteArray("\x01\x00\x00\xff", 4));
    r.replace(27, 4, QByteArray("\0ab ", 4)); // NUL kept, trailing blank dropped
    const QString path = dir.file("types.dbf");
    writeAll(path, makeDbf(f, {r}));

    const Result out = dbfdump({QStringLiteral("--csv"), path});
    ASSERT_EQ(out.exitCode, 0) << out.err.toStdString();
    EXPECT_EQ(out.out, QByteArray("_deleted,N,F,M,I,C\r\n,42,3.25,17,hex:010000ff,") +
                           QByteArray("\0ab\r\n", 5));
}

TEST(DbfdumpCsv, EmptyTableGivesTheHeaderLineOnly) {
    TempDir dir;
    const std::vector<FieldSpec> f = {{"A", 'C', 3}, {"A", 'N', 2}};
    const QString path = dir.file("empty.dbf");
    writeAll(path, makeDbf(f, {}, 0, false));
    const Result r = dbfdump({QStringLiteral("--csv"), path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "_deleted,A,A\r\n"); // a repeated name is printed twice
}

// --- code page choice ----------------------------------------------------

class DbfdumpCodePage : public ::testing::Test {
protected:
    // One C field named "NÉV" in cp852 holding the bytes 8B FB A0: "őűá" in
    // cp852, "‹ű" and a no-break space in cp1250, "‹û" and one in cp1252.
    QString write(const QString& name, std::uint8_t languageDriver) {
        const std::vector<FieldSpec> f = {{"N\x90V", 'C', 5}};
        const QString path = dir.file(name);
        writeAll(path, makeDbf(f, {rec(f, false, {"\x8b\xfb\xa0"})}, languageDriver));
        return path;
    }
    static QString csvText(const Result& r) { return QString::fromUtf8(r.out); }

    TempDir dir;
};

TEST_F(DbfdumpCodePage, NoMarkAndNoCpgMeansCp852) {
    const Result r = dbfdump({QStringLiteral("--csv"), write("t.dbf", 0)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(csvText(r), QStringLiteral("_deleted,NÉV\r\n,őűá\r\n"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(DbfdumpCodePage, LanguageDriverByteNamesIt) {
    EXPECT_EQ(csvText(dbfdump({QStringLiteral("--csv"), write("a.dbf", 0x64)})),
              QStringLiteral("_deleted,NÉV\r\n,őűá\r\n"));
    EXPECT_EQ(csvText(dbfdump({QStringLiteral("--csv"), write("b.dbf", 0x57)})),
              QStringLiteral("_deleted,N\u0090V\r\n,\u2039\u00fb\u00a0\r\n"));
    EXPECT_EQ(csvText(dbfdump({QStringLiteral("--csv"), write("c.dbf", 0xC8)})),
              QStringLiteral("_deleted,N\u0090V\r\n,\u2039\u0171\u00a0\r\n"));
    const HeaderOutput plain = parseHeaderOutput(dbfdump({dir.file("c.dbf")}).out);
    EXPECT_EQ(plain.facts.value(QStringLiteral("Kódlap")), QStringLiteral("cp1250 (29. bájt)"));
}

TEST_F(DbfdumpCodePage, CpgWinsWhateverItsLetterCase) {
    const QString path = write("Tabla.dbf", 0x64);
    writeAll(dir.file("TABLA.CPG"), "ANSI 1250\r\n");
    const Result r = dbfdump({QStringLiteral("--csv"), path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(csvText(r), QStringLiteral("_deleted,N\u0090V\r\n,\u2039\u0171\u00a0\r\n"));
    const HeaderOutput plain = parseHeaderOutput(dbfdump({path}).out);
    EXPECT_EQ(plain.facts.value(QStringLiteral("Kódlap")),
              QStringLiteral("cp1250 (.cpg: TABLA.CPG)"));
}

TEST_F(DbfdumpCodePage, Utf8Cpg) {
    const std::vector<FieldSpec> f = {{"NEV", 'C', 8}};
    const QString path = dir.file("u.DBF");
    writeAll(path, makeDbf(f, {rec(f, false, {"\xc5\x91r\xc3\xbc"})}, 0x64));
    writeAll(dir.file("u.cpg"), "UTF-8");
    EXPECT_EQ(csvText(dbfdump({QStringLiteral("--csv"), path})),
              QStringLiteral("_deleted,NEV\r\n,őrü\r\n"));
}

TEST_F(DbfdumpCodePage, UnknownCpgFallsBackWithAWarning) {
    const QString path = write("w.dbf", 0x64);
    writeAll(dir.file("w.cpg"), "BIG5");
    const Result r = dbfdump({QStringLiteral("--csv"), path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(csvText(r), QStringLiteral("_deleted,NÉV\r\n,őűá\r\n"));
    EXPECT_TRUE(r.err.contains("BIG5")) << r.err.toStdString();
}

TEST_F(DbfdumpCodePage, AnotherTablesCpgIsNotUsed) {
    const QString path = write("one.dbf", 0);
    writeAll(dir.file("one.dbf.cpg"), "ANSI 1250");
    writeAll(dir.file("other.cpg"), "ANSI 1250");
    EXPECT_EQ(csvText(dbfdump({QStringLiteral("--csv"), path})),
              QStringLiteral("_deleted,NÉV\r\n,őűá\r\n"));
}

// --- damaged and missing files --------------------------------------------

class DbfdumpDamaged : public ::testing::Test {
protected:
    void expectRefused(const QString& path, const char* why) {
        for (const QStringList& args :
             {QStringList{path}, QStringList{QStringLiteral("--csv"), path}}) {
            const Result r = dbfdump(args);
            EXPECT_EQ(r.exitCode, 1) << why;
            EXPECT_TRUE(r.out.isEmpty()) << why << ": " << r.out.toStdString();
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("dbfdump: ") + path + QStringLiteral(": ")))
                << why << ": " << r.err.toStdString();
        }
    }
    QString damaged(const char* name, const QByteArray& bytes) {
        const QString path = dir.file(QString::fromLatin1(name));
        writeAll(path, bytes);
        return path;
    }
    static QByteArray real(const char* name) {
        return readAll(realDir() + u'/' + QString::fromLatin1(name));
    }

    TempDir dir;
};

TEST_F(DbfdumpDamaged, ShortHeader) {
    expectRefused(damaged("short.dbf", real("dbfread-people.dbf").left(20)), "20 bytes");
    expectRefused(damaged("empty.dbf", QByteArray()), "0 bytes");
}

TEST_F(DbfdumpDamaged, DescriptorsPastTheEnd) {
    expectRefused(damaged("cut.dbf", real("dbfread-people.dbf").left(40)), "cut in a descriptor");
}

TEST_F(DbfdumpDamaged, RecordLengthNotMatchingTheFields) {
    QByteArray b = real("dbfread-people.dbf");
    b[10] = char(quint8(b[10]) + 1);
    expectRefused(damaged("reclen.dbf", b), "record length + 1");
}

TEST_F(DbfdumpDamaged, TruncatedLastRecord) {
    // pyshp-edit has no 0x1A after its last record, so one byte less cuts it.
    const QByteArray b = real("pyshp-edit.dbf");
    expectRefused(damaged("trunc.dbf", b.chopped(1)), "last record cut");
}

TEST_F(DbfdumpDamaged, MoreRecordsAnnouncedThanTheFileHolds) {
    QByteArray b = real("dbfread-people.dbf");
    b[4] = char(quint8(b[4]) + 2);
    expectRefused(damaged("count.dbf", b), "record count + 2");
}

TEST_F(DbfdumpDamaged, UnknownVersionByte) {
    QByteArray b = real("dbfread-people.dbf");
    b[0] = char(0x99);
    expectRefused(damaged("version.dbf", b), "version 0x99");
}

TEST_F(DbfdumpDamaged, MissingFileOrFolder) {
    expectRefused(dir.file("nincs.dbf"), "missing file");
    expectRefused(dir.path(), "a folder");
}

// --- the command line ----------------------------------------------------

TEST(DbfdumpCommandLine, HelpDescribesTheCsv) {
    const Result r = dbfdump({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    const QString text = QString::fromUtf8(r.out);
    EXPECT_TRUE(text.contains("--csv"));
    EXPECT_TRUE(text.contains("CR LF"));
    EXPECT_TRUE(text.contains("_deleted"));
}

TEST(DbfdumpCommandLine, WrongUseIsRefused) {
    const QString file = realDir() + QStringLiteral("/dbfread-people.dbf");
    for (const QStringList& args :
         {QStringList{}, QStringList{QStringLiteral("--cvs"), file}, QStringList{file, file}}) {
        const Result r = dbfdump(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains("dbfdump")) << r.err.toStdString();
    }
}

} // namespace
