#pragma once

// What the tests of privileged execution share: pkexec played by a script, and ways to
// watch the tool's stream and the helper's process without reading from them.

#include "platform/PlatformTestApi.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <poll.h>
#include <sys/types.h>

namespace privtest {

// A command the helper agrees to run: the copy of a small file into the PPD folder of a
// scratch volume that nobody else can change.
class AllowedCopy
{
public:
    AllowedCopy()
    {
        m_folder = m_dir.filePath(
            QStringLiteral("volume/Library/Printers/PPDs/Contents/Resources/en.lproj"));
        QDir().mkpath(m_folder);
        m_source = m_dir.filePath(QStringLiteral("source.ppd"));
        QFile file(m_source);
        if (file.open(QIODevice::WriteOnly))
            file.write("*PPD-Adobe: \"4.3\"\n");
    }

    QString folder() const { return m_folder; }
    QString source() const { return m_source; }
    QString destination(const QString& name = QStringLiteral("copied.ppd")) const
    {
        return m_folder + QLatin1Char('/') + name;
    }
    QStringList arguments(const QString& name = QStringLiteral("copied.ppd")) const
    {
        return {QStringLiteral("-fp"), m_source, destination(name)};
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_source;
};

// While it lives, the unprivileged road is taken with the script in place of pkexec and
// the helper from the build tree.
class FakePkexec
{
public:
    explicit FakePkexec(const QString& mode = QStringLiteral("grant"))
    {
        m_log = m_dir.filePath(QStringLiteral("pkexec.log"));
        qputenv("FAKE_PKEXEC_LOG", QFile::encodeName(m_log));
        setMode(mode);
        platform::test::setPkexecPath(QStringLiteral(PPD_FAKE_PKEXEC));
        platform::test::setHelperPath(QStringLiteral(PPD_HELPER_PATH));
        platform::test::setForceUnprivileged(true);
    }
    ~FakePkexec()
    {
        platform::test::setForceUnprivileged(false);
        platform::test::setPkexecPath({});
        platform::test::setHelperPath({});
    }
    FakePkexec(const FakePkexec&) = delete;
    FakePkexec& operator=(const FakePkexec&) = delete;

    void setMode(const QString& mode) { qputenv("FAKE_PKEXEC_MODE", mode.toUtf8()); }

    // One line per time the user was asked: the process id, then the arguments.
    QStringList calls() const
    {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The process id of the last call, which the helper has when it was granted.
    pid_t lastPid() const
    {
        const QStringList lines = calls();
        return lines.isEmpty() ? -1 : pid_t(lines.last().section(QLatin1Char(' '), 0, 0).toInt());
    }

private:
    QTemporaryDir m_dir;
    QString m_log;
};

// Waits until the tool has closed its end of the stream, reading nothing.
inline bool waitForHangUp(FILE* stream, int timeoutMs = 10000)
{
    pollfd watched{fileno(stream), POLLRDHUP, 0};
    return ::poll(&watched, 1, timeoutMs) == 1 && (watched.revents & (POLLRDHUP | POLLHUP));
}

// A process that has ended, whether reaped yet or not.
inline bool processGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName < 0 || line.mid(afterName + 2, 1) == "Z";
}

// Reads a blocking stream to its end.
inline QByteArray readToEnd(FILE* stream)
{
    QByteArray all;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        all.append(buffer, qsizetype(got));
    return all;
}

} // namespace privtest
