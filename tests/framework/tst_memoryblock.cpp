#include "framework/MemoryBlock.h"
#include "framework/NilObjectException.h"
#include "support/TestMain.h"

#include <QTest>

using framework::MemoryBlock;

class TestMemoryBlock : public QObject
{
    Q_OBJECT

private slots:
    void newBlockIsZeroed();
    void stringsStayInsideTheBlock();
    void integersKeepTheirValue();
    void usingNilRaises();
};

void TestMemoryBlock::newBlockIsZeroed()
{
    const MemoryBlock block(8192);
    QCOMPARE(block.Size(), 8192);
    QCOMPARE(QByteArray(block.address(), block.Size()), QByteArray(8192, '\0'));
    QCOMPARE(block.CString(0), QByteArray());
    // Copies share the bytes, as the address handed to a system call does.
    const MemoryBlock copy = block;
    copy.setByte(3, 0x41);
    QCOMPARE(block.Byte(3), quint8(0x41));
}

void TestMemoryBlock::stringsStayInsideTheBlock()
{
    const MemoryBlock block(16);
    block.setPString(0, "abc");
    QCOMPARE(block.Byte(0), quint8(3));
    QCOMPARE(block.PString(0), QByteArray("abc"));
    QCOMPARE(block.CString(1), QByteArray("abc"));

    // Cut to what fits: 15 bytes after the length byte.
    block.setPString(0, QByteArray(40, 'x'));
    QCOMPARE(block.PString(0), QByteArray(15, 'x'));
    const MemoryBlock name(256);
    name.setPString(0, QByteArray(300, 'y'));
    QCOMPARE(name.PString(0), QByteArray(255, 'y'));

    // A C string runs to the end of the block when no NUL stops it.
    const MemoryBlock full(4);
    full.setStringValue(0, "wxyz");
    QCOMPARE(full.CString(0), QByteArray("wxyz"));
    QCOMPARE(full.CString(2), QByteArray("yz"));
    QCOMPARE(full.CString(4), QByteArray());
    QCOMPARE(full.CString(5), QByteArray());
    full.setCString(0, "abcd"); // no room for its NUL
    QCOMPARE(full.CString(0), QByteArray("wxyz"));
    full.setCString(0, "ab");
    QCOMPARE(full.CString(0), QByteArray("ab"));
    full.setStringValue(2, "too long");
    QCOMPARE(full.StringValue(0, 4), QByteArray("ab\0z", 4));
}

void TestMemoryBlock::integersKeepTheirValue()
{
    const MemoryBlock block(8);
    block.setShort(0, -100);
    block.setLong(2, -60031);
    QCOMPARE(block.Short(0), qint16(-100));
    QCOMPARE(block.Long(2), qint32(-60031));
    block.setLong(6, 1); // does not fit
    QCOMPARE(block.Short(6), qint16(0));
    QCOMPARE(block.Long(-1), qint32(0));
}

void TestMemoryBlock::usingNilRaises()
{
    const MemoryBlock nil;
    QVERIFY(nil.isNil());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.address());
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.setPString(0, "a"));
    QVERIFY_THROWS_EXCEPTION(NilObjectException, nil.CString(0));
}

PPD_TEST_MAIN(TestMemoryBlock)
#include "tst_memoryblock.moc"
