// The benchmarks: each figure is the program against an obvious alternative (or against
// itself at another size), measured side by side in one run, as a ratio with its target.
//
//   ppd-bench                 runs every benchmark in a scratch folder under /tmp
//   ppd-bench --keep          the same, and leaves the scratch folder in place
//   ppd-bench --only NAME     only that benchmark (listing, install, waiting, log, memory)
//
// The program is driven through its own libraries on the offscreen platform: in this
// process for the installation runs, the wait and the log, and in child processes of this
// same executable where a whole process is measured (the start-up, the peak memory).

#include "Fixtures.h"
#include "Measure.h"
#include "app/Startup.h"
#include "framework/Controls.h"
#include "framework/EventLoop.h"
#include "framework/FolderItem.h"
#include "framework/Runtime.h"
#include "framework/TestApi.h"
#include "installer/Window1.h"
#include "installer/debugRoutines.h"
#include "platform/PlatformTestApi.h"
#include "privileged/Authorized.h"
#include "resources/Script168.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

namespace {

const QString SystemFolder =
    QStringLiteral("volume/Library/Printers/PPDs/Contents/Resources/en.lproj");
constexpr qint64 MB = qint64(1) << 20;
// Repetitions of each timed run, taken in turn with the alternative; the median counts.
constexpr int Rounds = 5;

QString s_self; // this executable, for the child runs

// ---- Child runs: one process from its start to the end of what is measured.

// Brings the program up as its start-up does, on the given folder, and opens the window
// (which writes the introduction); no event loop follows.
void startFramework(char** argv)
{
    static int count = 1;
    framework::initialise(count, argv);
    resources::registerScripts();
    startup::InitPluginEntrypoints();
    // A message box would wait for a person; its text goes to the error output instead.
    framework::test::setMessageBoxHandler(
        [](const QString& text) { std::fprintf(stderr, "message box: %s\n", qPrintable(text)); });
    startup::NewAppInstance();
}

double s_windowAsked = 0; // when start-up asked for the window

void startProgram(const QString& folder, char** argv)
{
    framework::setApplicationFolder(folder);
    framework::setBootVolumeRoot(folder + QStringLiteral("/volume"));
    startFramework(argv);
    s_windowAsked = measure::now();
    startup::MakeDefaultView();
}

QByteArray logText()
{
    return qobject_cast<framework::EditField*>(
               Window1::accessor()->control(QStringLiteral("EditFieldLog")))
        ->Text();
}

// Prints the time at the end of the introduction and the number of log lines, then ends
// at once: tearing the window down is not part of the figure.
[[noreturn]] void childIntroduction(const QString& folder, char** argv)
{
    startProgram(folder, argv);
    const double ended = measure::now();
    std::printf("%.9f %.9f %lld\n", ended, s_windowAsked,
                static_cast<long long>(logText().count('\r')));
    std::fflush(stdout);
    ::_exit(0);
}

// Opens the window on the folder and compares the named PPD with its installed copy.
[[noreturn]] void childMatch(const QString& folder, const QString& name, char** argv)
{
    startProgram(folder, argv);
    const bool same = Window1::accessor()->match(name);
    std::printf("%s\n", same ? "same" : "different");
    std::fflush(stdout);
    ::_exit(0);
}

// ---- The figures

struct Figure
{
    QString name;
    double ratio = 0;
    double target = 0;
    QString detail;
    bool met() const { return ratio <= target; }
};

std::vector<Figure> s_figures;

void report(Figure figure)
{
    figure.detail.replace(QStringLiteral("%R"), QString::number(Rounds));
    s_figures.push_back(figure);
    std::printf("  %-24s %7.3gx  (target at most %gx: %s)\n      %s\n", qPrintable(figure.name),
                figure.ratio, figure.target, figure.met() ? "met" : "NOT MET",
                qPrintable(figure.detail));
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& why)
{
    std::fprintf(stderr, "benchmark failed: %s\n", qPrintable(why));
    std::exit(2);
}

QString ms(double seconds)
{
    return QString::number(seconds * 1000, 'f', 1) + QStringLiteral(" ms");
}

// ---- Listing growth

void makeListingFolder(const QString& folder, int files)
{
    QDir().mkpath(folder + QStringLiteral("/volume"));
    for (int i = 0; i < files; ++i) {
        const QString name =
            QStringLiteral("%1/PPDs/Printer %2.ppd").arg(folder).arg(i, 5, 10, QChar('0'));
        fixtures::writeFile(name, fixtures::ppdText(uint64_t(i), 600 + (i * 37) % 1400));
    }
}

struct Introduction
{
    double fromStart = 0;  // from the start of the process
    double fromWindow = 0; // from the moment start-up asks for the window
};

Introduction introduction(const QString& folder, int files)
{
    // Each folder's entries and files are fresh in the caches when its run starts.
    measure::warm(folder + QStringLiteral("/PPDs"));
    const measure::ChildRun run =
        measure::run(s_self, {QStringLiteral("--child-introduction"), folder});
    const QList<QByteArray> fields = run.output.trimmed().split(' ');
    if (!run.exitedCleanly || fields.size() != 3)
        fail(QStringLiteral("the introduction of %1 files did not run").arg(files));
    if (fields[2].toLongLong() != files + 7)
        fail(QStringLiteral("the introduction of %1 files wrote %2 lines")
                 .arg(files)
                 .arg(QString::fromLatin1(fields[2])));
    return {fields[0].toDouble() - run.startedAt, fields[0].toDouble() - fields[1].toDouble()};
}

void listingGrowth(const QString& scratch)
{
    const QString small = scratch + QStringLiteral("/listing-5000");
    const QString large = scratch + QStringLiteral("/listing-20000");
    makeListingFolder(small, 5000);
    makeListingFolder(large, 20000);
    std::vector<double> smallRuns;
    std::vector<double> largeRuns;
    std::vector<double> smallWindow;
    std::vector<double> largeWindow;
    // One run of each first, untimed, fills the caches of both folders alike.
    introduction(small, 5000);
    introduction(large, 20000);
    for (int round = 0; round < Rounds; ++round) {
        const Introduction a = introduction(small, 5000);
        const Introduction b = introduction(large, 20000);
        smallRuns.push_back(a.fromStart);
        largeRuns.push_back(b.fromStart);
        smallWindow.push_back(a.fromWindow);
        largeWindow.push_back(b.fromWindow);
    }
    const double a = measure::median(smallRuns);
    const double b = measure::median(largeRuns);
    report({QStringLiteral("listing growth"), b / a, 4.5,
            QStringLiteral("start to end of introduction, median of %R: 20,000 PPDs %1, 5,000 "
                           "PPDs %2 (of which the window and its introduction %3 and %4)")
                .arg(ms(b), ms(a), ms(measure::median(largeWindow)),
                     ms(measure::median(smallWindow)))});
}

// ---- Installation runs

struct InstallFolders
{
    QString root;
    QString source;
    QString system;
};

InstallFolders makeInstallFolders(const QString& scratch)
{
    InstallFolders folders{scratch + QStringLiteral("/install"), {}, {}};
    folders.source = folders.root + QStringLiteral("/PPDs");
    folders.system = folders.root + QLatin1Char('/') + SystemFolder;
    QDir().mkpath(folders.system);
    const std::vector<qint64> sizes = fixtures::realSizes(1000, 10 * 1000, 600 * 1000, 90 * MB);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const QString name = QStringLiteral("%1/Vendor Model %2.ppd")
                                 .arg(folders.source)
                                 .arg(int(i), 4, 10, QChar('0'));
        fixtures::writeFile(name, fixtures::ppdText(1000 + i, sizes[i]));
    }
    return folders;
}

