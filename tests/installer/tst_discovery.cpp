// Finding the PPDs: the source folder, the system PPD folder, the PPD list and the
// introduction the window writes when it opens.

#include "InstallerTestMain.h"
#include "framework/Controls.h"
#include "framework/FolderItem.h"
#include "framework/TestApi.h"
#include "installer/Window1.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using framework::FolderItem;

namespace {

const QString kEmptyListMessage = QStringLiteral(
    "Fatal installer error: the input PPDs folder contained no PPD files. No PPDs were "
    "installed.");

QStringList namesOf(const QList<FolderItem>& items)
{
    QStringList names;
    for (const FolderItem& item : items)
        names.append(item.Name());
    return names;
}

QByteArray introduction(const QStringList& names)
{
    QByteArray text = "This program will copy these PPD files into the OSX PPD directory:\r";
    for (const QString& name : names)
        text += "    " + name.toUtf8() + '\r';
    text += "\rIf any of these PPDs exist already and differ from the versions on the CD, they "
            "will be replaced with the CD versions.\r"
            "\r"
            "Press \"Install PPDs\" to perform the installation.\r"
            "Press \"Show in Finder\" to view the OSX PPD directory.\r"
            "\r";
    return text;
}

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ppdNames_data();
    void ppdNames();
    void onlyVisibleRegularFilesAreListed();
    void listKeepsTheFolderOrder();
    void listFollowsAFolderThatChanges();
    void missingOrEmptySourceFolderShowsTheMessage_data();
    void missingOrEmptySourceFolderShowsTheMessage();
    void introductionListsTheFiles_data();
    void introductionListsTheFiles();
    void introductionYieldsOncePerStep();
    void systemPPDFolder_data();
    void systemPPDFolder();

private:
    QString path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    QString ppds(const QString& name = QString()) const { return path("app/PPDs/" + name); }
    void addPPD(const QString& name)
    {
        testsupport::writeFile(ppds(name), "*PPD-Adobe: \"4.3\"\n");
    }
    Window1* freshWindow()
    {
        delete framework::Window::find<Window1>();
        return Window1::accessor();
    }
    QByteArray logText()
    {
        return qobject_cast<framework::EditField*>(
                   Window1::accessor()->control(QStringLiteral("EditFieldLog")))
            ->Text();
    }

    QTemporaryDir m_dir;
    testsupport::MessageBoxRecorder m_boxes;
};

void TestDiscovery::init()
{
    QVERIFY(QDir().mkpath(ppds()));
    QVERIFY(QDir().mkpath(path("volume")));
    framework::setApplicationFolder(path("app"));
    framework::setBootVolumeRoot(path("volume"));
    m_boxes.clear();
}

void TestDiscovery::cleanup()
{
    delete framework::Window::find<Window1>();
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestDiscovery::ppdNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::newRow("a.ppd") << "a.ppd" << true;
    QTest::newRow("b.PPD") << "b.PPD" << true;
    QTest::newRow("c.Ppd") << "c.Ppd" << true;
    QTest::newRow("d.ppd.bak") << "d.ppd.bak" << false;
    QTest::newRow("f.txt") << "f.txt" << false;
    QTest::newRow("trailing dot") << "a.ppd." << false;
    QTest::newRow("PPD without dot") << "PPD" << true;
    QTest::newRow("ppd without dot") << "ppd" << true;
    QTest::newRow("xppd") << "xppd" << false;
    QTest::newRow("a.ppdx") << "a.ppdx" << false;
    QTest::newRow("spaces") << "Laser Jet 4 Plus.ppd" << true;
    QTest::newRow("space before suffix") << "a. ppd" << false;
    QTest::newRow("quotes") << "The \"Best\" 'One'.ppd" << true;
    QTest::newRow("leading dash") << "-n.ppd" << true;
    QTest::newRow("colon") << "HP:Color.ppd" << true;
    QTest::newRow("non-ASCII") << QString::fromUtf8("Imprimante Ünïcødé 日本.ppd") << true;
    QTest::newRow("255 bytes") << QString(251, 'n') + ".PpD" << true;
    QTest::newRow("hidden") << ".h.ppd" << false;
    QTest::newRow("only the suffix") << ".ppd" << false;
}

