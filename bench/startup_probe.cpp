// Linked into a program beside its own main(): once the program's first paint has reached the
// screen, prints "paint_ns=<CLOCK_MONOTONIC ns> rss_kib=<resident KiB>" and ends the program.
#include "resident_memory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

class FirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            QCoreApplication::instance()->removeEventFilter(this);
            // Painting and flushing to the screen finish before the event loop runs this.
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("paint_ns=%lld rss_kib=%lld\n",
                            static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec,
                            ResidentKiB());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

void InstallFirstPaintProbe()
{
    QCoreApplication::instance()->installEventFilter(new FirstPaint(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFirstPaintProbe)