// Every source file has an installed copy with the same bytes.
bool installedAll(const InstallFolders& folders)
{
    const QStringList names = QDir(folders.source).entryList(QDir::Files);
    for (const QString& name : names) {
        QFile source(folders.source + QLatin1Char('/') + name);
        QFile installed(folders.system + QLatin1Char('/') + name);
        if (!source.open(QIODevice::ReadOnly) || !installed.open(QIODevice::ReadOnly) ||
            source.readAll() != installed.readAll())
            return false;
    }
    return names.size() == 1000;
}

// One press of "Install PPDs"; returns its time, and checks the report it wrote.
double programInstall(const QByteArray& expectedReportStart)
{
    const qsizetype before = logText().size();
    const double started = measure::now();
    Window1::accessor()->install();
    const double seconds = measure::now() - started;
    const QByteArray written = logText().mid(before);
    if (!written.startsWith(expectedReportStart))
        fail(
            QStringLiteral("the installation wrote: %1").arg(QString::fromUtf8(written.left(200))));
    return seconds;
}

double bashSeconds(const QString& script, const QStringList& arguments)
{
    const measure::ChildRun run = measure::runBash(script, arguments);
    if (!run.exitedCleanly && !script.contains(QStringLiteral("cmp")))
        fail(QStringLiteral("bash: %1 failed").arg(script));
    return run.seconds;
}

const QString CopyLoop =
    QStringLiteral("for f in \"$1\"/*; do /bin/cp -fp \"$f\" \"$2/${f##*/}\"; done");
const QString CompareLoop =
    QStringLiteral("for f in \"$1\"/*; do cmp -s \"$f\" \"$2/${f##*/}\"; done");