void TestDiscovery::ppdNames()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);
    addPPD(name);
    const QList<FolderItem> list = freshWindow()->PPDlist();
    QCOMPARE(namesOf(list), listed ? QStringList{name} : QStringList{});
    if (listed)
        QCOMPARE(list.first().nativePath(), ppds(name));
}

void TestDiscovery::onlyVisibleRegularFilesAreListed()
{
    addPPD("a.ppd");
    addPPD(".h.ppd");
    QVERIFY(QDir().mkpath(ppds("g.ppd")));
    QVERIFY(::mkfifo(QFile::encodeName(ppds("fifo.ppd")).constData(), 0644) == 0);
    QVERIFY(QFile::link(ppds("fifo.ppd"), ppds("link-to-fifo.ppd")));
    QVERIFY(QFile::link("/dev/zero", ppds("zero.ppd")));
    QVERIFY(QFile::link(ppds("gone.ppd"), ppds("broken.ppd")));
    QVERIFY(QFile::link(ppds("g.ppd"), ppds("link-to-folder.ppd")));
    QVERIFY(QFile::link(ppds("a.ppd"), ppds("link-to-file.ppd")));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(ppds("socket.ppd"));
    QVERIFY(size_t(socketPath.size()) < sizeof address.sun_path);
    qstrcpy(address.sun_path, socketPath.constData());
    QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    ::close(fd);

    // A FIFO must never be opened: with no writer that would block for ever.
    Window1* window = freshWindow();
    QCOMPARE(namesOf(window->PPDlist()), (QStringList{"a.ppd", "link-to-file.ppd"}));
    QVERIFY(m_boxes.texts().isEmpty());
    QCOMPARE(logText(), introduction({"a.ppd", "link-to-file.ppd"}));
}

void TestDiscovery::listKeepsTheFolderOrder()
{
    const QStringList names = {"b.ppd", "A.PPD", "c.ppd", "a.ppd", "10.ppd", "9.ppd"};
    for (const QString& name : names)
        addPPD(name);
    testsupport::writeFile(ppds("B.txt"), "x");

    const FolderItem folder = FolderItem::fromNativePath(ppds());
    QStringList folderOrder;
    for (int i = 1; i <= folder.Count(); ++i) {
        if (folder.Item(i).Name().endsWith(".ppd", Qt::CaseInsensitive))
            folderOrder.append(folder.Item(i).Name());
    }
    Window1* window = freshWindow();
    QCOMPARE(namesOf(window->PPDlist()), folderOrder);
    QCOMPARE(logText(), introduction(folderOrder));
}

void TestDiscovery::listFollowsAFolderThatChanges()
{
    for (const char* name : {"a.ppd", "b.ppd", "c.ppd", "d.ppd"})
        addPPD(name);
    Window1* window = freshWindow();

    // The listing yields once per entry; what those yields let run changes the folder.
    int step = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        ++step;
        if (step == 1) {
            QVERIFY(QFile::remove(ppds("d.ppd")));
            QVERIFY(QFile::remove(ppds("c.ppd")));
        } else if (step == 2) {
            addPPD("e.ppd");
        }
    });
    timer.start(0);
    const QList<FolderItem> list = window->PPDlist();
    timer.stop();
    QVERIFY(step >= 2);
    QCOMPARE(namesOf(list), (QStringList{"a.ppd", "b.ppd", "e.ppd"}));
}

void TestDiscovery::missingOrEmptySourceFolderShowsTheMessage_data()
{
    QTest::addColumn<QString>("setup");
    QTest::newRow("empty") << "empty";
    QTest::newRow("missing") << "missing";
    QTest::newRow("no PPD among the files") << "others";
    QTest::newRow("source is a file") << "file";
}

