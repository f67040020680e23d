#include "engine/filterexpr.h"

#include "engine/codepage.h"
#include "engine/dberror.h"

#include <QRegularExpression>
#include <cstring>

namespace engine {

struct FilterExpr::Node {
    enum Type { And, Or, Not, Compare, IsNull } type;
    enum Op { Eq, Ne, Lt, Le, Gt, Ge } op = Eq;
    std::shared_ptr<const Node> left, right;
    int field = -1;
    QByteArray literal;   // raw cp852 (C), YYYYMMDD (D) or number text (N)
    double number = 0;    // the literal as a number for N fields
    bool numeric = false; // literal parsed as a number
    bool negate = false;  // IsNull: "is not null" / "<>null"
};

namespace {

struct Token {
    enum Kind { Ident, String, Number, Op, LParen, RParen, End } kind;
    QString text;
};

class Parser {
public:
    Parser(const QString& text, const std::vector<FieldDef>& fields, const QString& path)
        : text_(text), fields_(fields), path_(path) {
        tokenize();
    }

    std::shared_ptr<const FilterExpr::Node> parse() {
        auto n = parseOr();
        if (peek().kind != Token::End) fail();
        return n;
    }

private:
    using NodeP = std::shared_ptr<const FilterExpr::Node>;
    using N = FilterExpr::Node;

    [[noreturn]] void fail() const {
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("hibás szűrőfeltétel: \"%1\"").arg(text_));
    }