void installAllNew(const InstallFolders& folders)
{
    std::vector<double> program;
    std::vector<double> copyLoop;
    const auto fresh = [&] {
        measure::emptyFolder(folders.system);
        measure::settle();
        measure::warm(folders.source);
    };
    for (int round = 0; round < Rounds; ++round) {
        fresh();
        program.push_back(programInstall("These PPDs were added:\r"));
        if (!installedAll(folders))
            fail(QStringLiteral("the program did not install every file"));
        fresh();
        copyLoop.push_back(bashSeconds(CopyLoop, {folders.source, folders.system}));
    }
    if (!installedAll(folders))
        fail(QStringLiteral("the copy loop did not install every file"));
    const double a = measure::median(program);
    const double b = measure::median(copyLoop);
    report({QStringLiteral("install, all new"), a / b, 1.0,
            QStringLiteral("1,000 new PPDs (90 MB), median of %R: program %1, bash loop of "
                           "/bin/cp -fp %2")
                .arg(ms(a), ms(b))});
}

void installAllIdentical(const InstallFolders& folders)
{
    // The installed copies are those the last copy loop made: the same bytes and times.
    std::vector<double> program;
    std::vector<double> rsync;
    std::vector<double> compareLoop;
    const auto warmBoth = [&] {
        measure::settle();
        measure::warm(folders.source);
        measure::warm(folders.system);
    };
    const QString rsyncScript = QStringLiteral("rsync -rtcn \"$1\"/ \"$2\"/");
    for (int round = 0; round < Rounds; ++round) {
        warmBoth();
        program.push_back(programInstall("No PPDs were added.\rNo PPDs were replaced.\r"
                                         "These PPDs match the versions on the CD"));
        warmBoth();
        rsync.push_back(bashSeconds(rsyncScript, {folders.source, folders.system}));
        warmBoth();
        compareLoop.push_back(bashSeconds(CompareLoop, {folders.source, folders.system}));
    }
    const double a = measure::median(program);
    const double r = measure::median(rsync);
    const double c = measure::median(compareLoop);
    report({QStringLiteral("install, all identical"), a / r, 1.5,
            QStringLiteral("the same 1,000 unchanged, median of %R: program %1, rsync -rtcn %2")
                .arg(ms(a), ms(r))});
    report({QStringLiteral("install, all identical"), a / c, 0.1,
            QStringLiteral("the same 1,000 unchanged, median of %R: program %1, bash loop of "
                           "cmp -s %2")
                .arg(ms(a), ms(c))});
}

void installation(const QString& scratch)
{
    const InstallFolders folders = makeInstallFolders(scratch);
    framework::setApplicationFolder(folders.root);
    framework::setBootVolumeRoot(folders.root + QStringLiteral("/volume"));
    delete framework::Window::find<Window1>();
    Window1::accessor();
    installAllNew(folders);
    installAllIdentical(folders);
}

// ---- Waiting

void waiting()
{
    std::vector<double> shares;
    double cpu = 0;
    double wall = 0;
    for (int round = 0; round < Rounds; ++round) {
        const double processorBefore = measure::processorSeconds();
        const double started = measure::now();
        Authorized::execPrivileged(QStringLiteral("/bin/sleep"), {QStringLiteral("2")});
        wall = measure::now() - started;
        cpu = measure::processorSeconds() - processorBefore;
        if (wall < 1.9)
            fail(QStringLiteral("the privileged sleep took %1").arg(ms(wall)));
        shares.push_back(cpu / wall);
    }
    const double share = measure::median(shares);
    report({QStringLiteral("waiting"), share, 0.05,
            QStringLiteral("processor time during one privileged /bin/sleep 2, median of %R: "
                           "%1 over %2 (%3 %)")
                .arg(ms(share * wall), ms(wall), QString::number(share * 100, 'f', 3))});
}

// ---- Log growth

void logGrowth(const QString& scratch)
{
    const QString folder = scratch + QStringLiteral("/log");
    fixtures::writeFile(folder + QStringLiteral("/PPDs/One.ppd"), fixtures::ppdText(7, 2000));
    framework::setApplicationFolder(folder);
    framework::setBootVolumeRoot(folder + QStringLiteral("/volume"));
    delete framework::Window::find<Window1>();
    Window1::accessor();

    constexpr int Lines = 100000;
    constexpr int Block = 10000;
    std::vector<double> blocks;
    double started = measure::now();
    for (int i = 0; i < Lines; ++i) {
        // As the program logs: one line, then one event-loop yield.
        debugRoutines::outputDebugLine(
            QStringLiteral("    Vendor Model %1.ppd").arg(i, 6, 10, QChar('0')));
        framework::yieldToEventLoop();
        if ((i + 1) % Block == 0) {
            const double ended = measure::now();
            blocks.push_back(ended - started);
            started = ended;
        }
    }
    if (logText().count('\r') != Lines + 7 + 1)
        fail(QStringLiteral("the log does not hold every line"));
    report({QStringLiteral("log growth"), blocks.back() / blocks.front(), 1.5,
            QStringLiteral("100,000 lines appended: lines 90,001 to 100,000 %1, lines 1 to "
                           "10,000 %2")
                .arg(ms(blocks.back()), ms(blocks.front()))});
}

