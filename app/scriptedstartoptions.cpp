#include "app/scriptedstartoptions.h"

namespace app {

std::optional<ScriptedStartOptions> scriptedStartOptions(const QStringList& arguments,
                                                         QString* error) {
    ScriptedStartOptions o;
    bool any = false, password = false, period = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (!a.startsWith(QLatin1String("--proba-"))) continue;
        any = true;
        if (i + 1 >= arguments.size()) {
            *error = QStringLiteral("Hiányzik a(z) %1 értéke.").arg(a);
            return std::nullopt;
        }
        const QString value = arguments.at(++i);
        bool ok = true;
        if (a == QLatin1String("--proba-jelszo")) {
            o.password = value;
            password = true;
        } else if (a == QLatin1String("--proba-idoszak")) {
            o.period = value;
            period = true;
        } else if (a == QLatin1String("--proba-tartas")) {
            o.holdMs = value.toInt(&ok);
            ok = ok && o.holdMs >= 0;
        } else {
            *error = QStringLiteral("Ismeretlen kapcsoló: %1").arg(a);
            return std::nullopt;
        }
        if (!ok) {
            *error = QStringLiteral("Hibás érték: %1 %2").arg(a, value);
            return std::nullopt;
        }
    }
    if (!any) return std::nullopt;
    if (!password || !period) {
        *error = QStringLiteral("A próbaindításhoz a --proba-jelszo és a --proba-idoszak is kell.");
        return std::nullopt;
    }
    return o;
}

} // namespace app
