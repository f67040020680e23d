#include "engine/clock.h"

namespace engine {

namespace {

Clock* current = nullptr;

std::function<QDate()>& override() {
    static std::function<QDate()> fn;
    return fn;
}

} // namespace

Clock::Clock() : before_(current) {
    current = this;
}

Clock::Clock(QDate fixed) : Clock() {
    fixed_ = fixed;
}

Clock::~Clock() {
    if (current == this) current = before_;
}

QDate Clock::today() const {
    return fixed_.isValid() ? fixed_ : QDate::currentDate();
}

QDate today() {
    if (override()) return override()();
    return current ? current->today() : QDate::currentDate();
}

void setToday(std::function<QDate()> fn) {
    override() = std::move(fn);
}

} // namespace engine
