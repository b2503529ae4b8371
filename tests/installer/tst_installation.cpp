// The installation run through the window, with the real copy tool: the report, the fatal
// messages, copies that fail, entries that change during a run, and pressing again or
// quitting while a run is under way.

#include "InstallerTestMain.h"
#include "framework/Controls.h"
#include "framework/EventLoop.h"
#include "framework/FolderItem.h"
#include "framework/TestApi.h"
#include "installer/Window1.h"
#include "platform/PlatformTestApi.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <unistd.h>

using testsupport::writeFile;

namespace {

const QString Added = QStringLiteral("These PPDs were added:");
const QString Replaced = QStringLiteral("These PPDs were replaced with versions from the CD:");
const QString Unchanged =
    QStringLiteral("These PPDs match the versions on the CD and were not changed:");
const QString Failed = QStringLiteral("These PPDs could not be installed:");
const QString NoneAdded = QStringLiteral("No PPDs were added.");
const QString NoneReplaced = QStringLiteral("No PPDs were replaced.");

QByteArray ppd(const QByteArray& model)
{
    return "*PPD-Adobe: \"4.3\"\n*ModelName: \"" + model + "\"\n";
}

bool mount(const QStringList& arguments, const QString& program = QStringLiteral("mount"))
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestInstallation : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_boxes;
    std::function<void(const QString&)> m_onBox;

    QString ppds() const { return m_folder->path() + QStringLiteral("/PPDs"); }
    QString volume() const { return m_folder->path() + QStringLiteral("/volume"); }
    QString system() const
    {
        return volume() + QStringLiteral("/Library/Printers/PPDs/Contents/Resources/en.lproj");
    }

    static QByteArray log()
    {
        return qobject_cast<framework::EditField*>(
                   Window1::accessor()->control(QStringLiteral("EditFieldLog")))
            ->Text();
    }

    // What the copy tool wrote during the last run (its lines end with line feeds).
    QByteArray m_toolOutput;

