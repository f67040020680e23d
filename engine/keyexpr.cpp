#include "engine/keyexpr.h"

#include "engine/collation.h"
#include "engine/dberror.h"

#include <QRegularExpression>
#include <cstring>

namespace engine {

namespace {

DbError bad(const QString& path, const QString& text) {
    return DbError(DbError::Kind::Usage, path,
                   QStringLiteral("ismeretlen indexkifejezés: \"%1\"").arg(text));
}

int findField(const std::vector<FieldDef>& fields, const QString& name) {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

} // namespace

KeyExpr KeyExpr::parse(const QString& text, const std::vector<FieldDef>& fields,
                       const QString& path) {
    static const QRegularExpression fn(
        QStringLiteral(
            "^(dtos|dtoc|str)\\s*\\(\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*(?:,\\s*(\\d+)\\s*)?\\)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    KeyExpr e;
    e.text_ = text;
    const QStringList terms = text.split(QLatin1Char('+'));
    for (QString term : terms) {
        term = term.trimmed();
        Component c{Kind::Field, -1, 0, e.length_};
        if (plain.match(term).hasMatch()) {
            c.field = findField(fields, term);
            if (c.field < 0) throw bad(path, text);
            const FieldDef& f = fields[size_t(c.field)];
            if (f.type == 'D') c.kind = Kind::Dtos;
            c.width = f.width;
        } else if (auto m = fn.match(term); m.hasMatch()) {
            const QString name = m.captured(1).toLower();
            c.field = findField(fields, m.captured(2));
            if (c.field < 0) throw bad(path, text);
            const FieldDef& f = fields[size_t(c.field)];
            if (name == QLatin1String("dtos") || name == QLatin1String("dtoc")) {
                if (f.type != 'D' || !m.captured(3).isEmpty()) throw bad(path, text);
                c.kind = name == QLatin1String("dtos") ? Kind::Dtos : Kind::Dtoc;
                c.width = c.kind == Kind::Dtos ? 8 : 10;
            } else {
                if (f.type != 'N' && f.type != 'F') throw bad(path, text);
                c.kind = Kind::Str;
                c.width = m.captured(3).isEmpty() ? 10 : m.captured(3).toInt();
                if (c.width < 1 || c.width > 30) throw bad(path, text);
            }
        } else {
            throw bad(path, text);
        }
        e.length_ += c.width;
        e.parts_.push_back(c);
    }
    if (e.parts_.empty() || e.length_ > 240) throw bad(path, text);
    return e;
}

void KeyExpr::weigh(char* bytes, int len) {
    const std::uint8_t* w = collationWeights852();
    for (int i = 0; i < len; ++i)
        bytes[i] = char(w[std::uint8_t(bytes[i])]);
}

void KeyExpr::build(const char* record, const std::vector<FieldDef>& fields, char* out) const {
    char* p = out;
    for (const Component& c : parts_) {
        const FieldDef& f = fields[size_t(c.field)];
        const char* src = record + f.offset;
        switch (c.kind) {
        case Kind::Field:
            memcpy(p, src, size_t(c.width));
            break;
        case Kind::Dtos:
            memcpy(p, src, 8);
            break;
        case Kind::Dtoc:
            // The program's date format: YYYY.MM.DD; a blank date stays blank.
            if (src[0] == ' ' || src[0] == 0) {
                memset(p, ' ', 10);
            } else {
                memcpy(p, src, 4);
                p[4] = '.';
                memcpy(p + 5, src + 4, 2);
                p[7] = '.';
                memcpy(p + 8, src + 6, 2);
            }
            break;
        case Kind::Str: {
            // str(n,w): the number rounded to an integer, right-aligned;
            // asterisks when it does not fit, as dBase writes it.
            char buf[64];
            int n = 0;
            for (int i = 0; i < f.width && n < 63; ++i)
                if (src[i] != ' ' && src[i] != 0) buf[n++] = src[i];
            buf[n] = 0;
            QByteArray txt;
            if (n > 0) {
                bool ok = false;
                const double v = QByteArray(buf, n).toDouble(&ok);
                if (ok) txt = QByteArray::number(qint64(v < 0 ? v - 0.5 : v + 0.5));
            }
            if (txt.size() > c.width) {
                memset(p, '*', size_t(c.width));
            } else {
                memset(p, ' ', size_t(c.width - txt.size()));
                memcpy(p + c.width - txt.size(), txt.constData(), size_t(txt.size()));
            }
            break;
        }
        }
        p += c.width;
    }
    weigh(out, length_);
}

} // namespace engine
