#pragma once
// The one place the program takes "today" from. Correction limits, the
// closing window and the shipment's closing date all turn on it, and so do
// the last-update dates the engine writes into table headers, so tests set
// it instead of waiting for the calendar. (core::Clock is the program's name
// for it.)

#include <QDate>
#include <functional>

namespace engine {

class Clock {
public:
    // A clock made becomes the program's clock (engine::today()) until it is
    // destroyed; the one made before it is then the program's clock again.
    Clock();
    // A clock that stands still on the given day.
    explicit Clock(QDate fixed);
    ~Clock();
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    QDate today() const;

    // An invalid date gives the system calendar back.
    void setToday(QDate day) { fixed_ = day; }

private:
    QDate fixed_;
    Clock* before_ = nullptr;
};

// Today by the program's clock (the system's date while no Clock exists):
// the date written as a table header's last update. setToday() puts a
// function of the tests' in the clock's place (nullptr takes it away).
QDate today();
void setToday(std::function<QDate()> fn);

} // namespace engine
