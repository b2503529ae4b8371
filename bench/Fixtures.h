#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Deterministic PPD-like files for the benchmarks: the same seed gives the same bytes on
// every machine and in every run.
namespace fixtures {

// Text that reads like a PPD file, exactly size bytes long.
QByteArray ppdText(uint64_t seed, qint64 size);

// Sizes for count files between smallest and largest bytes that add up to total bytes:
// mostly small files and a few large ones, as in a vendor's folder.
std::vector<qint64> realSizes(int count, qint64 smallest, qint64 largest, qint64 total);

// Writes the file, creating its folder; stops the benchmark when it cannot.
void writeFile(const QString& path, const QByteArray& content);

// Writes a file of size bytes from the seed, a few megabytes at a time.
void writeLargeFile(const QString& path, uint64_t seed, qint64 size);

} // namespace fixtures
