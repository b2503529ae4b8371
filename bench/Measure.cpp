#include "Measure.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace measure {

double now()
{
    timespec time{};
    ::clock_gettime(CLOCK_MONOTONIC, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

double processorSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

ChildRun run(const QString& program, const QStringList& arguments)
{
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString& argument : arguments)
        storage.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& text : storage)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);

    ChildRun result;
    const double started = now();
    result.startedAt = started;
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    if (spawned != 0) {
        ::close(output[0]);
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return result;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.output.append(buffer, got);
    }
    ::close(output[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.seconds = now() - started;
    result.exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peakKilobytes = usage.ru_maxrss;
    return result;
}

ChildRun runBash(const QString& script, const QStringList& arguments)
{
    return run(QStringLiteral("/bin/bash"),
               QStringList{QStringLiteral("-c"), script, QStringLiteral("bash")} + arguments);
}

void warm(const QString& folder)
{
    static char buffer[1 << 16];
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const int fd = ::open(QFile::encodeName(folder + QLatin1Char('/') + name).constData(),
                              O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    }
}

void settle()
{
    ::sync();
}

void emptyFolder(const QString& folder)
{
    QDir dir(folder);
    dir.removeRecursively();
    QDir().mkpath(folder);
}

} // namespace measure
