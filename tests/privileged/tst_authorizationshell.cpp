// The authorization shell with real tools: what one Poll reads and in which order it tells
// of it, what a start passes to the tool, and how runs end.

#include "PrivilegedTestSupport.h"
#include "framework/TestApi.h"
#include "privileged/AuthorizationShell.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <unistd.h>

using privtest::FakePkexec;

namespace {

// Records the events in the order they come, and the state they come in.
class RecordingShell : public AuthorizationShell
{
public:
    QStringList events;

protected:
    void DataAvailable() override { events << QStringLiteral("DataAvailable"); }
    void Completed() override
    {
        events << (IsLive() ? QStringLiteral("Completed while live")
                            : QStringLiteral("Completed while idle"));
    }
    void PartialData(const QByteArray& chunk) override
    {
        events << QStringLiteral("PartialData %1").arg(chunk.size());
    }
};

QByteArray patternOf(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

// Polls until the run is over; a run that never ends fails the test instead of hanging it.
bool pollToTheEnd(AuthorizationShell& shell)
{
    for (int i = 0; i < 200 && shell.IsLive(); ++i) {
        shell.Poll();
        if (shell.IsLive())
            QTest::qWait(10);
    }
    return !shell.IsLive();
}

} // namespace

class TestAuthorizationShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("LC_ALL", "C"); }

    void init()
    {
        if (::geteuid() != 0)
            QSKIP("tools start directly only as root; the helper's road has its own tests");
        platform::test::setApplicationActive(true);
    }

    void cleanup()
    {
        platform::test::setApplicationActive(std::nullopt);
        platform::test::clearSetFrontProcessCalls();
    }

    // Output already there when the tool has ended is read in one Poll, 1024 bytes at a
    // time, with one yield per read besides the eight of bringing the program to front.
    void onePollReadsWhatIsThere_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("reads");
        const QString done = QStringLiteral("Completed while live");
        const QString data = QStringLiteral("DataAvailable");
        QTest::newRow("nothing") << 0 << QStringList{done} << 1;
        QTest::newRow("three bytes") << 3 << QStringList{"PartialData 3", done, data} << 1;
        QTest::newRow("exactly one chunk")
            << 1024 << QStringList{"PartialData 1024", done, data} << 2;
        QTest::newRow("three chunks")
            << 2500
            << QStringList{"PartialData 1024", "PartialData 1024", "PartialData 452", done, data}
            << 3;
    }

    void onePollReadsWhatIsThere()
    {
        QFETCH(int, size);
        QFETCH(QStringList, events);
        QFETCH(int, reads);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("output"));
        testsupport::writeFile(file, patternOf(size));

        RecordingShell shell;
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/cat"), {file}));
        QVERIFY(shell.IsLive());
        QVERIFY(privtest::waitForHangUp(shell.file()));

        const long yields = framework::test::yieldCount();
        shell.Poll();
        QCOMPARE(shell.events, events);
        QCOMPARE(framework::test::yieldCount() - yields, long(reads + 8));
        QVERIFY(!shell.IsLive());
        QCOMPARE(shell.buffer(), patternOf(size));
    }

    // Left in the buffer, output is announced again at every Poll, also while idle, and a
    // new start adds to it; ReadAll takes it all once.
    void theBufferWaitsForReadAll()
    {
        RecordingShell shell;
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/echo"), {"abc"}));
        QVERIFY(pollToTheEnd(shell));
        shell.events.clear();
        platform::test::setApplicationActive(false);
        shell.Poll();
        QCOMPARE(shell.events, QStringList{"DataAvailable"});
        QCOMPARE(platform::test::setFrontProcessCalls().size(), 1);

        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/echo"), {"def"}));
        QVERIFY(pollToTheEnd(shell));
        QCOMPARE(shell.ReadAll(), QByteArray("abc\ndef\n"));
        QCOMPARE(shell.ReadAll(), QByteArray());
        shell.events.clear();
        shell.Poll();
        QVERIFY(shell.events.isEmpty());
    }

    void noOutputYetKeepsTheRunGoing()
    {
        RecordingShell shell;
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/sh"),
                                               {"-c", "sleep 0.3; echo late"}));
        shell.Poll();
        QVERIFY(shell.events.isEmpty());
        QVERIFY(shell.IsLive());
        QCOMPARE(shell.ErrorNumber(), 0);
        QVERIFY(privtest::waitForHangUp(shell.file()));
        shell.Poll();
        QCOMPARE(shell.buffer(), QByteArray("late\n"));
        QVERIFY(!shell.IsLive());
    }

    void arguments_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("output");
        const QString printf = QStringLiteral("/usr/bin/printf");
        QTest::newRow("no arguments at all")
            << QStringLiteral("/bin/echo") << QStringList{} << QByteArray("\n");
        QTest::newRow("spaces stay inside one argument")
            << printf << QStringList{"<%s>", "a b", " two  spaces "}
            << QByteArray("<a b>< two  spaces >");
        QTest::newRow("quotes are plain characters")
            << printf << QStringList{"<%s>", "\"double\"", "'single'", "back\\slash"}
            << QByteArray("<\"double\"><'single'><back\\slash>");
        QTest::newRow("leading dashes stay arguments")
            << printf << QStringList{"<%s>", "-fp", "--", "-"} << QByteArray("<-fp><--><->");
        QTest::newRow("an empty argument is kept")
            << printf << QStringList{"<%s>", "", "x", ""} << QByteArray("<><x><>");
        QTest::newRow("no shell expands anything")
            << printf << QStringList{"<%s>", "$HOME", "*", "`id`", "; echo no"}
            << QByteArray("<$HOME><*><`id`><; echo no>");
        QTest::newRow("text beyond ASCII")
            << printf << QStringList{"<%s>", "é ü"} << QByteArray("<\xc3\xa9 \xc3\xbc>");
        QTest::newRow("a NUL cuts the argument")
            << printf << QStringList{"<%s>", QString::fromUtf8("ab\0cd", 5)} << QByteArray("<ab>");
    }

    void arguments()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, output);
        RecordingShell shell;
        const long yields = framework::test::yieldCount();
        QVERIFY(shell.AuthorizeAndExecuteArray(tool, args));
        QCOMPARE(framework::test::yieldCount() - yields, long(args.size() + 8));
        QVERIFY(pollToTheEnd(shell));
        QCOMPARE(shell.ReadAll(), output);
    }

    void writeReachesTheTool()
    {
        RecordingShell shell;
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/usr/bin/head"), {"-n", "1"}));
        shell.Write("ab");
        shell.WriteLine("cd");
        shell.Write("not read: after the line feed");
        QVERIFY(pollToTheEnd(shell));
        QCOMPARE(shell.ReadAll(), QByteArray("abcd\n"));
        // Idle: there is no stream to write to.
        shell.WriteLine("ignored");
        QVERIFY(!shell.IsLive());
    }

    void writingToAToolThatHasEndedIsHarmless()
    {
        RecordingShell shell;
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/true"), {}));
        QVERIFY(privtest::waitForHangUp(shell.file()));
        shell.WriteLine("nobody reads this");
        QVERIFY(pollToTheEnd(shell));
        QCOMPARE(shell.events.last(), QStringLiteral("Completed while live"));
    }

    void errorOutputSharesTheStream()
    {
        RecordingShell shell;
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/sh"),
                                               {"-c", "echo out; echo err >&2; echo out2"}));
        QVERIFY(pollToTheEnd(shell));
        QCOMPARE(shell.ReadAll(), QByteArray("out\nerr\nout2\n"));
    }

    // A read that fails for a reason other than "nothing yet" ends the run as the end of
    // the output would; otherwise the run would stay live for ever.
    void aFailingReadEndsTheRun_data()
    {
        QTest::addColumn<bool>("descriptorBroken");
        QTest::newRow("tool gone with input unread (connection reset)") << false;
        QTest::newRow("stream that can never be read again") << true;
    }

    void aFailingReadEndsTheRun()
    {
        QFETCH(bool, descriptorBroken);
        RecordingShell shell;
        if (descriptorBroken) {
            QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/cat"), {}));
            // Every read of a folder fails with EISDIR, now and later.
            const int folder = ::open("/", O_RDONLY | O_DIRECTORY);
            QVERIFY(::dup2(folder, fileno(shell.file())) >= 0);
            ::close(folder);
        } else {
            QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/sleep"), {"0.2"}));
            shell.WriteLine("never read");
            QVERIFY(privtest::waitForHangUp(shell.file()));
        }
        shell.Poll();
        QCOMPARE(shell.events, QStringList{"Completed while live"});
        QVERIFY(!shell.IsLive());
    }

    void aToolThatCannotStart()
    {
        RecordingShell shell;
        platform::test::setApplicationActive(false);
        QVERIFY(!shell.AuthorizeAndExecuteArray(QStringLiteral("/nonexistent/tool"), {"x"}));
        QCOMPARE(shell.ErrorNumber(), -60031);
        QVERIFY(!shell.IsLive());
        QCOMPARE(platform::test::setFrontProcessCalls().size(), 1);
    }

    // The user's cancel is no error: false with ErrorNumber 0, the program back in front.
    void aCancelledDialog()
    {
        FakePkexec pkexec(QStringLiteral("dismiss"));
        const privtest::AllowedCopy copy;
        RecordingShell shell;
        platform::test::setApplicationActive(false);
        QVERIFY(!shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/cp"), copy.arguments()));
        QCOMPARE(shell.ErrorNumber(), 0);
        QVERIFY(!shell.IsLive());
        QCOMPARE(platform::test::setFrontProcessCalls().size(), 1);

        // Nothing is remembered of the cancel: the next start asks again.
        pkexec.setMode(QStringLiteral("grant"));
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/cp"), copy.arguments()));
        QVERIFY(pollToTheEnd(shell));
        QCOMPARE(shell.ReadAll(), QByteArray());
        QVERIFY(QFile::exists(copy.destination()));
        QCOMPARE(pkexec.calls().size(), 2);
    }

    void theReferenceIsMadeOnceAndKept()
    {
        RecordingShell shell;
        platform::test::failNextAuthorizationCreate(errAuthorizationInternal);
        platform::test::setApplicationActive(false);
        QVERIFY(!shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/true"), {}));
        QCOMPARE(shell.ErrorNumber(), -60008);
        QVERIFY(!shell.authRef());
        QVERIFY2(platform::test::setFrontProcessCalls().isEmpty(), "no tool, so no dialog");

        const int made = platform::test::authorizationCreateCount();
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/true"), {}));
        const AuthorizationRef first = shell.authRef();
        QVERIFY(first);
        QVERIFY(pollToTheEnd(shell));
        QVERIFY(shell.AuthorizeAndExecuteArray(QStringLiteral("/bin/true"), {}));
        QVERIFY(pollToTheEnd(shell));
        QCOMPARE(shell.authRef(), first);
        QCOMPARE(platform::test::authorizationCreateCount(), made + 1);

        shell.Destructor();
        QVERIFY(!shell.authRef());
    }
};

PPD_TEST_MAIN(TestAuthorizationShell)
#include "tst_authorizationshell.moc"
