#include "framework/FolderItem.h"
#include "framework/NilObjectException.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using framework::FolderItem;

namespace {

void makeFifo(const QString& path)
{
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
}

void makeSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    QVERIFY(size_t(name.size()) < sizeof address.sun_path);
    qstrcpy(address.sun_path, name.constData());
    QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    ::close(fd);
}

void makeLink(const QString& target, const QString& path)
{
    QVERIFY(QFile::link(target, path));
}

QStringList namesOf(const FolderItem& folder)
{
    QStringList names;
    for (int i = 1; i <= folder.Count(); ++i)
        names.append(folder.Item(i).Name());
    return names;
}

// Lets the coarse clock move past the folder's last change, so its listing can be kept.
void letClockTick()
{
    QThread::msleep(30);
}

} // namespace

class TestFolderItem : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void childIsFormedOnlyForValidNames_data();
    void childIsFormedOnlyForValidNames();
    void childOfAFileIsNil();
    void entriesAreNumberedInByteOrderOfNames();
    void missingFolderOrFileHasNoEntries();
    void unchangedFolderIsNotReadAgain();
    void changesInTheSameClockTickAreSeen();
    void replacedFolderIsReadAgain();
    void kindsOfEntries_data();
    void kindsOfEntries();
    void specialFilesNeverOpenNorBlock_data();
    void specialFilesNeverOpenNorBlock();
    void openAndReadARegularFile();
    void absolutePathAndParents_data();
    void absolutePathAndParents();
    void colonsInNamesRoundTrip();
    void pathsOutsideTheBootVolumeBelongToTheHost();
    void applicationFolderLookups();
    void createAsFolderReportsErrors();
    void folderIdsLeadBackToFolders();
    void usingNilRaises();

private:
    QString path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    FolderItem item(const QString& relative) const
    {
        return FolderItem::fromNativePath(path(relative));
    }

    QTemporaryDir m_dir;
};

void TestFolderItem::init()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir().mkpath(path("volume")));
    QVERIFY(QDir().mkpath(path("app")));
    framework::setBootVolumeRoot(path("volume"));
    framework::setApplicationFolder(path("app"));
}

void TestFolderItem::cleanup()
{
    framework::setBootVolumeRoot(QStringLiteral("/"));
    framework::setApplicationFolder(QString());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestFolderItem::childIsFormedOnlyForValidNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("formed");
    QTest::newRow("plain") << "a.ppd" << true;
    QTest::newRow("spaces and quotes") << "My \"Laser\" 1.ppd" << true;
    QTest::newRow("leading dash") << "-rf.ppd" << true;
    QTest::newRow("colon") << "a:b.ppd" << true;
    QTest::newRow("non-ASCII") << QString::fromUtf8("Drücker ÉÀ.ppd") << true;
    QTest::newRow("255 bytes") << QString(251, 'x') + ".ppd" << true;
    QTest::newRow("256 bytes") << QString(252, 'x') + ".ppd" << false;
    QTest::newRow("255 bytes non-ASCII") << QString::fromUtf8("é").repeated(127) + "x" << true;
    QTest::newRow("256 bytes non-ASCII") << QString::fromUtf8("é").repeated(128) << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("hidden") << ".h.ppd" << true;
}

void TestFolderItem::childIsFormedOnlyForValidNames()
{
    QFETCH(QString, name);
    QFETCH(bool, formed);
    for (const QString& folder : {QStringLiteral("volume"), QStringLiteral("volume/missing")}) {
        const FolderItem child = item(folder).Child(name);
        QCOMPARE(!child.isNil(), formed);
        if (formed) {
            QCOMPARE(child.Name(), name);
            QCOMPARE(child.nativePath(), path(folder + '/' + name));
            QVERIFY(!child.Exists());
        }
    }
}

void TestFolderItem::childOfAFileIsNil()
{
    testsupport::writeFile(path("volume/f.txt"), "x");
    QVERIFY(item("volume/f.txt").Child("a").isNil());
}

