#ifndef KZEMBA_BENCH_KBENCHSUPPORT_H
#define KZEMBA_BENCH_KBENCHSUPPORT_H

// What every benchmark shares: medians of repeated runs and one way of printing a row, so that
// the programs' output reads alike.

#include <krt/kruntimeconfig.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace kbench {

template <typename Work>
double elapsedMs(Work&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

inline double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Medians
{
    double ours;
    double bare;
};

// Median milliseconds of `runs` runs of each side. The sides take turns, so that a machine
// whose load changes meanwhile weighs on both alike. One untimed run of each side comes first:
// the first run pays for what the process sets up once (the allocator's heap, lazy statics).
template <typename Ours, typename Bare>
Medians sideBySide(int runs, Ours&& ours, Bare&& bare)
{
    std::vector<double> oursTimes;
    std::vector<double> bareTimes;
    ours();
    bare();
    for (int i = 0; i < runs; ++i) {
        oursTimes.push_back(elapsedMs(ours));
        bareTimes.push_back(elapsedMs(bare));
    }
    return {median(oursTimes), median(bareTimes)};
}

// A runtime folder of its own for the run: nothing the library writes lands in the home.
class Runtime
{
public:
    Runtime() { krt::KRuntimeConfig::setRuntimeDir(m_dir.path()); }
    ~Runtime() { krt::KRuntimeConfig::setRuntimeDir(QString()); }
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

private:
    QTemporaryDir m_dir;
};

inline bool quick()
{
    return QCoreApplication::arguments().contains(QStringLiteral("--quick"));
}

inline QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

// The title line and the column heads; `what` names the unit of both columns.
inline void header(const QString& title, const QString& ours, const QString& bare, const QString& what)
{
    out() << title << '\n';
#ifdef KZEMBA_BENCH_SANITIZED
    out() << "(sanitizer build: the figures say nothing about speed)\n";
#endif
    out() << QStringLiteral("%1 %2 %3 %4\n")
                 .arg(QStringLiteral("case"), -28)
                 .arg(ours + QStringLiteral(" (") + what + QLatin1Char(')'), 22)
                 .arg(bare + QStringLiteral(" (") + what + QLatin1Char(')'), 22)
                 .arg(QStringLiteral("ratio"), 8);
    out().flush();
}

// One row; `ratio` is ours against bare in the sense the row's goal is stated in.
inline void row(const QString& name, double ours, double bare, double ratio)
{
    out() << QStringLiteral("%1 %2 %3 %4x\n")
                 .arg(name, -28)
                 .arg(ours, 22, 'f', 3)
                 .arg(bare, 22, 'f', 3)
                 .arg(ratio, 7, 'f', 2);
    out().flush();
}

} // namespace kbench

#endif
