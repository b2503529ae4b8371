#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// Clocks, child processes and the page cache, for the benchmarks.
namespace measure {

// The system's monotonic clock in seconds; the same clock in every process.
double now();

// Processor time (user and system) of this process so far, in seconds.
double processorSeconds();

double median(std::vector<double> values);

struct ChildRun
{
    bool exitedCleanly = false;
    double startedAt = 0;   // now() just before the start
    double seconds = 0;     // from then to the end of the wait
    long peakKilobytes = 0; // the child's peak resident memory
    QByteArray output;      // what it wrote on its standard output
};

// Starts the program with the arguments, waits for it and reports what it cost.
ChildRun run(const QString& program, const QStringList& arguments);

// A bash script run with the arguments as $1, $2, ...
ChildRun runBash(const QString& script, const QStringList& arguments);

// Reads every file of the folder to its end, so that both sides of a comparison find
// them in the page cache.
void warm(const QString& folder);

// Writes back what is dirty, so that the write-back of one run does not slow the next.
void settle();

// Removes everything inside the folder, keeping the folder.
void emptyFolder(const QString& folder);

} // namespace measure
