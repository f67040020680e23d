#include "sheet/napokbinding.h"

#include "core/appstate.h"
#include "masters/recordpickwindow.h"
#include "masters/valaszdialog.h"
#include "sheet/lapmentes.h"
#include "sheet/lapujwindow.h"
#include "sheet/napok.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

namespace sheet {

void NapokBinding::attach(LapujWindow& w, core::AppState& st, Pickers p) {
    if (!p.valasz)
        p.valasz = [&st](QWidget* caller, const QString& mode) {
            return masters::pickValasz(st, caller, mode);
        };
    if (!p.apolo)
        p.apolo = [&st](QWidget* caller) -> std::optional<std::pair<QString, QString>> {
            const auto r = masters::pickApol(st, caller);
            if (!r) return std::nullopt;
            return std::make_pair(r->first, r->second);
        };
    using DayField = LapujWindow::DayField;

    w.onDayFieldExit([&w, &st](DayField kind, int day) -> CheckResult {
        LapModel& m = w.model();
        switch (kind) {
        case DayField::Ellt:
            return ellt1Exit(m, st);
        case DayField::Tevk:
            return tevk1Exit(m, st, day);
        case DayField::Aptaj: {
            QString vagolap;
            const CheckResult r = aptaj1Exit(m, st, day, &vagolap);
            if (!vagolap.isEmpty()) {
                // The same worker can be pasted into the next day.
                if (QLineEdit* e = w.dayField(kind, day)) e->selectAll();
                if (QClipboard* c = QGuiApplication::clipboard()) c->setText(vagolap);
            }
            return r;
        }
        }
        return {};
    });

    w.onDayFieldDoubleClick([&w, p](DayField kind, int day) -> CheckResult {
        LapModel& m = w.model();
        const size_t i = size_t(day - 1);
        QLineEdit* field = w.dayField(kind, day);
        if (kind == DayField::Aptaj) {
            const auto r = p.apolo(field);
            if (r && !r->first.trimmed().isEmpty()) m.aptaj[i] = r->first.trimmed();
        } else {
            const QString r =
                p.valasz(field, kind == DayField::Ellt ? QStringLiteral("E") : QStringLiteral("T"));
            if (!r.isEmpty()) (kind == DayField::Ellt ? m.ellt : m.tevk)[i] = r;
        }
        return {};
    });

    w.onMentes([&w, &st] {
        LapModel& m = w.model();
        switch (LapMentes::mentes(m, st)) {
        case LapMentes::Eredmeny::Hibas:
            w.refresh();
            w.focusControl(QStringLiteral("m_taj"));
            break;
        case LapMentes::Eredmeny::Elvetve:
        case LapMentes::Eredmeny::Mentve:
            w.refresh();
            w.close();
            break;
        case LapMentes::Eredmeny::Letezik:
        case LapMentes::Eredmeny::IrasHiba:
            w.refresh();
            break;
        }
    });
}

} // namespace sheet
