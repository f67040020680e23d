#include "engine/iofault.h"

#include <cerrno>

namespace engine {

namespace {
IoHook& hook() {
    static IoHook h;
    return h;
}
long counter = 0;
} // namespace

void setIoHook(IoHook h) {
    hook() = std::move(h);
    counter = 0;
}

void failNthIo(long n) {
    setIoHook([n](IoOp, long k) { return k == n ? IoAction::Fail : IoAction::Proceed; });
}

long ioCount() {
    return counter;
}

IoAction ioAction(IoOp op) {
    ++counter;
    if (!hook()) return IoAction::Proceed;
    const IoAction a = hook()(op, counter);
    if (a == IoAction::Fail) errno = EIO;
    return a;
}

} // namespace engine