void TestFolderItem::entriesAreNumberedInByteOrderOfNames()
{
    const QStringList names = {"b.ppd",  "a.ppd", ".hidden", "B.ppd", QString::fromUtf8("é.ppd"),
                               "10.ppd", "9.ppd"};
    for (const QString& name : names)
        testsupport::writeFile(path("volume/PPDs/" + name), "x");
    QVERIFY(QDir().mkpath(path("volume/PPDs/dir")));

    const FolderItem folder = item("volume/PPDs");
    const QStringList expected = {".hidden", "10.ppd", "9.ppd", "B.ppd",
                                  "a.ppd",   "b.ppd",  "dir",   QString::fromUtf8("é.ppd")};
    QCOMPARE(namesOf(folder), expected);
    QCOMPARE(namesOf(folder), expected);
    QVERIFY(folder.Item(0).isNil());
    QVERIFY(folder.Item(int(expected.size()) + 1).isNil());
    QVERIFY(!folder.Item(1).Visible());
    QVERIFY(folder.Item(2).Visible());
}

void TestFolderItem::missingFolderOrFileHasNoEntries()
{
    testsupport::writeFile(path("volume/f.txt"), "x");
    QCOMPARE(item("volume/missing").Count(), 0);
    QVERIFY(item("volume/missing").Item(1).isNil());
    QCOMPARE(item("volume/f.txt").Count(), 0);
    QCOMPARE(item("volume").Count(), 1);
}

void TestFolderItem::unchangedFolderIsNotReadAgain()
{
    for (int i = 0; i < 50; ++i)
        testsupport::writeFile(path(QStringLiteral("volume/PPDs/%1.ppd").arg(i, 2, 10, QChar('0'))),
                               "x");
    letClockTick();
    const FolderItem folder = item("volume/PPDs");
    QCOMPARE(folder.Count(), 50);

    const long reads = framework::test::folderReads();
    for (int i = 1; i <= 50; ++i) {
        QCOMPARE(FolderItem::fromNativePath(path("volume/PPDs")).Count(), 50);
        QCOMPARE(folder.Item(i).Name(), QStringLiteral("%1.ppd").arg(i - 1, 2, 10, QChar('0')));
    }
    QCOMPARE(framework::test::folderReads(), reads);

    // Looking at other folders in between keeps this one's listing.
    QVERIFY(QDir().mkpath(path("volume/other")));
    letClockTick();
    QCOMPARE(item("volume/other").Count(), 0);
    const long afterOther = framework::test::folderReads();
    QCOMPARE(folder.Count(), 50);
    QCOMPARE(framework::test::folderReads(), afterOther);

    // A change is read once, then kept again.
    testsupport::writeFile(path("volume/PPDs/zz.ppd"), "x");
    letClockTick();
    QCOMPARE(folder.Count(), 51);
    QCOMPARE(folder.Item(51).Name(), QStringLiteral("zz.ppd"));
    QCOMPARE(framework::test::folderReads(), afterOther + 1);
}

void TestFolderItem::changesInTheSameClockTickAreSeen()
{
    // Each change follows the listing before it at once, mostly within one tick of the
    // clock that file times come from, where the folder's mtime may not move. A listing
    // made in such a tick is read again at the next call instead of being trusted.
    const FolderItem folder = item("volume/PPDs");
    QVERIFY(QDir().mkpath(path("volume/PPDs")));
    int distrusted = 0;
    for (int i = 1; i <= 40; ++i) {
        const QString name = QStringLiteral("%1").arg(i, 2, 10, QChar('0'));
        testsupport::writeFile(path("volume/PPDs/" + name), "x");
        QCOMPARE(folder.Count(), i);
        const long reads = framework::test::folderReads();
        QCOMPARE(folder.Item(i).Name(), name);
        if (framework::test::folderReads() > reads)
            ++distrusted;
    }
    QVERIFY2(distrusted > 0, "listings made in the tick of a change were trusted");
    for (int i = 40; i >= 1; --i) {
        QVERIFY(QFile::remove(path(QStringLiteral("volume/PPDs/%1").arg(i, 2, 10, QChar('0')))));
        QCOMPARE(folder.Count(), i - 1);
    }
}

