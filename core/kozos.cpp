#include "core/kozos.h"

#include "engine/table.h"
#include "ui/messages.h"

namespace kozos {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool allDigits(const QString& text) {
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (!isAsciiDigit(c)) return false;
    return true;
}

// Texts compare code unit by code unit, a prefix lower than the longer text;
// for the digits, points and blanks of dates this is the byte order.
int compare(const QString& a, const QString& b) {
    return QString::compare(a, b);
}

// The three rules shared by birth dates and care dates.
bool dateInRange(ui::Messages& msg, const QString& date, core::Idoszak currentPeriod,
                 const QString& lowest, const QString& tooEarlyText) {
    if (!currentPeriod.isValid()) return false;
    const QString lastDay = currentPeriod.lastDay().toString(QStringLiteral("yyyy.MM.dd"));
    bool ok = true;
    if (!datumjo(date)) {
        msg.error(QStringLiteral("Érvénytelen dátum!!"));
        ok = false;
    }
    if (compare(date, lowest) < 0) {
        msg.error(tooEarlyText);
        ok = false;
    }
    if (compare(date, lastDay) > 0) {
        msg.error(QStringLiteral("Nem adhat meg az elszámolási időszakot követő dátumot!"));
        ok = false;
    }
    return ok;
}

} // namespace

// Code 255 reaches a text in several guises: U+00A0 from byte 255 of a cp852
// table, U+02D9 from byte 255 of a cp1250 text, U+00FF typed as Latin-1.
bool ures(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u != u' ' && u != 0 && u != 0x00A0 && u != 0x02D9 && u != 0x00FF) return false;
    }
    return true;
}

bool kotelezo(ui::Messages& msg, const QString& text) {
    if (!ures(text)) return true;
    msg.error(QStringLiteral("A mező kitöltése kötelező!"));
    return false;
}

bool datumjo(const QString& text) {
    const QString digits = text.mid(0, 4) + text.mid(5, 2) + text.mid(8, 2);
    if (!allDigits(digits)) return false;
    return QDate::fromString(text, QStringLiteral("yyyy.MM.dd")).isValid();
}

bool idoszakell(ui::Messages& msg, const QString& period, QDate today) {
    const QString first = period + QStringLiteral(".01");
    bool ok = true;
    if (!datumjo(first)) {
        msg.error(QStringLiteral("Érvénytelen időszak!!"));
        ok = false;
    }
    // Compared as text, so that a broken entry gets this message too.
    const QString lastBefore =
        core::hatar::elsoLap.plusMonths(-1).firstDay().toString(QStringLiteral("yyyy.MM.dd"));
    if (compare(first, lastBefore) <= 0) {
        msg.error(QStringLiteral("Nem adhat meg 1999.06 előtti időszakot!"));
        ok = false;
    }
    if (compare(first, today.toString(QStringLiteral("yyyy.MM.dd"))) > 0) {
        msg.error(QStringLiteral("Nem adhat meg előre időszakot!"));
        ok = false;
    }
    return ok;
}

bool szulidoell(ui::Messages& msg, const QString& date, core::Idoszak currentPeriod) {
    return dateInRange(msg, date, currentPeriod, QStringLiteral("1895.01.01"),
                       QStringLiteral("Hibás dátum! 1895 előtti nem lehet!"));
}

bool datumell(ui::Messages& msg, const QString& date, core::Idoszak currentPeriod) {
    return dateInRange(msg, date, currentPeriod, QStringLiteral("1996.10.01"),
                       QStringLiteral("Hibás dátum! 1996.10.01 előtti nem lehet!"));
}

bool egeszSzam(const QString& text, int* value) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9 || !allDigits(t)) return false;
    if (value) *value = t.toInt();
    return true;
}

bool tajell(const QString& text) {
    if (ures(text)) return true;
    if (text.size() != 9 || !allDigits(text)) return false;
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += (text[i].unicode() - u'0') * (i % 2 == 0 ? 3 : 7);
    return text[8].unicode() - u'0' == sum % 10;
}

bool zkodell(ui::Messages& msg, const QString& code, int kind) {
    const bool chapterZ = code.startsWith(QLatin1Char('Z'));
    if (chapterZ && kind != BnoBefolyasol) {
        msg.error(QStringLiteral("Nem lehet \"Z\"-s kódot beírni!"));
        return false;
    }
    if (!chapterZ && kind == BnoBefolyasol) {
        msg.error(QStringLiteral("Csak \"Z\"-s kódot beírni!"));
        return false;
    }
    return true;
}

QString ketjegyu(int n) {
    const QString digits = QString::number(n);
    return n <= 9 ? QLatin1Char('0') + digits : digits;
}

bool egyike(const QString& text, const QString& list) {
    return text.size() == 1 && list.contains(text[0]);
}

QString jobbtolt(const QString& text, int width, const QString& fill) {
    if (width <= 0) return QString();
    const QString f = fill.isEmpty() ? QStringLiteral(" ") : fill;
    const QString cut = text.left(width);
    return (cut + f.repeated((width - cut.size()) / f.size() + 1)).left(width);
}

QString baltolt(const QString& text, int width, const QString& fill) {
    if (width <= 0) return QString();
    const QString f = fill.isEmpty() ? QStringLiteral(" ") : fill;
    const QString cut = text.left(width);
    return (f.repeated((width - cut.size()) / f.size()) + cut).left(width);
}

bool mezokeres(const QString& field, const QString& value, engine::Table& table) {
    try {
        return table.locate(field, value);
    } catch (const std::exception&) {
        return false;
    }
}

void dbfjeltorol(const QString& path) {
    engine::clearHeaderFlags(path);
}

} // namespace kozos