    // Runs an installation and returns the report lines it added to the log.
    QStringList install()
    {
        const QByteArray before = log();
        Window1::accessor()->install();
        QByteArray added = log().mid(before.size());
        const qsizetype toolEnd = added.lastIndexOf('\n') + 1;
        m_toolOutput = added.left(toolEnd);
        added = added.mid(toolEnd);
        QStringList lines = QString::fromUtf8(added).split(QLatin1Char('\r'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

private slots:
    void initTestCase()
    {
        framework::test::setMessageBoxHandler([this](const QString& text) {
            m_boxes.append(text);
            if (m_onBox)
                m_onBox(text);
        });
    }

    // Every case gets its own folders and a window opened on them.
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(ppds()));
        QVERIFY(QDir().mkpath(system()));
        testsupport::useSandbox(m_folder->path());
        framework::test::resetQuitRequest();
        m_onBox = {};
        m_boxes.clear();
    }

    void cleanup()
    {
        delete framework::Window::find<Window1>();
        platform::test::setForceUnprivileged(false);
        platform::test::setPkexecPath(QString());
    }

    void firstRunAddsAndSecondRunFindsEverythingUnchanged()
    {
        const QStringList names = {QStringLiteral("-dash.ppd"), QStringLiteral("A Printer.ppd"),
                                   QStringLiteral("b.PPD"), QStringLiteral("caf\u00e9 \"q\".ppd"),
                                   QStringLiteral("with:colon.ppd")};
        for (const QString& name : names)
            writeFile(ppds() + QLatin1Char('/') + name, ppd(name.toUtf8()));
        writeFile(ppds() + QStringLiteral("/notes.txt"), "not a PPD");

        Window1::accessor();
        QStringList expected = {Added};
        for (const QString& name : names)
            expected.append(QStringLiteral("    ") + name);
        expected.append(NoneReplaced);
        QCOMPARE(install(), expected);
        for (const QString& name : names)
            QCOMPARE(contentOf(system() + QLatin1Char('/') + name),
                     contentOf(ppds() + QLatin1Char('/') + name));
        QVERIFY(!QFile::exists(system() + QStringLiteral("/notes.txt")));

        expected = {NoneAdded, NoneReplaced, Unchanged};
        for (const QString& name : names)
            expected.append(QStringLiteral("    ") + name);
        QCOMPARE(install(), expected);
        QVERIFY(m_boxes.isEmpty());
    }

    void newChangedIdenticalAndCaseOnly()
    {
        writeFile(ppds() + QStringLiteral("/case.ppd"), ppd("Model"));
        writeFile(system() + QStringLiteral("/case.ppd"), ppd("MODEL"));
        writeFile(ppds() + QStringLiteral("/changed.ppd"), ppd("New"));
        writeFile(system() + QStringLiteral("/changed.ppd"), ppd("Old"));
        writeFile(ppds() + QStringLiteral("/new.ppd"), ppd("Fresh"));
        writeFile(ppds() + QStringLiteral("/same.ppd"), ppd("Same"));
        writeFile(system() + QStringLiteral("/same.ppd"), ppd("Same"));

        Window1::accessor();
        QCOMPARE(install(),
                 (QStringList{Added, QStringLiteral("    new.ppd"), Replaced,
                              QStringLiteral("    case.ppd"), QStringLiteral("    changed.ppd"),
                              Unchanged, QStringLiteral("    same.ppd")}));
        for (const char* name : {"/case.ppd", "/changed.ppd", "/new.ppd"})
            QCOMPARE(contentOf(system() + QLatin1String(name)),
                     contentOf(ppds() + QLatin1String(name)));
    }

    void fatalMessagesInTheirOrder()
    {
        writeFile(ppds() + QStringLiteral("/readme.txt"), "no PPD here");
        Window1::accessor();
        const QByteArray before = log();
        m_boxes.clear();
        QVERIFY(install().isEmpty());
        QVERIFY(QDir(volume() + QStringLiteral("/Library")).removeRecursively());
        QVERIFY(install().isEmpty());
        QVERIFY(QDir(ppds()).removeRecursively());
        QVERIFY(install().isEmpty());
        QCOMPARE(m_boxes,
                 (QStringList{
                     QStringLiteral("Fatal installer error: the input PPDs folder contained no "
                                    "PPD files. No PPDs were installed."),
                     QStringLiteral("Fatal installer error: the OS X PPDs folder was not found. "
                                    "No PPDs were installed."),
                     QStringLiteral("Fatal installer error: the input PPDs folder not found. No "
                                    "PPDs were installed.")}));
        QCOMPARE(log(), before);
    }

    // A folder or a link where the file should go is not written through.
    void folderOrLinkInTheFilesPlaceIsNotOverwritten()
    {
        writeFile(ppds() + QStringLiteral("/folder.ppd"), ppd("Folder"));
        writeFile(ppds() + QStringLiteral("/link.ppd"), ppd("Link"));
        writeFile(ppds() + QStringLiteral("/plain.ppd"), ppd("Plain"));
        QVERIFY(QDir().mkpath(system() + QStringLiteral("/folder.ppd")));
        const QString outside = m_folder->path() + QStringLiteral("/outside.txt");
        writeFile(outside, "keep me");
        QVERIFY(QFile::link(outside, system() + QStringLiteral("/link.ppd")));

        Window1::accessor();
        QCOMPARE(install(),
                 (QStringList{Added, QStringLiteral("    plain.ppd"), NoneReplaced, Failed,
                              QStringLiteral("    folder.ppd"), QStringLiteral("    link.ppd")}));
        QCOMPARE(contentOf(outside), QByteArray("keep me"));
        QVERIFY(QDir(system() + QStringLiteral("/folder.ppd")).isEmpty());
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes.first().startsWith(QStringLiteral("Unable to open ")),
                 qPrintable(m_boxes.first()));
    }

    // While the run waits on a message box, files change under it and buttons are pressed.
    void entriesThatChangeDuringTheRun()
    {
        writeFile(ppds() + QStringLiteral("/a.ppd"), ppd("A"));
        writeFile(ppds() + QStringLiteral("/b.ppd"), ppd("B"));
        writeFile(ppds() + QStringLiteral("/c.ppd"), ppd("C"));
        writeFile(ppds() + QStringLiteral("/d.ppd"), ppd("D"));
        QVERIFY(QDir().mkpath(system() + QStringLiteral("/a.ppd")));
        Window1::accessor();

        int presses = 0;
        m_onBox = [&](const QString&) {
            QVERIFY(QFile::remove(ppds() + QStringLiteral("/b.ppd")));
            QVERIFY(QFile::remove(ppds() + QStringLiteral("/c.ppd")));
            QVERIFY(QDir().mkpath(ppds() + QStringLiteral("/c.ppd")));
            // A second press while the run is under way starts nothing.
            ++presses;
            const QByteArray before = log();
            Window1::accessor()->install();
            QCOMPARE(log(), before);
        };
        QCOMPARE(install(),
                 (QStringList{Added, QStringLiteral("    d.ppd"), NoneReplaced, Failed,
                              QStringLiteral("    a.ppd"), QStringLiteral("    b.ppd")}));
        QVERIFY2(m_toolOutput.contains("b.ppd"), m_toolOutput.constData());
        QCOMPARE(presses, 1);
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(!QFile::exists(system() + QStringLiteral("/b.ppd")));
        QVERIFY(!QFile::exists(system() + QStringLiteral("/c.ppd")));
    }