void TestFolderItem::replacedFolderIsReadAgain()
{
    testsupport::writeFile(path("volume/PPDs/a.ppd"), "x");
    testsupport::writeFile(path("volume/other/b.ppd"), "x");
    testsupport::writeFile(path("volume/other/c.ppd"), "x");
    letClockTick();
    const FolderItem folder = item("volume/PPDs");
    QCOMPARE(namesOf(folder), QStringList{"a.ppd"});
    QVERIFY(QDir(path("volume")).rename("PPDs", "old"));
    QVERIFY(QDir(path("volume")).rename("other", "PPDs"));
    QCOMPARE(namesOf(folder), (QStringList{"b.ppd", "c.ppd"}));
}

void TestFolderItem::kindsOfEntries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("directory");
    QTest::addColumn<bool>("regular");
    QTest::newRow("file") << "file" << true << false << true;
    QTest::newRow("folder") << "folder" << true << true << false;
    QTest::newRow("link to file") << "link-file" << true << false << true;
    QTest::newRow("link to folder") << "link-folder" << true << true << false;
    QTest::newRow("broken link") << "link-broken" << true << false << false;
    QTest::newRow("fifo") << "fifo" << true << false << false;
    QTest::newRow("socket") << "socket" << true << false << false;
    QTest::newRow("link to device") << "link-device" << true << false << false;
    QTest::newRow("missing") << "missing" << false << false << false;
}

void TestFolderItem::kindsOfEntries()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(bool, directory);
    QFETCH(bool, regular);

    testsupport::writeFile(path("volume/file"), "x");
    QVERIFY(QDir().mkpath(path("volume/folder")));
    makeLink(path("volume/file"), path("volume/link-file"));
    makeLink(path("volume/folder"), path("volume/link-folder"));
    makeLink(path("volume/gone"), path("volume/link-broken"));
    makeLink("/dev/zero", path("volume/link-device"));
    makeFifo(path("volume/fifo"));
    makeSocket(path("volume/socket"));

    const FolderItem entry = item("volume").Child(name);
    QCOMPARE(entry.Exists(), exists);
    QCOMPARE(entry.Directory(), directory);
    QCOMPARE(entry.Regular(), regular);
    QVERIFY(entry.Visible());
}

void TestFolderItem::specialFilesNeverOpenNorBlock_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");
    QTest::newRow("fifo") << "x.ppd" << -36;
    QTest::newRow("link to fifo") << "link-fifo.ppd" << -36;
    QTest::newRow("socket") << "socket.ppd" << -36;
    QTest::newRow("link to /dev/zero") << "zero.ppd" << -36;
    QTest::newRow("folder") << "folder.ppd" << -36;
    QTest::newRow("broken link") << "broken.ppd" << -43;
    QTest::newRow("missing") << "missing.ppd" << -43;
}

void TestFolderItem::specialFilesNeverOpenNorBlock()
{
    QFETCH(QString, name);
    QFETCH(int, error);
    makeFifo(path("volume/x.ppd"));
    makeLink(path("volume/x.ppd"), path("volume/link-fifo.ppd"));
    makeSocket(path("volume/socket.ppd"));
    makeLink("/dev/zero", path("volume/zero.ppd"));
    makeLink(path("volume/gone"), path("volume/broken.ppd"));
    QVERIFY(QDir().mkpath(path("volume/folder.ppd")));

    // A FIFO with no writer would block a plain open for ever; the test would hang.
    const FolderItem entry = item("volume").Child(name);
    QVERIFY(entry.OpenBinaryFile().isNil());
    QCOMPARE(entry.LastError(), error);
}

