#pragma once
// The one place the program takes "today" from. Correction limits, the
// closing window and the shipment's closing date all turn on it, so tests set
// it instead of waiting for the calendar.

#include <QDate>

namespace core {

class Clock {
public:
    Clock() = default;
    // A clock that stands still on the given day.
    explicit Clock(QDate fixed) : fixed_(fixed) {}

    QDate today() const { return fixed_.isValid() ? fixed_ : QDate::currentDate(); }

    // An invalid date gives the system calendar back.
    void setToday(QDate day) { fixed_ = day; }

private:
    QDate fixed_;
};

} // namespace core
