// How the introduction scales with the number of PPD files, and how much memory comparing
// a large PPD with its installed copy takes.
//
//   bench_discovery            the introduction and the PPD list for 1,000 and 10,000 files
//   bench_discovery memory MB  peak memory of one comparison of two MB-megabyte copies

#include "app/Startup.h"
#include "framework/EventLoop.h"
#include "framework/FolderItem.h"
#include "framework/Runtime.h"
#include "framework/TestApi.h"
#include "installer/Window1.h"
#include "installer/debugRoutines.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void introduction(const QString& root, int files)
{
    const QString app = QStringLiteral("%1/app-%2").arg(root).arg(files);
    QDir().mkpath(app + QStringLiteral("/PPDs"));
    QDir().mkpath(root + QStringLiteral("/volume"));
    const QByteArray content = "*PPD-Adobe: \"4.3\"\n*ModelName: \"Bench\"\n";
    for (int i = 0; i < files; ++i)
        writeFile(QStringLiteral("%1/PPDs/Printer %2.ppd").arg(app).arg(i, 5, 10, QChar('0')),
                  content);
    framework::setApplicationFolder(app);
    framework::setBootVolumeRoot(root + QStringLiteral("/volume"));
    QThread::msleep(50); // past the clock tick of the last change

    std::vector<double> opening;
    std::vector<double> listing;
    std::vector<double> logging;
    long reads = 0;
    for (int round = 0; round < 3; ++round) {
        delete framework::Window::find<Window1>();
        const long readsBefore = framework::test::folderReads();
        QElapsedTimer timer;
        timer.start();
        Window1* window = Window1::accessor(); // opens: writes the introduction
        opening.push_back(timer.nsecsElapsed() / 1e6);
        reads = std::max(reads, framework::test::folderReads() - readsBefore);

        timer.restart();
        const qsizetype found = window->PPDlist().size();
        listing.push_back(timer.nsecsElapsed() / 1e6);
        if (found != files)
            qFatal("listed %lld of %d", static_cast<long long>(found), files);

        // The same number of lines in the log of a fresh window, without any listing.
        delete framework::Window::find<Window1>();
        framework::setApplicationFolder(root);
        Window1::accessor();
        timer.restart();
        for (int i = 0; i < files + 7; ++i) {
            debugRoutines::outputDebugLine(
                QStringLiteral("    Printer %1.ppd").arg(i, 5, 10, QChar('0')));
            framework::yieldToEventLoop();
        }
        logging.push_back(timer.nsecsElapsed() / 1e6);
        framework::setApplicationFolder(app);
    }
    std::printf("%6d PPDs: window with introduction %8.1f ms, PPD list alone %7.1f ms, "
                "as many log lines alone %8.1f ms, folder reads while opening %ld\n",
                files, medianOf(opening), medianOf(listing), medianOf(logging), reads);
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void memory(const QString& root, int megabytes)
{
    const QString app = root + QStringLiteral("/app");
    const QString installed = root + QStringLiteral("/volume/Library/Printers/PPDs/Contents/"
                                                    "Resources/en.lproj");
    QDir().mkpath(app + QStringLiteral("/PPDs"));
    QDir().mkpath(installed);
    framework::setApplicationFolder(app);
    framework::setBootVolumeRoot(root + QStringLiteral("/volume"));
    Window1* window = Window1::accessor();

    // Written a megabyte at a time, so that the peak before the comparison stays low.
    const QByteArray megabyte(1 << 20, 'p');
    for (const QString& path :
         {app + QStringLiteral("/PPDs/big.ppd"), installed + QStringLiteral("/big.ppd")}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        for (int i = 0; i < megabytes; ++i)
            file.write(megabyte);
    }

    const long before = peakKilobytes();
    const bool same = window->match(QStringLiteral("big.ppd"));
    const long after = peakKilobytes();
    std::printf("compare two %d MB copies: %s, peak memory grew by %.1f MB (%.2f x one file)\n",
                megabytes, same ? "same" : "different", (after - before) / 1024.0,
                (after - before) / 1024.0 / megabytes);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int count = 1;
    framework::initialise(count, argv);
    startup::NewAppInstance();
    framework::test::setMessageBoxHandler(
        [](const QString& text) { std::fprintf(stderr, "message box: %s\n", qPrintable(text)); });

    QTemporaryDir root;
    if (argc >= 2 && qstrcmp(argv[1], "memory") == 0) {
        memory(root.path(), argc >= 3 ? QByteArray(argv[2]).toInt() : 100);
        return 0;
    }
    introduction(root.path(), 1000);
    introduction(root.path(), 10000);
    return 0;
}