void TestFolderItem::openAndReadARegularFile()
{
    QByteArray content;
    for (int i = 0; i < 300000; ++i)
        content += char(i * 7);
    testsupport::writeFile(path("volume/a.ppd"), content);
    makeLink(path("volume/a.ppd"), path("volume/link.ppd"));

    for (const QString& name : {QStringLiteral("a.ppd"), QStringLiteral("link.ppd")}) {
        const FolderItem entry = item("volume").Child(name);
        const framework::BinaryStream stream = entry.OpenBinaryFile();
        QVERIFY(!stream.isNil());
        QCOMPARE(entry.LastError(), 0);
        QCOMPARE(stream.Length(), qint64(content.size()));
        QCOMPARE(stream.Read(10), content.left(10));
        // More than is left gives what is left, in one piece.
        QCOMPARE(stream.Read(stream.Length()), content.mid(10));
        QCOMPARE(stream.Read(5), QByteArray());
        stream.Close();
        QCOMPARE(stream.Read(5), QByteArray());
    }

    testsupport::writeFile(path("volume/empty.ppd"), QByteArray());
    const framework::BinaryStream empty = item("volume/empty.ppd").OpenBinaryFile();
    QVERIFY(!empty.isNil());
    QCOMPARE(empty.Length(), qint64(0));
    QCOMPARE(empty.Read(empty.Length()), QByteArray());
}

void TestFolderItem::absolutePathAndParents_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("absolutePath");
    QTest::addColumn<QString>("name");
    QTest::newRow("boot volume") << "volume"
                                 << "Boot:"
                                 << "Boot";
    QTest::newRow("folder") << "volume/Library/Printers"
                            << "Boot:Library:Printers:"
                            << "Printers";
    QTest::newRow("file") << "volume/Library/a.ppd"
                          << "Boot:Library:a.ppd"
                          << "a.ppd";
    QTest::newRow("missing") << "volume/Library/none"
                             << "Boot:Library:none"
                             << "none";
    QTest::newRow("missing below missing") << "volume/none/deeper"
                                           << "Boot:none:deeper"
                                           << "deeper";
}

void TestFolderItem::absolutePathAndParents()
{
    QFETCH(QString, relative);
    QFETCH(QString, absolutePath);
    QFETCH(QString, name);
    QVERIFY(QDir().mkpath(path("volume/Library/Printers")));
    testsupport::writeFile(path("volume/Library/a.ppd"), "x");

    const FolderItem entry = item(relative);
    QCOMPARE(entry.AbsolutePath(), absolutePath);
    QCOMPARE(entry.Name(), name);
    QVERIFY(FolderItem::fromAbsolutePath(absolutePath).samePath(entry));

    // Walking up ends at the boot volume, whose parent is nil.
    FolderItem up = entry;
    int levels = 0;
    while (!up.Parent().isNil()) {
        up = up.Parent();
        ++levels;
    }
    QVERIFY(up.samePath(framework::Volume(0)));
    QCOMPARE(levels, int(absolutePath.count(':')) - (absolutePath.endsWith(':') ? 1 : 0));
}

void TestFolderItem::colonsInNamesRoundTrip()
{
    testsupport::writeFile(path("volume/a:b/c:d.ppd"), "x");
    const FolderItem file = item("volume").Child("a:b").Child("c:d.ppd");
    QVERIFY(file.Exists());
    QCOMPARE(file.Name(), QStringLiteral("c:d.ppd"));
    QCOMPARE(file.AbsolutePath(), QStringLiteral("Boot:a/b:c/d.ppd"));
    QCOMPARE(FolderItem::fromAbsolutePath(file.AbsolutePath()).nativePath(),
             path("volume/a:b/c:d.ppd"));
    QCOMPARE(item("volume").Item(1).Name(), QStringLiteral("a:b"));
    QCOMPARE(framework::files::macName("a:b"), QStringLiteral("a/b"));
    QCOMPARE(framework::files::nativeName("a/b"), QStringLiteral("a:b"));
}

