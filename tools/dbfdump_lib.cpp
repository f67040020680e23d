#include "tools/dbfdump_lib.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace dbfdump {

namespace {

QString hexByte(unsigned v) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
}

bool isPad(char c) {
    return c == ' ' || c == '\0';
}

// [begin, end) of `data` without the given characters at the ends.
std::pair<int, int> trimmedRange(const char* data, int width, bool left, bool (*pad)(char)) {
    int begin = 0;
    int end = width;
    while (end > begin && pad(data[end - 1]))
        --end;
    if (left) {
        while (begin < end && pad(data[begin]))
            ++begin;
    }
    return {begin, end};
}

QString decodeRange(engine::CodePage cp, const char* data, std::pair<int, int> r) {
    return engine::decode(cp, data + r.first, r.second - r.first);
}

QString printableType(char type) {
    const auto t = static_cast<unsigned char>(type);
    return t > 0x20 && t < 0x7F ? QString(QLatin1Char(type)) : hexByte(t);
}

QString sourceText(const CodePageChoice& choice, const QString& cpgName) {
    switch (choice.source) {
    case CodePageSource::Cpg:
        return QStringLiteral("(.cpg: %1)").arg(cpgName);
    case CodePageSource::LanguageDriver:
        return QStringLiteral("(29. bájt)");
    case CodePageSource::Default:
        break;
    }
    return QStringLiteral("(alapértelmezés)");
}

} // namespace

CodePageChoice chooseCodePage(std::uint8_t languageDriver, const std::optional<QString>& cpgText,
                              const QString& cpgName) {
    CodePageChoice choice;
    if (cpgText) {
        if (const auto cp = engine::codePageFromCpg(*cpgText)) {
            choice.codePage = *cp;
            choice.source = CodePageSource::Cpg;
            return choice;
        }
        choice.warning = QStringLiteral("%1: ismeretlen kódlap: \"%2\"; nem ezt használom")
                             .arg(cpgName, cpgText->trimmed());
    }
    if (languageDriver != 0) {
        if (const auto cp = engine::codePageForLanguageDriver(languageDriver)) {
            choice.codePage = *cp;
            choice.source = CodePageSource::LanguageDriver;
            return choice;
        }
        const QString w = QStringLiteral("ismeretlen nyelvimeghajtó-jel a 29. bájtban (%1); "
                                         "a szöveget cp852 szerint olvasom")
                              .arg(hexByte(languageDriver));
        choice.warning = choice.warning.isEmpty() ? w : choice.warning + QStringLiteral("; ") + w;
    }
    return choice;
}

QString fieldText(char type, const char* data, int width, engine::CodePage cp) {
    if (width <= 0) return QString();
    switch (type) {
    case 'C':
        return decodeRange(cp, data,
                           trimmedRange(data, width, false, [](char c) { return c == ' '; }));
    case 'N':
    case 'F':
        return decodeRange(cp, data, trimmedRange(data, width, true, isPad));
    case 'D': {
        const auto r = trimmedRange(data, width, true, isPad);
        if (r.first == r.second) return QString();
        return engine::decode(cp, data, width);
    }
    case 'L':
        return engine::decode(cp, data, width);
    case 'M':
        if (width == 10) return decodeRange(cp, data, trimmedRange(data, width, true, isPad));
        break;
    default:
        break;
    }
    return QStringLiteral("hex:") + QString::fromLatin1(QByteArray(data, width).toHex());
}

QString fieldName(const engine::FieldDef& field, engine::CodePage cp) {
    const QByteArray raw = field.name.toLatin1();
    return engine::decode(cp, raw.constData(), int(raw.size()));
}

QString csvValue(const QString& value) {
    const bool quote = value.contains(u',') || value.contains(u'"') || value.contains(u'\r') ||
                       value.contains(u'\n');
    if (!quote) return value;
    QString v = value;
    v.replace(u'"', QStringLiteral("\"\""));
    return u'"' + v + u'"';
}

QByteArray csvLine(const QStringList& values) {
    QString line;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0) line += u',';
        line += csvValue(values[i]);
    }
    QByteArray out = line.toUtf8();
    out += "\r\n";
    return out;
}

QByteArray csvHeader(const engine::DbfHeader& header, engine::CodePage cp) {
    QStringList names{QStringLiteral("_deleted")};
    for (const engine::FieldDef& f : header.fields)
        names << fieldName(f, cp);
    return csvLine(names);
}

QByteArray csvRecord(const engine::DbfHeader& header, const char* record, engine::CodePage cp) {
    QStringList values;
    values.reserve(qsizetype(header.fields.size()) + 1);
    values << (record[0] == '*' ? QStringLiteral("*") : QString());
    for (const engine::FieldDef& f : header.fields)
        values << fieldText(f.type, record + f.offset, f.width, cp);
    return csvLine(values);
}

