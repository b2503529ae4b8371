// The road of an ordinary user: one helper started through pkexec (played by a script)
// serves every execute of a reference, runs only the copy tool, and goes when the
// reference or the program goes.

#include "PrivilegedTestSupport.h"
#include "platform/Authorization.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <sys/stat.h>
#include <vector>

using privtest::FakePkexec;

namespace {

// Runs path with args on the reference; the tool's whole output, or nullopt and the status.
struct Execution
{
    OSStatus status;
    QByteArray output;
};

Execution execute(AuthorizationRef ref, const char* path, std::vector<QByteArray> args)
{
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    FILE* stream = nullptr;
    const OSStatus status = AuthorizationExecuteWithPrivileges(
        ref, path, kAuthorizationFlagDefaults, argv.data(), &stream);
    if (status != errAuthorizationSuccess)
        return {status, {}};
    const QByteArray output = privtest::readToEnd(stream);
    std::fclose(stream);
    return {status, output};
}

std::vector<QByteArray> encoded(const QStringList& arguments)
{
    std::vector<QByteArray> bytes;
    for (const QString& argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    return bytes;
}

AuthorizationRef newReference()
{
    AuthorizationRef ref = nullptr;
    if (AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &ref) != 0)
        return nullptr;
    return ref;
}

} // namespace