void TestFolderItem::pathsOutsideTheBootVolumeBelongToTheHost()
{
    const FolderItem app = framework::GetFolderItem(QString());
    QVERIFY(app.samePath(item("app")));
    QCOMPARE(app.VRefNum(), framework::Volume(1).VRefNum());
    QVERIFY(app.VRefNum() != framework::Volume(0).VRefNum());
    const QString hostPath = "Host" + QString(m_dir.path()).replace('/', ':') + ":app:";
    QCOMPARE(app.AbsolutePath(), hostPath);
    QVERIFY(FolderItem::fromAbsolutePath(hostPath).samePath(app));
    QVERIFY(framework::Volume(1).Parent().isNil());
    QVERIFY(framework::Volume(0).Parent().isNil());
    QVERIFY(framework::Volume(2).isNil());
    QVERIFY(FolderItem::fromAbsolutePath("Elsewhere:x").isNil());

    // The product's boot volume is the root folder itself, and there is no second volume.
    framework::setBootVolumeRoot(QStringLiteral("/"));
    QVERIFY(framework::Volume(1).isNil());
    QCOMPARE(framework::Volume(0).nativePath(), QStringLiteral("/"));
    QCOMPARE(framework::GetFolderItem(QString()).AbsolutePath(),
             "Boot" + QString(m_dir.path()).replace('/', ':') + ":app:");
}

void TestFolderItem::applicationFolderLookups()
{
    QCOMPARE(framework::GetFolderItem("PPDs").nativePath(), path("app/PPDs"));
    QCOMPARE(framework::GetFolderItem(QString()).nativePath(), path("app"));
    QCOMPARE(framework::applicationFolderPath(), path("app"));

    // By default the application lives where the running program does.
    framework::setApplicationFolder(QString());
    QCOMPARE(framework::applicationFolderPath(), QCoreApplication::applicationDirPath());
}

void TestFolderItem::createAsFolderReportsErrors()
{
    const FolderItem folder = item("volume/new");
    folder.CreateAsFolder();
    QCOMPARE(folder.LastError(), 0);
    QVERIFY(folder.Directory());
    folder.CreateAsFolder();
    QCOMPARE(folder.LastError(), -48);
    const FolderItem orphan = item("volume/none/new");
    orphan.CreateAsFolder();
    QCOMPARE(orphan.LastError(), -120);
    QVERIFY(!orphan.Exists());
}

void TestFolderItem::folderIdsLeadBackToFolders()
{
    testsupport::writeFile(path("volume/PPDs/a.ppd"), "x");
    const FolderItem a = item("volume/PPDs/a.ppd");
    const FolderItem b = item("volume/PPDs/b.ppd");
    QCOMPARE(a.DirID(), b.DirID());
    QVERIFY(a.DirID() != item("volume/PPDs").DirID());
    QCOMPARE(framework::files::pathOfId(a.DirID()), QFile::encodeName(path("volume/PPDs")));
    QCOMPARE(framework::Volume(0).DirID(), framework::files::kRootParentID);
    QCOMPARE(framework::files::volumeRoot(a.VRefNum()), QFile::encodeName(path("volume")));
    QCOMPARE(framework::files::volumeName(a.VRefNum()), QStringLiteral("Boot"));
    QVERIFY(framework::files::pathOfId(0).isEmpty());
    QVERIFY(framework::files::pathOfId(1 << 30).isEmpty());
    QVERIFY(framework::files::volumeRoot(-99).isEmpty());
}

void TestFolderItem::usingNilRaises()
{
    const FolderItem nil;
    QVERIFY(nil.isNil());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.Count());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.Item(1));
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.Child("a"));
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.Exists());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.Name());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.OpenBinaryFile());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, framework::BinaryStream().Read(1));
    QVERIFY(FolderItem::fromNativePath(QStringLiteral("relative/path")).isNil());
}

PPD_TEST_MAIN(TestFolderItem)
#include "tst_folderitem.moc"
