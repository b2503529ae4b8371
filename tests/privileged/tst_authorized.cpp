// Privileged commands through the shared shell: the whole output comes back and reaches
// the log, failures are told, one command runs at a time, and the wait sleeps.

#include "PrivilegedTestSupport.h"
#include "framework/Controls.h"
#include "framework/FolderItem.h"
#include "framework/TestApi.h"
#include "installer/InstallerTestMain.h"
#include "installer/Window1.h"
#include "privileged/Authorized.h"
#include "support/TestSupport.h"

#include <QTimer>

#include <unistd.h>

using privtest::FakePkexec;

namespace {

QByteArray patternOf(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char('A' + i % 26);
    return bytes;
}

} // namespace

class TestAuthorized : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    testsupport::MessageBoxRecorder m_boxes;

    QByteArray logText()
    {
        auto* field = qobject_cast<framework::EditField*>(
            Window1::accessor()->control(QStringLiteral("EditFieldLog")));
        return field ? field->Text() : QByteArray();
    }

    static void requireRoot()
    {
        if (::geteuid() != 0)
            QSKIP("tools start directly only as root");
    }

private slots:
    void initTestCase()
    {
        qputenv("LC_ALL", "C");
        framework::setApplicationFolder(m_folder.path());
        framework::setBootVolumeRoot(m_folder.path() + QStringLiteral("/volume"));
        testsupport::writeFile(m_folder.filePath(QStringLiteral("PPDs/a.ppd")), "*PPD-Adobe\n");
        testsupport::writeFile(m_folder.filePath(QStringLiteral("output")), patternOf(2500));
        QVERIFY(Window1::accessor());
    }

    void init() { m_boxes.clear(); }

    void errorString_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("success, without a full stop")
            << 0 << "0, The operation completed successfully";
        QTest::newRow("invalid set") << -60001 << "-60001, The set parameter is invalid.";
        QTest::newRow("invalid reference")
            << -60002 << "-60002, The authorization parameter is invalid.";
        QTest::newRow("invalid tag") << -60003 << "-60003, The tag parameter is invalid.";
        QTest::newRow("invalid pointer")
            << -60004 << "-60004, The authorizedRights parameter is invalid.";
        QTest::newRow("denied") << -60005 << "-60005, The authorization was denied.";
        QTest::newRow("cancelled")
            << -60006 << "-60006, The authorization was cancelled by the user.";
        QTest::newRow("no interaction")
            << -60007
            << "-60007, The authorization was denied since no user interaction was possible.";
        QTest::newRow("internal") << -60008 << "-60008, Something else went wrong.";
        QTest::newRow("externalize") << -60009 << "-60009, authorization externalization denied.";
        QTest::newRow("internalize") << -60010 << "-60010, authorization internalization denied.";
        QTest::newRow("flags") << -60011 << "-60011, invalid option flag(s).";
        QTest::newRow("tool cannot run") << -60031 << "-60031, cannot execute privileged tool.";
        QTest::newRow("tool environment") << -60032 << "-60032, privileged tool environment error.";
        QTest::newRow("bad address") << -60033 << "-60033, invalid socket address requested.";
        QTest::newRow("outside the table: number alone") << 1 << "1";
        QTest::newRow("in the gap of the table") << -60020 << "-60020";
        QTest::newRow("another system's code") << -43 << "-43";
    }

    void errorString()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(Authorized::errorString(code), text);
    }

    void reportargs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QStringList{} << "";
        QTest::newRow("one, without a blank") << QStringList{"-fp"} << "\"-fp\"";
        QTest::newRow("a copy command") << QStringList{"-fp", "/a b/x.ppd", "/c/x.ppd"}
                                        << "\"-fp\" \"/a b/x.ppd\" \"/c/x.ppd\"";
        QTest::newRow("quotes inside are not escaped")
            << QStringList{"say \"hi\"", ""} << "\"say \"hi\"\" \"\"";
    }

    void reportargs()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, text);
        const long yields = framework::test::yieldCount();
        QCOMPARE(Authorized::reportargs(args), text);
        QCOMPARE(framework::test::yieldCount() - yields, long(args.size()));
    }

    void outputComesBackWholeAndReachesTheLog_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("nothing") << "/bin/true" << QStringList{} << QByteArray();
        QTest::newRow("three bytes")
            << "/usr/bin/printf" << QStringList{"abc"} << QByteArray("abc");
        QTest::newRow("several chunks")
            << "/bin/cat" << QStringList{m_folder.filePath(QStringLiteral("output"))}
            << patternOf(2500);
        QTest::newRow("the copy tool's own complaint")
            << "/bin/cp" << QStringList{"-fp", "/nonexistent/source", "/nonexistent/dest"}
            << QByteArray(
                   "/bin/cp: cannot stat '/nonexistent/source': No such file or directory\n");
    }

    void outputComesBackWholeAndReachesTheLog()
    {
        requireRoot();
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, output);
        const QByteArray before = logText();
        QCOMPARE(Authorized::execPrivileged(tool, args), output);
        QCOMPARE(logText(), before + output);
        QVERIFY(m_boxes.texts().isEmpty());
    }

    void aToolThatCannotStartIsTold()
    {
        const QByteArray before = logText();
        QCOMPARE(Authorized::execPrivileged(QStringLiteral("/nonexistent/tool"), {}),
                 QByteArray("Aborted due to error -60031, cannot execute privileged tool."));
        QCOMPARE(m_boxes.texts(),
                 QStringList{"auth.errorNumber -60031, cannot execute privileged tool."});
        QCOMPARE(logText(), before);
    }

    // The cancel says nothing and is not remembered; once granted, the rights serve every
    // later command of the run.
    void aCancelIsQuietAndTheGrantServesLaterCommands()
    {
        FakePkexec pkexec(QStringLiteral("dismiss"));
        const privtest::AllowedCopy copy;
        QCOMPARE(Authorized::execPrivileged(QStringLiteral("/bin/cp"), copy.arguments()),
                 QByteArray());
        QVERIFY(m_boxes.texts().isEmpty());
        QVERIFY(!QFile::exists(copy.destination()));

        pkexec.setMode(QStringLiteral("grant"));
        for (int i = 0; i < 3; ++i) {
            const QString name = QStringLiteral("copy %1.ppd").arg(i);
            QCOMPARE(Authorized::execPrivileged(QStringLiteral("/bin/cp"), copy.arguments(name)),
                     QByteArray());
            QVERIFY(QFile::exists(copy.destination(name)));
        }
        QCOMPARE(pkexec.calls().size(), 2);
        QVERIFY(m_boxes.texts().isEmpty());
    }

    // A command asked for while another one waits starts nothing and says so; the first
    // one's output stays whole.
    void aSecondCommandDuringAWaitIsRefused()
    {
        requireRoot();
        const QByteArray before = logText();
        QByteArray nested;
        QTimer::singleShot(100, [&nested] {
            nested = Authorized::execPrivileged(QStringLiteral("/usr/bin/printf"), {"second"});
        });
        const QByteArray first = Authorized::execPrivileged(
            QStringLiteral("/bin/sh"), {"-c", "printf one; sleep 0.4; printf two"});
        QCOMPARE(first, QByteArray("onetwo"));
        QCOMPARE(nested, QByteArray(Authorized::CommandStillRunning));
        QCOMPARE(m_boxes.texts().size(), 1);
        QCOMPARE(logText(), before + "onetwo");

        QCOMPARE(Authorized::execPrivileged(QStringLiteral("/usr/bin/printf"), {"third"}),
                 QByteArray("third"));
    }

    // Waiting for a quiet tool sleeps until the stream has something to say: a handful of
    // wake-ups, where polling flat out would make many thousands of yields.
    void theWaitSleepsUntilTheToolSpeaks()
    {
        requireRoot();
        const long yields = framework::test::yieldCount();
        QCOMPARE(Authorized::execPrivileged(QStringLiteral("/bin/sleep"), {"0.5"}), QByteArray());
        const long made = framework::test::yieldCount() - yields;
        QVERIFY2(made < 1000, qPrintable(QStringLiteral("%1 yields").arg(made)));
    }
};

PPD_INSTALLER_TEST_MAIN(TestAuthorized)
#include "tst_authorized.moc"
