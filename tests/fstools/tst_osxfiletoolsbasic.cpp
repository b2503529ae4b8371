#include "framework/FolderItem.h"
#include "framework/NilObjectException.h"
#include "fstools/OSXFileToolsBasic.h"
#include "platform/Files.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using framework::FolderItem;
using OSXFileToolsBasic::unixPath;

namespace {

QByteArray pascal(const QByteArray& name)
{
    return char(name.size()) + name;
}

const unsigned char* bytes(const QByteArray& data)
{
    return reinterpret_cast<const unsigned char*>(data.constData());
}

} // namespace

class TestOSXFileToolsBasic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void carbonName_data();
    void carbonName();
    void unixPathOnTheSandboxVolume_data();
    void unixPathOnTheSandboxVolume();
    void unixPathOnTheRootVolume();
    void missingVolumeRootEndsInNil();
    void nilNeverRaisesFromUnixPath();
    void specStatuses_data();
    void specStatuses();
    void pathMustFitTheBuffer();
    void staleRefsFail();

private:
    QString path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    FolderItem item(const QString& relative) const
    {
        return FolderItem::fromNativePath(path(relative));
    }
    QString ppdFolder() const
    {
        return path("volume/Library/Printers/PPDs/Contents/Resources/en.lproj");
    }

    QTemporaryDir m_dir;
};

void TestOSXFileToolsBasic::init()
{
    QVERIFY(QDir().mkpath(ppdFolder()));
    QVERIFY(QDir().mkpath(path("app/PPDs")));
    testsupport::writeFile(ppdFolder() + "/installed.ppd", "x");
    testsupport::writeFile(path("app/PPDs/a:b.ppd"), "x");
    framework::setApplicationFolder(path("app"));
    framework::setBootVolumeRoot(path("volume"));
}

void TestOSXFileToolsBasic::cleanup()
{
    framework::setBootVolumeRoot(QStringLiteral("/"));
    framework::setApplicationFolder(QString());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestOSXFileToolsBasic::carbonName_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("name");
    QTest::newRow("file")
        << "volume/Library/Printers/PPDs/Contents/Resources/en.lproj/installed.ppd"
        << "installed.ppd";
    QTest::newRow("folder") << "volume/Library/Printers"
                            << "Printers";
    QTest::newRow("volume") << "volume"
                            << "Boot";
    QTest::newRow("missing") << "volume/Library/new.ppd"
                             << "new.ppd";
    QTest::newRow("colon shows as slash") << "app/PPDs/a:b.ppd"
                                          << "a/b.ppd";
}

void TestOSXFileToolsBasic::carbonName()
{
    QFETCH(QString, relative);
    QFETCH(QString, name);
    QCOMPARE(OSXFileToolsBasic::carbonName(item(relative)), name);
}

void TestOSXFileToolsBasic::unixPathOnTheSandboxVolume_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("expected");
    const QString ppds = "volume/Library/Printers/PPDs/Contents/Resources/en.lproj";
    QTest::newRow("system PPD folder, no trailing slash") << ppds << ppds;
    QTest::newRow("installed PPD") << ppds + "/installed.ppd" << ppds + "/installed.ppd";
    QTest::newRow("PPD not yet installed") << ppds + "/new one.ppd" << ppds + "/new one.ppd";
    QTest::newRow("several missing levels") << "volume/Library/x/y/z.ppd"
                                            << "volume/Library/x/y/z.ppd";
    QTest::newRow("boot volume") << "volume"
                                 << "volume";
    QTest::newRow("existing name with colon") << "app/PPDs/a:b.ppd"
                                              << "app/PPDs/a:b.ppd";
    QTest::newRow("missing name with colon") << ppds + "/a:b.ppd" << ppds + "/a:b.ppd";
    QTest::newRow("folder beside the boot volume") << "app/PPDs"
                                                   << "app/PPDs";
    QTest::newRow("non-ASCII") << QString::fromUtf8("app/PPDs/Drücker.ppd")
                               << QString::fromUtf8("app/PPDs/Drücker.ppd");
}

