#include "ui/fieldrule.h"

#include "engine/codepage.h"

namespace ui {

namespace {

int narrowed(int column, int input) {
    return input > 0 && (column <= 0 || input < column) ? input : column;
}

// The line-breaking controls, which stand between words.
bool breaksLine(QChar c) {
    const char16_t u = c.unicode();
    return u == u'\t' || u == u'\n' || u == u'\r' || u == 0x0B || u == 0x0C || u == 0x85 ||
           u == 0x2028 || u == 0x2029;
}

QString quoted(const QString& s) {
    return QStringLiteral("„") + s + QStringLiteral("”");
}

QString field(const FieldRule& rule) {
    return QStringLiteral("A(z) ") + quoted(rule.label) + QStringLiteral(" mezőbe ");
}

} // namespace

FieldRule ruleOf(const engine::FieldDef& column, const QString& label, int inputWidth) {
    FieldRule r;
    r.label = label;
    r.kind = column.type == 'N' && column.decimals == 0 ? FieldRule::Kind::Digits
                                                        : FieldRule::Kind::Text;
    r.width = narrowed(column.width, inputWidth);
    return r;
}

FieldRule digitsOf(const engine::FieldDef& column, const QString& label, int inputWidth) {
    FieldRule r = ruleOf(column, label, inputWidth);
    r.kind = FieldRule::Kind::Digits;
    return r;
}

bool isControl(QChar c) {
    return c.category() == QChar::Other_Control || breaksLine(c);
}

QString printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool gap = false;
    for (const QChar c : text) {
        if (breaksLine(c)) {
            gap = true;
            continue;
        }
        if (isControl(c)) continue;
        if (gap && !out.isEmpty() && !out.back().isSpace() && c != u' ') out += u' ';
        gap = false;
        out += c;
    }
    if (gap && !out.isEmpty() && !out.back().isSpace()) out += u' ';
    return out;
}

QString characterAt(const QString& text, int i) {
    const bool pair =
        i + 1 < text.size() && text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate();
    return text.mid(i, pair ? 2 : 1);
}

int notStorable(const QString& text) {
    int bad = -1;
    if (engine::encode852(text, &bad)) return -1;
    return bad;
}

QString digitsOnlyText(const FieldRule& rule) {
    return field(rule) + QStringLiteral("csak számjegyek írhatók, előjel nélkül!");
}

QString notStorableText(const FieldRule& rule, const QString& c) {
    return field(rule) + QStringLiteral("nem írható a(z) ") + quoted(c) +
           QStringLiteral(" karakter, mert az adatállomány nem tudja tárolni!");
}

QString tooLongText(const FieldRule& rule) {
    return field(rule) + QStringLiteral("legfeljebb %1 karakter írható!").arg(rule.width);
}

QString fault(const FieldRule& rule, const QString& text) {
    const QString t = printable(text);
    if (const int bad = notStorable(t); bad >= 0) return notStorableText(rule, characterAt(t, bad));
    if (rule.kind == FieldRule::Kind::Digits) {
        for (const QChar c : t.trimmed())
            if (c < u'0' || c > u'9') return digitsOnlyText(rule);
    }
    if (rule.width > 0 && t.size() > rule.width) return tooLongText(rule);
    return {};
}

} // namespace ui