    void systemFolderGoneDuringTheRunEndsItWithTheNilMessage()
    {
        writeFile(ppds() + QStringLiteral("/a.ppd"), ppd("A"));
        writeFile(ppds() + QStringLiteral("/b.ppd"), ppd("B"));
        QVERIFY(QDir().mkpath(system() + QStringLiteral("/a.ppd")));
        Window1::accessor();
        m_onBox = [&](const QString& text) {
            if (text.startsWith(QStringLiteral("Unable to open "))) {
                QVERIFY(QDir(volume() + QStringLiteral("/Library")).removeRecursively());
                writeFile(volume() + QStringLiteral("/Library"), "a file, not a folder");
            }
        };
        QVERIFY(install().isEmpty());
        QCOMPARE(m_boxes.last(),
                 QStringLiteral("Unexpected error, nil object exception in Install routine"));
    }

    void quittingDuringTheRunStopsAfterTheCopyInHand()
    {
        writeFile(ppds() + QStringLiteral("/a.ppd"), ppd("A"));
        writeFile(ppds() + QStringLiteral("/b.ppd"), ppd("B"));
        writeFile(ppds() + QStringLiteral("/c.ppd"), ppd("C"));
        QVERIFY(QDir().mkpath(system() + QStringLiteral("/b.ppd")));
        Window1::accessor();
        m_onBox = [](const QString&) { framework::quitApplication(); };
        QVERIFY(install().isEmpty());
        QCOMPARE(contentOf(system() + QStringLiteral("/a.ppd")), ppd("A"));
        QVERIFY(!QFile::exists(system() + QStringLiteral("/c.ppd")));
    }

    // A system folder on a read-only file system: the copy tool fails, and says why.
    void readOnlySystemFolder()
    {
        writeFile(ppds() + QStringLiteral("/a.ppd"), ppd("New A"));
        if (::geteuid() != 0 || !mount({QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                        QStringLiteral("tmpfs"), system()}))
            QSKIP("mounting a file system needs root here");
        writeFile(system() + QStringLiteral("/a.ppd"), ppd("Old A"));
        const bool readOnly = mount({QStringLiteral("-o"), QStringLiteral("remount,ro"), system()});
        if (!readOnly) {
            mount({QStringLiteral("-l"), system()}, QStringLiteral("umount"));
            QSKIP("cannot remount read-only here");
        }
        Window1::accessor();
        const QStringList report = install();
        mount({QStringLiteral("-l"), system()}, QStringLiteral("umount"));
        QCOMPARE(report,
                 (QStringList{NoneAdded, NoneReplaced, Failed, QStringLiteral("    a.ppd")}));
        QVERIFY2(m_toolOutput.contains("Read-only file system"), m_toolOutput.constData());
    }

    // Rights that are not granted leave the files uninstalled, and the report says so.
    void refusedRightsAreReportedAsFailures_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("dialog dismissed") << QByteArray("dismiss") << QStringList{};
        QTest::newRow("not authorized")
            << QByteArray("refuse")
            << QStringList{
                   QStringLiteral("auth.errorNumber -60005, The authorization was denied."),
                   QStringLiteral("auth.errorNumber -60005, The authorization was denied.")};
    }

    void refusedRightsAreReportedAsFailures()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QStringList, boxes);
        writeFile(ppds() + QStringLiteral("/a.ppd"), ppd("A"));
        writeFile(ppds() + QStringLiteral("/b.ppd"), ppd("B"));
        writeFile(system() + QStringLiteral("/b.ppd"), ppd("old B"));
        qputenv("FAKE_PKEXEC_MODE", mode);
        qputenv("FAKE_PKEXEC_LOG", (m_folder->path() + QStringLiteral("/pkexec.log")).toUtf8());
        platform::test::setForceUnprivileged(true);
        platform::test::setPkexecPath(QStringLiteral(PPD_FAKE_PKEXEC));
        platform::test::setHelperPath(QStringLiteral(PPD_HELPER_PATH));

        Window1::accessor();
        QCOMPARE(install(),
                 (QStringList{NoneAdded, NoneReplaced, Failed, QStringLiteral("    a.ppd"),
                              QStringLiteral("    b.ppd")}));
        QCOMPARE(m_boxes, boxes);
        QVERIFY(!QFile::exists(system() + QStringLiteral("/a.ppd")));
        QCOMPARE(contentOf(system() + QStringLiteral("/b.ppd")), ppd("old B"));
    }
};

PPD_INSTALLER_TEST_MAIN(TestInstallation)
#include "tst_installation.moc"
