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

        const Execution run = execute(ref, "/bin/cp", {"--version"});
        QCOMPARE(run.status, status);
        QCOMPARE(pkexec.calls().size(), 1);
        QCOMPARE(pkexec.calls().first().section(QLatin1Char(' '), 1),
                 QStringLiteral(PPD_HELPER_PATH));
        if (status == 0)
            QVERIFY2(run.output.startsWith("cp (GNU coreutils)"), run.output.constData());
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void aMissingHelperIsNotAskedFor()
    {
        FakePkexec pkexec;
        platform::test::setHelperPath(QStringLiteral("/nonexistent/ppd-installer-helper"));
        AuthorizationRef ref = newReference();
        QCOMPARE(execute(ref, "/bin/cp", {"--version"}).status, -60031);
        QVERIFY(pkexec.calls().isEmpty());
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    // Every copy of a run goes through the one helper: one question, each file copied,
    // each name reaching the tool as one argument whatever it holds.
    void manyExecutesAskOnce()
    {
        FakePkexec pkexec;
        QTemporaryDir dir;
        const QStringList names = {
            QStringLiteral("plain.ppd"),         QStringLiteral("with spaces.ppd"),
            QStringLiteral("-leading dash.ppd"), QStringLiteral("quotes \"double\" 'single'.ppd"),
            QStringLiteral("$HOME;*`id`.ppd"),   QStringLiteral("é.ppd")};
        AuthorizationRef ref = newReference();
        for (const QString& name : names) {
            const QString source = dir.filePath(QStringLiteral("source ") + name);
            const QString destination = dir.filePath(QStringLiteral("dest ") + name);
            testsupport::writeFile(source, name.toUtf8());
            const Execution run = execute(
                ref, "/bin/cp", {"-fp", QFile::encodeName(source), QFile::encodeName(destination)});
            QCOMPARE(run.status, 0);
            QCOMPARE(run.output, QByteArray());
            QFile copy(destination);
            QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable(destination));
            QCOMPARE(copy.readAll(), name.toUtf8());
        }
        QCOMPARE(pkexec.calls().size(), 1);
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void theToolsMessagesShareItsStream()
    {
        FakePkexec pkexec;
        AuthorizationRef ref = newReference();
        const Execution run = execute(ref, "/bin/cp", {"-fp", "/nonexistent/source", "/tmp/x"});
        QCOMPARE(run.status, 0);
        QCOMPARE(
            run.output,
            QByteArray("/bin/cp: cannot stat '/nonexistent/source': No such file or directory\n"));
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void onlyListedToolsRun()
    {
        FakePkexec pkexec;
        AuthorizationRef ref = newReference();
        QCOMPARE(execute(ref, "/bin/sh", {"-c", "id"}).status, -60031);
        QCOMPARE(execute(ref, "/usr/bin/../../bin/cp", {"--version"}).status, -60031);
        // The refusal leaves the helper serving the reference.
        QCOMPARE(execute(ref, "/bin/cp", {"--version"}).status, 0);
        QCOMPARE(pkexec.calls().size(), 1);
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void aHelperThatDiedIsAskedForAgain()
    {
        FakePkexec pkexec;
        AuthorizationRef ref = newReference();
        QCOMPARE(execute(ref, "/bin/cp", {"--version"}).status, 0);
        const pid_t helper = pkexec.lastPid();
        QVERIFY(::kill(helper, SIGKILL) == 0);
        QTRY_VERIFY(privtest::processGone(helper));

        QCOMPARE(execute(ref, "/bin/cp", {"--version"}).status, -60031);
        QCOMPARE(execute(ref, "/bin/cp", {"--version"}).status, 0);
        QCOMPARE(pkexec.calls().size(), 2);
        AuthorizationFree(ref, kAuthorizationFlagDestroyRights);
    }

    void freeingTheReferenceEndsTheHelper()
    {
        FakePkexec pkexec;
        AuthorizationRef ref = newReference();
        QCOMPARE(execute(ref, "/bin/cp", {"--version"}).status, 0);
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
        QProcess owner;
        owner.setProgram(QStringLiteral(PPD_HELPER_OWNER));
        owner.setArguments({QStringLiteral(PPD_FAKE_PKEXEC), QStringLiteral(PPD_HELPER_PATH)});
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
