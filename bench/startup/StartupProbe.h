#pragma once
// What both start-up probes share: the start time handed down by
// startup_timer, marks along the way, and a hook that ends the run once the
// first frame of the watched window has been painted.
//
// The clock is std::chrono::steady_clock, which on Linux is CLOCK_MONOTONIC:
// one clock for the whole machine, so the timer's reading taken just before
// fork() and the probe's readings compare directly, at nanosecond resolution.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lumora::startup {

inline long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Kilobytes from one "Name:   1234 kB" line of /proc/self/status; -1 when
// the line is missing.
inline long statusKb(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Takes the first argument that begins with `prefix` out of the command line
// and returns the rest of it; empty when there is none. An argument that is
// only the prefix (a plain switch) returns "1".
inline std::string takeArgument(int& argc, char** argv, const char* prefix)
{
    const std::size_t length = std::strlen(prefix);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix, length) != 0)
            continue;
        std::string value = argv[i][length] != '\0' ? std::string(argv[i] + length) : std::string("1");
        for (int j = i; j + 1 < argc; ++j)
            argv[j] = argv[j + 1];
        argv[--argc] = nullptr;
        return value;
    }
    return {};
}

class Clock {
public:
    // Takes "--t0=NANOSECONDS" out of the arguments, so that QApplication sees
    // the same command line the real program would. Without it the probe
    // times from its own main(), which leaves out loading and linking.
    Clock(int& argc, char** argv)
    {
        start_ = nowNs();
        const std::string t0 = takeArgument(argc, argv, "--t0=");
        fromTimer_ = !t0.empty();
        if (fromTimer_)
            start_ = std::strtoll(t0.c_str(), nullptr, 10);
        mark("main");
    }

    void mark(const char* name) { marks_.emplace_back(name, nowNs()); }

    // One line: each mark in milliseconds since the start, then the memory
    // figures at this moment.
    void print() const
    {
        std::string line;
        char field[96];
        for (const auto& [name, ns] : marks_) {
            std::snprintf(field, sizeof field, "%s_ms=%.3f ", name, double(ns - start_) / 1e6);
            line += field;
        }
        std::snprintf(field, sizeof field, "hwm_kb=%ld rss_kb=%ld timed_from=%s", statusKb("VmHWM"), statusKb("VmRSS"),
                      fromTimer_ ? "fork" : "main");
        line += field;
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

private:
    long long start_ = 0;
    bool fromTimer_ = false;
    std::vector<std::pair<const char*, long long>> marks_;
};

// Watches one widget. Its first paint event marks "paint"; the zero timer
// queued then fires once the whole window's paint pass, children included,
// has run and been flushed to the display, and marks "frame". Then `framed`
// runs; without one, the figures are printed and the event loop ends.
class FirstPaint : public QObject {
public:
    FirstPaint(Clock& clock, QWidget* watched, std::function<void()> framed = {})
        : clock_(clock), framed_(std::move(framed))
    {
        watched->installEventFilter(this);
        // A window that never paints must not hang a benchmark run.
        QTimer::singleShot(60000, this, [] {
            std::fprintf(stderr, "startup probe: no paint within 60 s\n");
            std::exit(2);
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            clock_.mark("paint");
            QTimer::singleShot(0, this, [this] {
                clock_.mark("frame");
                if (framed_)
                    return framed_();
                clock_.print();
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Clock& clock_;
    std::function<void()> framed_;
    bool seen_ = false;
};

} // namespace lumora::startup