// ---- Memory

void memory(const QString& scratch)
{
    const auto peak = [&](const QString& folder, qint64 size) {
        fixtures::writeLargeFile(folder + QStringLiteral("/PPDs/Big.ppd"), 99, size);
        fixtures::writeLargeFile(
            folder + QLatin1Char('/') + SystemFolder + QStringLiteral("/Big.ppd"), 99, size);
        measure::settle();
        measure::warm(folder + QStringLiteral("/PPDs"));
        measure::warm(folder + QLatin1Char('/') + SystemFolder);
        const measure::ChildRun run = measure::run(
            s_self, {QStringLiteral("--child-match"), folder, QStringLiteral("Big.ppd")});
        if (!run.exitedCleanly || run.output.trimmed() != "same")
            fail(QStringLiteral("the comparison of two %1-byte files did not run").arg(size));
        return double(run.peakKilobytes) / 1024.0;
    };
    const double baseline = peak(scratch + QStringLiteral("/memory-small"), 10 * 1000);
    const double large = peak(scratch + QStringLiteral("/memory"), 100 * MB);
    report({QStringLiteral("memory"), large / 100.0, 3.0,
            QStringLiteral("peak resident memory of the program comparing two 100 MB copies: "
                           "%1 MB (%2 MB when they are 10 KB each)")
                .arg(large, 0, 'f', 1)
                .arg(baseline, 0, 'f', 1)});
}

void printTable()
{
    std::printf("\n| figure | measured | target | met |\n|---|---|---|---|\n");
    int missed = 0;
    for (const Figure& figure : s_figures) {
        std::printf("| %s | %.3gx | at most %gx | %s |\n", qPrintable(figure.name), figure.ratio,
                    figure.target, figure.met() ? "yes" : "NO");
        missed += figure.met() ? 0 : 1;
    }
    std::printf("\n%s\n", missed ? "Some targets were missed." : "Every target was met.");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && qstrcmp(argv[1], "--child-introduction") == 0)
        childIntroduction(QFile::decodeName(argv[2]), argv);
    if (argc == 4 && qstrcmp(argv[1], "--child-match") == 0)
        childMatch(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]), argv);
    bool keep = false;
    QStringList only;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--keep") == 0) {
            keep = true;
        } else if (qstrcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only.append(QString::fromLatin1(argv[++i]));
        } else {
            std::fprintf(stderr,
                         "usage: %s [--keep] [--only listing|install|waiting|log|memory]...\n",
                         argv[0]);
            return 2;
        }
    }
    const auto wanted = [&](const char* name) {
        return only.isEmpty() || only.contains(QLatin1String(name));
    };
    if (::geteuid() != 0) {
        std::printf("Not root: the copies go through the helper and pkexec, which asks for a "
                    "password once. The figures are meant to be taken as root.\n");
        platform::test::setHelperPath(QStringLiteral(PPD_HELPER_PATH));
    }

    char* self = ::realpath("/proc/self/exe", nullptr);
    s_self = QFile::decodeName(self);
    std::free(self);

    QByteArray scratchTemplate = "/tmp/ppd-bench-XXXXXX";
    if (!::mkdtemp(scratchTemplate.data()))
        fail(QStringLiteral("cannot make a scratch folder under /tmp"));
    const QString scratch = QFile::decodeName(scratchTemplate);
    std::printf("Scratch folder: %s\n", qPrintable(scratch));

    startFramework(argv);

    if (wanted("listing")) {
        std::printf("Listing growth...\n");
        std::fflush(stdout);
        listingGrowth(scratch);
    }
    if (wanted("install")) {
        std::printf("Installation runs...\n");
        std::fflush(stdout);
        installation(scratch);
    }
    if (wanted("waiting")) {
        std::printf("Waiting for a privileged tool...\n");
        std::fflush(stdout);
        waiting();
    }
    if (wanted("log")) {
        std::printf("Log growth...\n");
        std::fflush(stdout);
        logGrowth(scratch);
    }
    if (wanted("memory")) {
        std::printf("Memory...\n");
        std::fflush(stdout);
        memory(scratch);
    }

    printTable();
    if (!keep)
        QDir(scratch).removeRecursively();
    int missed = 0;
    for (const Figure& figure : s_figures)
        missed += figure.met() ? 0 : 1;
    std::fflush(stdout);
    ::_exit(missed ? 1 : 0);
}