class TestAuthorization : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("LC_ALL", "C"); }

    void theUsersAnswer_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("status");
        QTest::newRow("granted: the tool runs") << "grant" << 0;
        QTest::newRow("dialog dismissed") << "dismiss" << -60006;
        QTest::newRow("not authorized") << "refuse" << -60005;
        QTest::newRow("no agent to ask") << "no-agent" << -60007;
        QTest::newRow("no agent, and no terminal for pkexec's own") << "no-terminal" << -60007;
    }

    void theUsersAnswer()
    {
        QFETCH(QString, mode);
        QFETCH(int, status);
        FakePkexec pkexec(mode);
        AuthorizationRef ref = newReference();
        QVERIFY(ref);
        QVERIFY2(pkexec.calls().isEmpty(), "making a reference asks nothing");

        const privtest::AllowedCopy copy;
        const Execution run = execute(ref, "/bin/cp", encoded(copy.arguments()));
        QCOMPARE(run.status, status);
        QCOMPARE(pkexec.calls().size(), 1);
        QCOMPARE(pkexec.calls().first().section(QLatin1Char(' '), 1),
                 QStringLiteral(PPD_HELPER_PATH));
        QCOMPARE(QFile::exists(copy.destination()), status == 0);
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void aMissingHelperIsNotAskedFor()
    {
        FakePkexec pkexec;
        platform::test::setHelperPath(QStringLiteral("/nonexistent/ppd-installer-helper"));
        AuthorizationRef ref = newReference();
        QCOMPARE(execute(ref, "/bin/cp", encoded(privtest::AllowedCopy().arguments())).status,
                 -60031);
        QVERIFY(pkexec.calls().isEmpty());
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    // Every copy of a run goes through the one helper: one question, each file copied,
    // each name reaching the tool as one argument whatever it holds.
    void manyExecutesAskOnce()
    {
        FakePkexec pkexec;
        const privtest::AllowedCopy copy;
        const QStringList names = {
            QStringLiteral("plain.ppd"),         QStringLiteral("with spaces.ppd"),
            QStringLiteral("-leading dash.ppd"), QStringLiteral("quotes \"double\" 'single'.ppd"),
            QStringLiteral("$HOME;*`id`.ppd"),   QStringLiteral("\u00e9.ppd")};
        AuthorizationRef ref = newReference();
        for (const QString& name : names) {
            const Execution run = execute(ref, "/bin/cp", encoded(copy.arguments(name)));
            QCOMPARE(run.status, 0);
            QCOMPARE(run.output, QByteArray());
            QFile installed(copy.destination(name));
            QVERIFY2(installed.open(QIODevice::ReadOnly), qPrintable(name));
            QCOMPARE(installed.readAll(), QByteArray("*PPD-Adobe: \"4.3\"\n"));
        }
        QCOMPARE(pkexec.calls().size(), 1);
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    // A copy that fails: the tool's own message comes back on the stream.
    void theToolsMessagesShareItsStream()
    {
        FakePkexec pkexec;
        const privtest::AllowedCopy copy;
        QVERIFY(QFile::copy(copy.source(), copy.destination()));
        if (QProcess::execute(QStringLiteral("chattr"),
                              {QStringLiteral("+i"), copy.destination()}) != 0)
            QSKIP("cannot make a file immutable here");
        AuthorizationRef ref = newReference();
        const Execution run = execute(ref, "/bin/cp", encoded(copy.arguments()));
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), copy.destination()});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.output.startsWith("/bin/cp: cannot "), run.output.constData());
        QVERIFY2(run.output.contains(QFile::encodeName(copy.destination())),
                 run.output.constData());
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    // The helper runs nothing but the copy of a regular file into a PPD folder that only
    // root can change, and never writes through a link or into a folder.
    void onlyTheCopyRuns_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("prepare");
        const privtest::AllowedCopy shape;
        QTest::newRow("a shell") << "/bin/sh" << QStringList{"-c", "id"} << QString();
        QTest::newRow("the copy tool by another path")
            << "/usr/bin/../../bin/cp" << shape.arguments() << QString();
        QTest::newRow("other options") << "/bin/cp" << QStringList{"--version"} << QString();
        QTest::newRow("more operands")
            << "/bin/cp" << (QStringList{"-fp", "/etc/hostname"} + shape.arguments().mid(1))
            << QString();
        QTest::newRow("recursive")
            << "/bin/cp" << (QStringList{"-R"} + shape.arguments().mid(1)) << QString();
        QTest::newRow("relative source")
            << "/bin/cp" << QStringList{"-fp", "source.ppd", "DEST"} << QString();
        QTest::newRow("a device as source")
            << "/bin/cp" << QStringList{"-fp", "/dev/zero", "DEST"} << QString();
        QTest::newRow("outside a PPD folder")
            << "/bin/cp" << QStringList{"-fp", "SOURCE", "/etc/x.ppd"} << QString();
        QTest::newRow("a link in the file's place")
            << "/bin/cp" << QStringList{"-fp", "SOURCE", "DEST"} << "link";
        QTest::newRow("a folder in the file's place")
            << "/bin/cp" << QStringList{"-fp", "SOURCE", "DEST"} << "folder";
        QTest::newRow("a PPD folder others can write")
            << "/bin/cp" << QStringList{"-fp", "SOURCE", "DEST"} << "writable";
    }

    void onlyTheCopyRuns()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, prepare);
        FakePkexec pkexec;
        const privtest::AllowedCopy copy;
        const QString outside = copy.folder() + QStringLiteral("/../../../../../../outside.txt");
        testsupport::writeFile(outside, "keep");
        for (QString& argument : arguments) {
            if (argument == QLatin1String("SOURCE"))
                argument = copy.source();
            else if (argument == QLatin1String("DEST"))
                argument = copy.destination();
        }
        if (prepare == QLatin1String("link"))
            QVERIFY(QFile::link(outside, copy.destination()));
        else if (prepare == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(copy.destination()));
        else if (prepare == QLatin1String("writable"))
            QVERIFY(QFile::setPermissions(copy.folder(), QFile::Permissions(0x7777)));

        AuthorizationRef ref = newReference();
        QCOMPARE(execute(ref, QFile::encodeName(tool).constData(), encoded(arguments)).status,
                 -60031);
        QCOMPARE(QFileInfo(outside).size(), 4);
        const QFileInfo destination(copy.destination());
        if (prepare == QLatin1String("link"))
            QVERIFY(destination.isSymLink());
        else if (prepare == QLatin1String("folder"))
            QVERIFY(QDir(copy.destination()).isEmpty());
        else
            QVERIFY(!destination.exists());
        // The refusal leaves the helper serving the reference.
        QCOMPARE(
            execute(ref, "/bin/cp", encoded(copy.arguments(QStringLiteral("fine.ppd")))).status,
            prepare == QLatin1String("writable") ? -60031 : 0);
        QCOMPARE(pkexec.calls().size(), 1);
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void aHelperThatDiedIsAskedForAgain()
    {
        FakePkexec pkexec;
        AuthorizationRef ref = newReference();
        const privtest::AllowedCopy copy;
        const std::vector<QByteArray> command = encoded(copy.arguments());
        QCOMPARE(execute(ref, "/bin/cp", command).status, 0);
        const pid_t helper = pkexec.lastPid();
        QVERIFY(::kill(helper, SIGKILL) == 0);
        QTRY_VERIFY(privtest::processGone(helper));

        QCOMPARE(execute(ref, "/bin/cp", command).status, -60031);
        QCOMPARE(execute(ref, "/bin/cp", command).status, 0);
        QCOMPARE(pkexec.calls().size(), 2);
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void freeingTheReferenceEndsTheHelper()
    {
        FakePkexec pkexec;
        AuthorizationRef ref = newReference();
        QCOMPARE(execute(ref, "/bin/cp", encoded(privtest::AllowedCopy().arguments())).status, 0);
        const pid_t helper = pkexec.lastPid();
        QVERIFY(!privtest::processGone(helper));
        QCOMPARE(AuthorizationFree(ref, kAuthorizationFlagDestroyRights), 0);
        QTRY_VERIFY(privtest::processGone(helper));
    }

    // The owner is another program that starts the helper and then waits; killing it
    // must take the helper along.
    void theHelperGoesWhenTheProgramIsKilled()
    {
        FakePkexec pkexec;
        const privtest::AllowedCopy copy;
        QProcess owner;
        owner.setProgram(QStringLiteral(PPD_HELPER_OWNER));
        owner.setArguments({QStringLiteral(PPD_FAKE_PKEXEC), QStringLiteral(PPD_HELPER_PATH),
                            copy.source(), copy.destination()});
        owner.start();
        QVERIFY(owner.waitForStarted());
        QVERIFY(owner.waitForReadyRead(10000));
        QCOMPARE(owner.readLine().trimmed(), QByteArray("helper runs"));
        const pid_t helper = pkexec.lastPid();
        QVERIFY(!privtest::processGone(helper));

        ::kill(pid_t(owner.processId()), SIGKILL);
        QVERIFY(owner.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(privtest::processGone(helper), 10000);
    }
};

PPD_TEST_MAIN(TestAuthorization)
#include "tst_authorization.moc"