    void tokenize() {
        int i = 0;
        const int n = int(text_.size());
        while (i < n) {
            const QChar c = text_.at(i);
            if (c.isSpace()) {
                ++i;
            } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                const int end = int(text_.indexOf(c, i + 1));
                if (end < 0) fail();
                toks_.push_back({Token::String, text_.mid(i + 1, end - i - 1)});
                i = end + 1;
            } else if (c == QLatin1Char('(')) {
                toks_.push_back({Token::LParen, QStringLiteral("(")});
                ++i;
            } else if (c == QLatin1Char(')')) {
                toks_.push_back({Token::RParen, QStringLiteral(")")});
                ++i;
            } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=') ||
                       c == QLatin1Char('!')) {
                QString op(c);
                if (i + 1 < n && (text_.at(i + 1) == QLatin1Char('=') ||
                                  (c == QLatin1Char('<') && text_.at(i + 1) == QLatin1Char('>'))))
                    op += text_.at(++i);
                ++i;
                if (op == QLatin1String("!")) fail();
                toks_.push_back({Token::Op, op});
            } else if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.')) {
                int j = i + 1;
                while (j < n && (text_.at(j).isDigit() || text_.at(j) == QLatin1Char('.')))
                    ++j;
                toks_.push_back({Token::Number, text_.mid(i, j - i)});
                i = j;
            } else if (c.isLetter() || c == QLatin1Char('_')) {
                int j = i + 1;
                while (j < n && (text_.at(j).isLetterOrNumber() || text_.at(j) == QLatin1Char('_')))
                    ++j;
                toks_.push_back({Token::Ident, text_.mid(i, j - i)});
                i = j;
            } else {
                fail();
            }
        }
        toks_.push_back({Token::End, {}});
        // Parsing, judging and freeing a filter recurse as deep as it nests:
        // a text far longer than any real filter is refused, not followed.
        if (toks_.size() > kMaxTokens)
            throw DbError(DbError::Kind::Usage, path_,
                          QStringLiteral("túl hosszú szűrőfeltétel (%1 elem)").arg(toks_.size()));
    }
    static constexpr size_t kMaxTokens = 2000;

    const Token& peek() const { return toks_[pos_]; }
    Token take() { return toks_[pos_++]; }
    bool keyword(const char* kw) const {
        return peek().kind == Token::Ident &&
               peek().text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
    }

    NodeP parseOr() {
        NodeP l = parseAnd();
        while (keyword("or")) {
            take();
            auto n = std::make_shared<N>();
            n->type = N::Or;
            n->left = l;
            n->right = parseAnd();
            l = n;
        }
        return l;
    }
    NodeP parseAnd() {
        NodeP l = parseUnary();
        while (keyword("and")) {
            take();
            auto n = std::make_shared<N>();
            n->type = N::And;
            n->left = l;
            n->right = parseUnary();
            l = n;
        }
        return l;
    }
    NodeP parseUnary() {
        if (keyword("not")) {
            take();
            auto n = std::make_shared<N>();
            n->type = N::Not;
            n->left = parseUnary();
            return n;
        }
        if (peek().kind == Token::LParen) {
            take();
            NodeP n = parseOr();
            if (take().kind != Token::RParen) fail();
            return n;
        }
        return parseComparison();
    }

    int fieldOf(const Token& t) const {
        if (t.kind != Token::Ident) fail();
        for (size_t i = 0; i < fields_.size(); ++i)
            if (fields_[i].name.compare(t.text, Qt::CaseInsensitive) == 0) return int(i);
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("a szűrőfeltételben ismeretlen mező: %1").arg(t.text));
    }

    NodeP parseComparison() {
        auto n = std::make_shared<N>();
        n->field = fieldOf(take());
        if (keyword("is")) {
            take();
            n->type = N::IsNull;
            if (keyword("not")) {
                take();
                n->negate = true;
            }
            if (!keyword("null")) fail();
            take();
            return n;
        }
        const Token op = take();
        if (op.kind != Token::Op) fail();
        static const QStringList ops = {"=", "<>", "<", "<=", ">", ">=", "!="};
        const int k = int(ops.indexOf(op.text));
        if (k < 0) fail();
        n->op = k == 6 ? N::Ne : N::Op(k);
        if (keyword("null")) {
            take();
            if (n->op != N::Eq && n->op != N::Ne) fail();
            n->type = N::IsNull;
            n->negate = n->op == N::Ne;
            return n;
        }
        const Token lit = take();
        if (lit.kind != Token::String && lit.kind != Token::Number) fail();
        n->type = N::Compare;
        const FieldDef& f = fields_[size_t(n->field)];
        if (f.type == 'D') {
            n->literal = dateLiteral(lit.text);
        } else if (f.type == 'N' || f.type == 'F') {
            bool ok = false;
            n->number = lit.text.trimmed().toDouble(&ok);
            n->numeric = ok;
            n->literal = lit.text.toLatin1();
        } else {
            auto enc = encode852(lit.text);
            if (!enc) fail();
            n->literal = *enc;
        }
        return n;
    }

    // Dates compare as YYYYMMDD; literals may come as YYYY.MM.DD, DD.MM.YYYY,
    // YYYY-MM-DD or YYYYMMDD. Anything else compares as written, without points.
    static QByteArray dateLiteral(const QString& s) {
        static const QRegularExpression dmy(QStringLiteral("^(\\d{2})\\.(\\d{2})\\.(\\d{4})$"));
        if (auto m = dmy.match(s.trimmed()); m.hasMatch())
            return (m.captured(3) + m.captured(2) + m.captured(1)).toLatin1();
        QString t = s.trimmed();
        t.remove(QLatin1Char('.'));
        t.remove(QLatin1Char('-'));
        return t.toLatin1();
    }

    QString text_;
    const std::vector<FieldDef>& fields_;
    QString path_;
    std::vector<Token> toks_;
    size_t pos_ = 0;
};

bool blankBytes(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0) return false;
    return true;
}

int compareBytes(const char* a, int na, const QByteArray& b) {
    const int n = std::min(na, int(b.size()));
    const int r = memcmp(a, b.constData(), size_t(n));
    if (r != 0) return r;
    return na < b.size() ? -1 : (na > b.size() ? 1 : 0);
}

