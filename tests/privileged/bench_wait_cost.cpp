// How much processor time the program spends while execPrivileged waits for a quiet tool:
// "sleep 2" through the shared shell, measured against the wall time of the call. Run it
// by hand; it prints one line per run and tests nothing.

#include "framework/FolderItem.h"
#include "installer/InstallerTestMain.h"
#include "installer/Window1.h"
#include "privileged/Authorized.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

class BenchWaitCost : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        framework::setApplicationFolder(m_folder.path());
        testsupport::writeFile(m_folder.filePath(QStringLiteral("PPDs/a.ppd")), "*PPD-Adobe\n");
        Window1::accessor();
    }

    void sleepTwoSeconds()
    {
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer wall;
            const double before = processorSeconds();
            wall.start();
            Authorized::execPrivileged(QStringLiteral("/bin/sleep"), {QStringLiteral("2")});
            const double cpu = processorSeconds() - before;
            const double seconds = double(wall.nsecsElapsed()) / 1e9;
            std::printf("run %d: processor %.1f ms over %.3f s wall (%.3f %%)\n", run + 1,
                        cpu * 1000, seconds, 100 * cpu / seconds);
        }
    }
};

PPD_INSTALLER_TEST_MAIN(BenchWaitCost)
#include "bench_wait_cost.moc"
