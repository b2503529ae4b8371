#include "Fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fixtures {
namespace {

// splitmix64: small, fast and the same everywhere.
class Random
{
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int bound) { return int(next() % uint64_t(bound)); }
    double unit() { return double(next() >> 11) / double(1ull << 53); }

private:
    uint64_t m_state;
};

const char* const Media[] = {"Letter", "Legal", "A4", "A5", "B5", "Executive", "Env10", "EnvDL"};
const char* const Keys[] = {"PageSize",  "PageRegion", "InputSlot", "Duplex",  "Resolution",
                            "MediaType", "ColorModel", "OutputBin", "Collate", "StapleLocation"};

void appendHeader(QByteArray& text, uint64_t seed)
{
    const QByteArray model = "Model " + QByteArray::number(qulonglong(seed % 100000));
    text += "*PPD-Adobe: \"4.3\"\n"
            "*% PPD-like text for benchmarks, made from a seed.\n"
            "*FormatVersion: \"4.3\"\n"
            "*FileVersion: \"1.0\"\n"
            "*LanguageVersion: English\n"
            "*LanguageEncoding: ISOLatin1\n"
            "*Manufacturer: \"Bench Maker\"\n";
    text += "*ModelName: \"" + model + "\"\n*ShortNickName: \"" + model + "\"\n*NickName: \"" +
            model + ", 1.0\"\n*PSVersion: \"(3010.000) 0\"\n";
}

void appendOption(QByteArray& text, Random& random)
{
    const char* key = Keys[random.below(int(std::size(Keys)))];
    const int group = random.below(1000);
    const QByteArray name = QByteArray(key) + QByteArray::number(group);
    text += "*OpenUI *" + name + "/" + key + " " + QByteArray::number(group) + ": PickOne\n";
    text += "*OrderDependency: " + QByteArray::number(10 + random.below(90)) + " AnySetup *" +
            name + "\n";
    text += "*Default" + name + ": " + Media[random.below(int(std::size(Media)))] + "\n";
    const int choices = 2 + random.below(6);
    for (int i = 0; i < choices; ++i) {
        const char* medium = Media[random.below(int(std::size(Media)))];
        const int width = 200 + random.below(1500);
        const int height = 300 + random.below(2000);
        text += "*" + name + " " + medium + QByteArray::number(i) + "/" + medium + ": \"<</" + key +
                "[" + QByteArray::number(width) + " " + QByteArray::number(height) +
                "]/ImagingBBox null>>setpagedevice\"\n";
        if (random.below(4) == 0)
            text += "*End\n";
    }
    text += "*CloseUI: *" + name + "\n";
    if (random.below(3) == 0)
        text += "*% " + QByteArray::number(qulonglong(random.next()), 16) + "\n";
    text += "*Font Font" + QByteArray::number(random.below(400)) + ": Standard \"(00" +
            QByteArray::number(random.below(9)) + ".00" + QByteArray::number(random.below(9)) +
            ")\" Standard ROM\n";
}

} // namespace

QByteArray ppdText(uint64_t seed, qint64 size)
{
    Random random(seed);
    QByteArray text;
    text.reserve(qsizetype(size) + 1024);
    appendHeader(text, seed);
    while (text.size() < size)
        appendOption(text, random);
    text.truncate(qsizetype(size));
    if (size > 0)
        text[qsizetype(size) - 1] = '\n';
    return text;
}

std::vector<qint64> realSizes(int count, qint64 smallest, qint64 largest, qint64 total)
{
    // A skewed draw (the seventh power of a uniform number) puts most files near the
    // small end; the sizes are then scaled so that they add up to the total.
    Random random(20240601);
    std::vector<double> draws(static_cast<size_t>(count));
    for (double& draw : draws)
        draw = std::pow(random.unit(), 6.4);
    // The extremes are there for sure.
    draws[0] = 0.0;
    if (count > 1)
        draws[1] = 1.0;

    const double span = double(largest - smallest);
    std::vector<qint64> sizes(static_cast<size_t>(count));
    double low = 0.0;
    double high = 64.0;
    // Bisect on one factor for the draws (except the two fixed ones) so the sum is right.
    for (int round = 0; round < 100; ++round) {
        const double factor = (low + high) / 2;
        qint64 sum = 0;
        for (size_t i = 0; i < draws.size(); ++i) {
            const double scaled = i < 2 ? draws[i] : std::min(1.0, draws[i] * factor);
            sizes[i] = smallest + qint64(std::llround(scaled * span));
            sum += sizes[i];
        }
        if (sum < total)
            low = factor;
        else
            high = factor;
    }
    qint64 sum = 0;
    for (qint64 size : sizes)
        sum += size;
    // Whatever rounding left over goes to files that still have room.
    for (size_t i = 2; sum != total && i < sizes.size(); ++i) {
        const qint64 room = sum < total ? largest - sizes[i] : smallest - sizes[i];
        const qint64 step = sum < total ? std::min(room, total - sum) : std::max(room, total - sum);
        sizes[i] += step;
        sum += step;
    }
    return sizes;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
}

void writeLargeFile(const QString& path, uint64_t seed, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
    constexpr qint64 Piece = qint64(4) << 20;
    for (qint64 done = 0; done < size; done += Piece) {
        const QByteArray piece =
            ppdText(seed + uint64_t(done / Piece), std::min(Piece, size - done));
        if (file.write(piece) != piece.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(2);
        }
    }
}

} // namespace fixtures