bool apply(FilterExpr::Node::Op op, int cmp) {
    using N = FilterExpr::Node;
    switch (op) {
    case N::Eq:
        return cmp == 0;
    case N::Ne:
        return cmp != 0;
    case N::Lt:
        return cmp < 0;
    case N::Le:
        return cmp <= 0;
    case N::Gt:
        return cmp > 0;
    case N::Ge:
        return cmp >= 0;
    }
    return false;
}

bool eval(const FilterExpr::Node& n, const char* rec, const std::vector<FieldDef>& fields) {
    using N = FilterExpr::Node;
    switch (n.type) {
    case N::And:
        return eval(*n.left, rec, fields) && eval(*n.right, rec, fields);
    case N::Or:
        return eval(*n.left, rec, fields) || eval(*n.right, rec, fields);
    case N::Not:
        return !eval(*n.left, rec, fields);
    case N::IsNull: {
        const FieldDef& f = fields[size_t(n.field)];
        return blankBytes(rec + f.offset, f.width) != n.negate;
    }
    case N::Compare: {
        const FieldDef& f = fields[size_t(n.field)];
        const char* p = rec + f.offset;
        int len = f.width;
        if (f.type == 'N' || f.type == 'F') {
            while (len > 0 && (*p == ' ' || *p == 0)) {
                ++p;
                --len;
            }
            while (len > 0 && (p[len - 1] == ' ' || p[len - 1] == 0))
                --len;
            if (len > 0 && n.numeric) {
                bool ok = false;
                const double v = QByteArray(p, len).toDouble(&ok);
                if (ok) return apply(n.op, v < n.number ? -1 : (v > n.number ? 1 : 0));
            }
            return apply(n.op, compareBytes(p, len, n.literal));
        }
        while (len > 0 && (p[len - 1] == ' ' || p[len - 1] == 0))
            --len;
        return apply(n.op, compareBytes(p, len, n.literal));
    }
    }
    return false;
}

} // namespace

FilterExpr FilterExpr::parse(const QString& text, const std::vector<FieldDef>& fields,
                             const QString& path) {
    FilterExpr e;
    e.text_ = text;
    if (text.trimmed().isEmpty()) return e;
    e.ownFields_ = fields;
    Parser p(text, e.ownFields_, path);
    e.root_ = p.parse();
    return e;
}

bool FilterExpr::matches(const char* record) const {
    return !root_ || eval(*root_, record, ownFields_);
}

namespace {

// Collects the comparisons of character fields with texts along a chain of
// "and"s: each one bounds every passing record.
void collectRanges(const FilterExpr::Node& n, const std::vector<FieldDef>& fields,
                   std::vector<FilterExpr::Range>& out) {
    using N = FilterExpr::Node;
    if (n.type == N::And) {
        collectRanges(*n.left, fields, out);
        collectRanges(*n.right, fields, out);
        return;
    }
    if (n.type != N::Compare || n.op == N::Ne || fields[size_t(n.field)].type != 'C') return;
    FilterExpr::Range* r = nullptr;
    for (auto& x : out)
        if (x.field == n.field) r = &x;
    if (!r) {
        out.push_back({});
        r = &out.back();
        r->field = n.field;
    }
    const bool lower = n.op == N::Eq || n.op == N::Ge || n.op == N::Gt;
    const bool upper = n.op == N::Eq || n.op == N::Le || n.op == N::Lt;
    // Of two bounds on one side the tighter one counts.
    if (lower && (!r->hasLo || n.literal > r->lo)) {
        r->lo = n.literal;
        r->hasLo = true;
    }
    if (upper && (!r->hasHi || n.literal < r->hi)) {
        r->hi = n.literal;
        r->hasHi = true;
    }
}

} // namespace

std::vector<FilterExpr::Range> FilterExpr::ranges() const {
    std::vector<Range> out;
    if (root_) collectRanges(*root_, ownFields_, out);
    return out;
}

} // namespace engine