void TestDiscovery::missingOrEmptySourceFolderShowsTheMessage()
{
    QFETCH(QString, setup);
    if (setup != "empty")
        QVERIFY(QDir(ppds()).removeRecursively());
    if (setup == "others") {
        testsupport::writeFile(ppds("readme.txt"), "x");
        QVERIFY(QDir().mkpath(ppds("folder.ppd")));
    } else if (setup == "file") {
        testsupport::writeFile(path("app/PPDs"), "*PPD-Adobe: \"4.3\"\n");
    }

    Window1* window = freshWindow();
    QCOMPARE(m_boxes.texts(), QStringList{kEmptyListMessage});
    QCOMPARE(logText(), QByteArray());
    QCOMPARE(window->windowTitle(), QStringLiteral("PPD installer"));
    QVERIFY(window->control(QStringLiteral("PushButtonInstall"))->isEnabled());
    QVERIFY(window->PPDlist().isEmpty());
}

void TestDiscovery::introductionListsTheFiles_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one") << QStringList{"a.ppd"};
    QTest::newRow("two") << QStringList{"a.ppd", "b.PPD"};
    QTest::newRow("odd names") << QStringList{"-x.ppd", "My \"Jet\".ppd", "a:b.ppd",
                                              QString::fromUtf8("é.ppd")};
}

void TestDiscovery::introductionListsTheFiles()
{
    QFETCH(QStringList, names);
    for (const QString& name : names)
        addPPD(name);
    testsupport::writeFile(ppds("notes.txt"), "x");

    freshWindow();
    QVERIFY(m_boxes.texts().isEmpty());
    const QByteArray text = logText();
    QCOMPARE(text, introduction(names));
    QCOMPARE(text.count('\r'), names.size() + 7);
}

void TestDiscovery::introductionYieldsOncePerStep()
{
    // Three entries that are not PPDs, then two or four PPDs: each entry costs the listing
    // one yield and each PPD the introduction another.
    testsupport::writeFile(ppds("x.txt"), "x");
    testsupport::writeFile(ppds(".hidden.ppd"), "x");
    QVERIFY(QDir().mkpath(ppds("dir.ppd")));
    addPPD("a.ppd");
    addPPD("b.ppd");

    Window1* window = freshWindow();
    long before = framework::test::yieldCount();
    QCOMPARE(window->PPDlist().size(), 2);
    QCOMPARE(framework::test::yieldCount() - before, 5L);

    before = framework::test::yieldCount();
    freshWindow();
    const long withTwo = framework::test::yieldCount() - before;
    addPPD("c.ppd");
    addPPD("d.ppd");
    before = framework::test::yieldCount();
    freshWindow();
    const long withFour = framework::test::yieldCount() - before;
    QCOMPARE(withFour - withTwo, 4L);
}

void TestDiscovery::systemPPDFolder_data()
{
    QTest::addColumn<QString>("made"); // below the boot volume
    QTest::addColumn<bool>("nil");
    QTest::addColumn<bool>("exists");
    QTest::newRow("all there") << "Library/Printers/PPDs/Contents/Resources/en.lproj/" << false
                               << true;
    QTest::newRow("en.lproj missing")
        << "Library/Printers/PPDs/Contents/Resources/" << false << false;
    QTest::newRow("nothing there") << "" << false << false;
    QTest::newRow("Printers is a file") << "Library/Printers" << true << false;
    QTest::newRow("en.lproj is a file")
        << "Library/Printers/PPDs/Contents/Resources/en.lproj" << false << true;
}

void TestDiscovery::systemPPDFolder()
{
    QFETCH(QString, made);
    QFETCH(bool, nil);
    QFETCH(bool, exists);
    if (made.endsWith('/'))
        QVERIFY(QDir().mkpath(path("volume/" + made)));
    else if (!made.isEmpty())
        testsupport::writeFile(path("volume/" + made), "x");

    const FolderItem folder = freshWindow()->PPDfolder();
    QCOMPARE(folder.isNil(), nil);
    if (!nil) {
        QCOMPARE(folder.Exists(), exists);
        QCOMPARE(folder.nativePath(),
                 path("volume/Library/Printers/PPDs/Contents/Resources/en.lproj"));
    }
    QVERIFY(Window1::accessor()->sourceFolder().samePath(FolderItem::fromNativePath(ppds())));
}

PPD_INSTALLER_TEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