void TestOSXFileToolsBasic::unixPathOnTheSandboxVolume()
{
    QFETCH(QString, relative);
    QFETCH(QString, expected);
    QCOMPARE(unixPath(item(relative)), path(expected));
}

void TestOSXFileToolsBasic::unixPathOnTheRootVolume()
{
    framework::setBootVolumeRoot(QStringLiteral("/"));
    QCOMPARE(unixPath(framework::Volume(0)), QStringLiteral("/"));
    QCOMPARE(unixPath(framework::Volume(0).Child("no such entry")),
             QStringLiteral("//no such entry"));
    QCOMPARE(unixPath(FolderItem::fromNativePath(path("app/PPDs"))), path("app/PPDs"));

    // Folders on the way are resolved; the entry itself stays what it is.
    QVERIFY(QFile::link(path("app"), path("app-link")));
    QVERIFY(QFile::link(path("app/PPDs/a:b.ppd"), path("app/PPDs/link.ppd")));
    QCOMPARE(unixPath(FolderItem::fromNativePath(path("app-link/PPDs/link.ppd"))),
             path("app/PPDs/link.ppd"));
}

void TestOSXFileToolsBasic::missingVolumeRootEndsInNil()
{
    // A boot volume whose root folder is gone: the chain of missing levels ends in nil.
    framework::setBootVolumeRoot(path("gone"));
    QCOMPARE(unixPath(framework::Volume(0).Child("Library").Child("x.ppd")),
             QStringLiteral("/Boot/Library/x.ppd"));
}

void TestOSXFileToolsBasic::nilNeverRaisesFromUnixPath()
{
    QCOMPARE(unixPath(FolderItem()), QString());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, OSXFileToolsBasic::fsspec(FolderItem()));
    QVERIFY_THROWS_EXCEPTION(NilObjectException, OSXFileToolsBasic::fsref(FolderItem()));
    QVERIFY_THROWS_EXCEPTION(NilObjectException, OSXFileToolsBasic::carbonName(FolderItem()));
    QVERIFY(!OSXFileToolsBasic::fsref(item("volume/Library")).isNil());
    // A missing entry has an FSSpec; its ref block comes back too (-43 is accepted) but,
    // never filled, leads to no path.
    QVERIFY(!OSXFileToolsBasic::fsspec(item("volume/none")).isNil());
    const framework::MemoryBlock ref = OSXFileToolsBasic::fsref(item("volume/none"));
    QVERIFY(!ref.isNil());
    unsigned char out[16] = {};
    QCOMPARE(int(FSRefMakePath(reinterpret_cast<const FSRef*>(ref.address()), out, sizeof out)),
             -1401);
}

void TestOSXFileToolsBasic::specStatuses_data()
{
    QTest::addColumn<QString>("folder"); // relative; "root" for the volume's parent id
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("volume"); // 0 the boot volume, 1 the host's, 9 none
    QTest::addColumn<int>("fsSpecStatus");
    QTest::addColumn<int>("refStatus");
    QTest::newRow("existing") << "volume/Library" << QByteArray("Printers") << 0 << 0 << 0;
    QTest::newRow("missing") << "volume/Library" << QByteArray("none") << 0 << -43 << -43;
    QTest::newRow("slash is colon") << "app/PPDs" << QByteArray("a/b.ppd") << 1 << 0 << 0;
    QTest::newRow("empty name") << "volume/Library" << QByteArray() << 0 << -37 << -37;
    QTest::newRow("dot dot") << "volume/Library" << QByteArray("..") << 0 << -37 << -37;
    QTest::newRow("folder not there") << "volume/none" << QByteArray("x") << 0 << -120 << -120;
    QTest::newRow("folder on another volume") << "app" << QByteArray("PPDs") << 0 << -120 << -120;
    QTest::newRow("unknown volume") << "volume" << QByteArray("Library") << 9 << -35 << -35;
    QTest::newRow("volume root by name") << "root" << QByteArray("Boot") << 0 << 0 << 0;
    QTest::newRow("wrong volume name") << "root" << QByteArray("Other") << 0 << -35 << -35;
}

