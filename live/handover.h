#pragma once

#include <QMetaObject>
#include <QObject>
#include <utility>

// Calls handed from one thread to another through Qt's event queue. The queue
// orders them, but Qt is not built with ThreadSanitizer, which therefore does
// not see that what the caller wrote before the hand-over is complete when the
// receiver runs. These calls tell it: a release on the caller's side, an
// acquire on the receiver's, both on the target's address. Without
// ThreadSanitizer they compile to nothing.

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
inline void handOverRelease(void* address) { __tsan_release(address); }
inline void handOverAcquire(void* address) { __tsan_acquire(address); }
#else
inline void handOverRelease(void*) {}
inline void handOverAcquire(void*) {}
#endif

// Runs `call` on `target`'s thread (queued), or waits for it there (blocking).
template <typename Call>
void handOver(QObject* target, Call&& call, Qt::ConnectionType type = Qt::QueuedConnection)
{
    handOverRelease(target);
    QMetaObject::invokeMethod(
        target,
        [target, call = std::forward<Call>(call)]() mutable {
            handOverAcquire(target);
            call();
            handOverRelease(target);
        },
        type);
    if (type == Qt::BlockingQueuedConnection)
        handOverAcquire(target);
}