QString headerReport(const QString& path, const engine::DbfHeader& header,
                     const CodePageChoice& choice, const QString& cpgName) {
    const std::vector<std::pair<QString, QString>> facts = {
        {QStringLiteral("Állomány"), path},
        {QStringLiteral("Verzióbájt"), hexByte(header.version)},
        {QStringLiteral("Utolsó módosítás"), QStringLiteral("%1-%2-%3")
                                                 .arg(header.year, 4, 10, QLatin1Char('0'))
                                                 .arg(header.month, 2, 10, QLatin1Char('0'))
                                                 .arg(header.day, 2, 10, QLatin1Char('0'))},
        {QStringLiteral("Rekordok száma"), QString::number(header.recordCount)},
        {QStringLiteral("Fejléc hossza"), QString::number(header.headerLength)},
        {QStringLiteral("Rekord hossza"), QString::number(header.recordLength)},
        {QStringLiteral("28. bájt"), hexByte(header.indexFlag)},
        {QStringLiteral("29. bájt"), hexByte(header.languageDriver)},
        {QStringLiteral("Kódlap"),
         engine::codePageName(choice.codePage) + u' ' + sourceText(choice, cpgName)},
        {QStringLiteral("Mezők száma"), QString::number(header.fields.size())},
    };
    qsizetype labelWidth = 0;
    for (const auto& fact : facts)
        labelWidth = std::max(labelWidth, fact.first.size() + 1);

    QString out;
    for (const auto& [label, value] : facts)
        out += (label + u':').leftJustified(labelWidth + 1) + value + u'\n';

    QStringList names;
    qsizetype nameWidth = 3;
    for (const engine::FieldDef& f : header.fields) {
        names << fieldName(f, choice.codePage);
        nameWidth = std::max(nameWidth, names.back().size());
    }
    out += u'\n';
    out += QStringLiteral("%1  %2  %3  %4  %5  %6\n")
               .arg(QStringLiteral("#"), 4)
               .arg(QStringLiteral("Név"), -int(nameWidth))
               .arg(QStringLiteral("Típus"))
               .arg(QStringLiteral("Hossz"))
               .arg(QStringLiteral("Tized."))
               .arg(QStringLiteral("Kezdet"));
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const engine::FieldDef& f = header.fields[i];
        out += QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                   .arg(i + 1, 4)
                   .arg(names[qsizetype(i)], -int(nameWidth))
                   .arg(printableType(f.type), -5)
                   .arg(f.width, 5)
                   .arg(f.decimals, 6)
                   .arg(f.offset, 6);
    }
    return out;
}

QString usage() {
    return QStringLiteral(
        "Használat: dbfdump [--csv] ÁLLOMÁNY\n"
        "           dbfdump --help\n"
        "\n"
        "Egy dBase (.dbf) állomány tartalmát írja ki, hibakereséshez.\n"
        "\n"
        "  (kapcsoló nélkül)  a fejléc adatai: verzióbájt, utolsó módosítás, rekordok\n"
        "                     száma, fejléc- és rekordhossz, a 28. és a 29. bájt, a\n"
        "                     szöveg kódlapja, majd a mezők (típus, hossz, tizedesek,\n"
        "                     kezdet a rekordon belül)\n"
        "  --csv              a rekordok UTF-8 CSV-ként (RFC 4180; minden sor CR LF-fel\n"
        "                     végződik). Az első sor: _deleted és a mezőnevek az\n"
        "                     állomány sorrendjében; utána rekordonként egy sor, a\n"
        "                     _deleted oszlopban \"*\" a törölt rekordnál. Vesszőt,\n"
        "                     idézőjelet, CR-t vagy LF-et tartalmazó érték idézőjelek\n"
        "                     közé kerül, benne az idézőjel megkettőzve.\n"
        "  --help             ez a leírás\n"
        "\n"
        "Az értékek: C a jobb oldali szóközök nélkül; N és F a tárolt szöveg a két\n"
        "szélén lévő szóközök és NUL bájtok nélkül; D a tárolt ÉÉÉÉHHNN, üres dátumnál\n"
        "üres; L a tárolt karakter; M a tárolt blokkszám; más típus \"hex:\" és a\n"
        "tárolt bájtok tizenhatos számrendszerben.\n"
        "\n"
        "A szöveg kódlapja: az állomány melletti .cpg (a név kis- és nagybetűitől\n"
        "függetlenül), ha van; különben a 29. bájt (nyelvi meghajtó); ha az 0, cp852.\n"
        "\n"
        "Kilépési kód: 0 siker; 1 hiányzó, olvashatatlan vagy sérült állomány;\n"
        "2 hibás parancssor.\n");
}

} // namespace dbfdump
