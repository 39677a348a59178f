#pragma once
// PostTo: runs a function on the thread of a Qt object, through that thread's
// event loop: how a worker thread tells its window. Header only, for the
// module libraries too.
//
// Under ThreadSanitizer: the Qt of the distribution is not built with it, so
// the locks of Qt's event queue, which order what the worker did before it
// posted with what the window thread does in the function, are invisible to
// it. PostTo states that order itself (a release where it posts, an acquire
// where the function begins; the other way round too for a blocking call) and
// leaves the copy of the function into the queue unwatched: only Qt reads it
// again, on the other side of those locks.
#include <QMetaObject>
#include <QObject>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define RECVIEW_TSAN_ORDER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define RECVIEW_TSAN_ORDER 1
#endif
#endif

#ifdef RECVIEW_TSAN_ORDER
#include <sanitizer/tsan_interface.h>
extern "C" void AnnotateIgnoreWritesBegin(const char* file, int line);
extern "C" void AnnotateIgnoreWritesEnd(const char* file, int line);
#endif

namespace platform {

template <typename F>
void PostTo(QObject* receiver, F&& f, Qt::ConnectionType type = Qt::QueuedConnection) {
#ifdef RECVIEW_TSAN_ORDER
  void* order = receiver;
  __tsan_release(order);
  AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
  QMetaObject::invokeMethod(
      receiver,
      [order, f = std::forward<F>(f)]() mutable {
        __tsan_acquire(order);
        f();
        __tsan_release(order);
      },
      type);
  AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
  if (type == Qt::BlockingQueuedConnection) __tsan_acquire(order);
#else
  QMetaObject::invokeMethod(receiver, std::forward<F>(f), type);
#endif
}

}  // namespace platform