void TestOSXFileToolsBasic::specStatuses()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, name);
    QFETCH(int, volume);
    QFETCH(int, fsSpecStatus);
    QFETCH(int, refStatus);

    const int vRefNum = volume <= 1 ? framework::Volume(volume).VRefNum() : -99;
    const int dirID =
        folder == "root" ? framework::files::kRootParentID : item(folder).Child("x").DirID();
    FSSpec fsSpec;
    std::memset(&fsSpec, 0xAB, sizeof fsSpec);
    QCOMPARE(int(FSMakeFSSpec(int16_t(vRefNum), dirID, bytes(pascal(name)), &fsSpec)),
             fsSpecStatus);
    if (fsSpecStatus == 0 || fsSpecStatus == -43) {
        QCOMPARE(int(fsSpec.vRefNum), vRefNum);
        QCOMPARE(int(fsSpec.parID), dirID);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(fsSpec.name + 1), fsSpec.name[0]), name);
    } else {
        QCOMPARE(fsSpec.vRefNum, int16_t(0xABAB)); // left alone
    }

    // The ref goes from whatever the FSSpec holds, as the caller would have it.
    fsSpec.vRefNum = int16_t(vRefNum);
    fsSpec.parID = dirID;
    std::memcpy(fsSpec.name, pascal(name).constData(), size_t(name.size()) + 1);
    FSRef ref{};
    QCOMPARE(int(FSpMakeFSRef(&fsSpec, &ref)), refStatus);
}

void TestOSXFileToolsBasic::pathMustFitTheBuffer()
{
    const FolderItem file = item("app/PPDs/a:b.ppd");
    const framework::MemoryBlock ref = OSXFileToolsBasic::fsref(file);
    QVERIFY(!ref.isNil());
    const QByteArray expected = QFile::encodeName(path("app/PPDs/a:b.ppd"));
    const auto* fsRef = reinterpret_cast<const FSRef*>(ref.address());

    QByteArray buffer(int(expected.size()) + 10, '#');
    auto* out = reinterpret_cast<unsigned char*>(buffer.data());
    QCOMPARE(int(FSRefMakePath(fsRef, out, uint32_t(expected.size()))), -2110);
    QCOMPARE(buffer, QByteArray(int(expected.size()) + 10, '#'));
    QCOMPARE(int(FSRefMakePath(fsRef, out, uint32_t(expected.size()) + 1)), 0);
    QCOMPARE(buffer.left(int(expected.size()) + 2), expected + '\0' + '#');
    QCOMPARE(int(FSRefMakePath(fsRef, out, 0)), -2110);
}

void TestOSXFileToolsBasic::staleRefsFail()
{
    const FolderItem file = item("app/PPDs/a:b.ppd");
    const framework::MemoryBlock ref = OSXFileToolsBasic::fsref(file);
    const auto* fsRef = reinterpret_cast<const FSRef*>(ref.address());
    unsigned char out[64];
    std::memset(out, '#', sizeof out);

    // Replaced by another file of the same name: not the entry the ref was made for.
    testsupport::writeFile(path("app/PPDs/other"), "y");
    QVERIFY(QFile::remove(path("app/PPDs/a:b.ppd")));
    QVERIFY(QFile::rename(path("app/PPDs/other"), path("app/PPDs/a:b.ppd")));
    QCOMPARE(int(FSRefMakePath(fsRef, out, 4096)), -43);
    QVERIFY(QFile::remove(path("app/PPDs/a:b.ppd")));
    QCOMPARE(int(FSRefMakePath(fsRef, out, 4096)), -43);
    QCOMPARE(out[0], static_cast<unsigned char>('#'));

    // A record no call made, such as a fresh zeroed block.
    const framework::MemoryBlock zeros(100);
    QCOMPARE(int(FSRefMakePath(reinterpret_cast<const FSRef*>(zeros.address()), out, 4096)), -1401);
}

PPD_TEST_MAIN(TestOSXFileToolsBasic)
#include "tst_osxfiletoolsbasic.moc"
