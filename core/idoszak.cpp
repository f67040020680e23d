#include "core/idoszak.h"

namespace core {

namespace {

bool digits(QStringView s) {
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return !s.isEmpty();
}

std::optional<Idoszak> make(QStringView y, QStringView m) {
    if (!digits(y) || !digits(m)) return std::nullopt;
    const Idoszak p(y.toInt(), m.toInt());
    if (!p.isValid()) return std::nullopt;
    return p;
}

} // namespace

std::optional<Idoszak> Idoszak::parse(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.size() != 7) return std::nullopt;
    return make(t.left(4), t.mid(5, 2));
}

std::optional<Idoszak> Idoszak::parseCompact(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.size() != 6) return std::nullopt;
    return make(t.left(4), t.mid(4, 2));
}

std::optional<Idoszak> Idoszak::parseAny(QStringView text) {
    if (auto p = parse(text)) return p;
    return parseCompact(text);
}

QString Idoszak::text() const {
    if (!isValid()) return {};
    return QStringLiteral("%1.%2").arg(ev_, 4, 10, QLatin1Char('0')).arg(ho_, 2, 10, QLatin1Char('0'));
}

QString Idoszak::compactText() const {
    if (!isValid()) return {};
    return QStringLiteral("%1%2").arg(ev_, 4, 10, QLatin1Char('0')).arg(ho_, 2, 10, QLatin1Char('0'));
}

} // namespace core
