// Bringing the program back to the front, with the front process played by the test.

#include "framework/MemoryBlock.h"
#include "framework/NilObjectException.h"
#include "framework/TestApi.h"
#include "platform/PlatformTestApi.h"
#include "support/TestMain.h"
#include "system/ProcessManager.h"

#include <QGuiApplication>
#include <QWindow>

#include <unistd.h>

namespace {

// How many bytes our serial number (0, pid) shares with another process's (0, 0) before
// the first difference, in this machine's byte order.
int bytesSharedWithAnother()
{
    int shared = 4;
    for (auto pid = static_cast<uint32_t>(::getpid()); (pid & 0xff) == 0 && shared < 8; pid >>= 8)
        ++shared;
    return shared;
}

} // namespace

class TestProcessManager : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        platform::test::setApplicationActive(std::nullopt);
        platform::test::clearSetFrontProcessCalls();
    }

    void bringMeToFront_data()
    {
        QTest::addColumn<bool>("ourselvesInFront");
        QTest::addColumn<int>("setFrontCalls");
        QTest::addColumn<int>("yields");
        QTest::newRow("already in front: nothing changes, one yield per byte") << true << 0 << 8;
        QTest::newRow("another in front: one call with our own number")
            << false << 1 << bytesSharedWithAnother();
    }

    void bringMeToFront()
    {
        QFETCH(bool, ourselvesInFront);
        QFETCH(int, setFrontCalls);
        QFETCH(int, yields);
        platform::test::setApplicationActive(ourselvesInFront);
        ProcessManager::oserr = 12345;

        const long yieldsBefore = framework::test::yieldCount();
        ProcessManager::BringMeToFront();

        QCOMPARE(framework::test::yieldCount() - yieldsBefore, long(yields));
        const QList<ProcessSerialNumber> calls = platform::test::setFrontProcessCalls();
        QCOMPARE(calls.size(), setFrontCalls);
        for (const ProcessSerialNumber& psn : calls) {
            QCOMPARE(psn.highLongOfPSN, 0u);
            QCOMPARE(psn.lowLongOfPSN, static_cast<uint32_t>(::getpid()));
        }
        QCOMPARE(ProcessManager::oserr, 0);
    }

    void afterBringingItBackTheProgramStaysInFront()
    {
        platform::test::setApplicationActive(false);
        ProcessManager::BringMeToFront();
        ProcessManager::BringMeToFront();
        QCOMPARE(platform::test::setFrontProcessCalls().size(), 1);
    }

    void serialNumbersAreZeroThenProcessId()
    {
        const framework::MemoryBlock current = ProcessManager::GetCurrentProcess();
        QCOMPARE(current.Size(), 8);
        QCOMPARE(current.Long(0), 0);
        QCOMPARE(current.Long(4), qint32(::getpid()));
    }

    void oserrHoldsTheLastCallsStatus()
    {
        // Another process cannot be brought forward from here.
        framework::MemoryBlock foreign(8);
        foreign.setLong(4, qint32(::getpid()) + 1);
        ProcessManager::SetFrontProcess(foreign);
        QCOMPARE(ProcessManager::oserr, int(procNotFound));
        ProcessManager::GetFrontProcess();
        QCOMPARE(ProcessManager::oserr, 0);
    }

    void setFrontProcessOfNilRaises()
    {
        QVERIFY_THROWS_EXCEPTION(NilObjectException,
                                 ProcessManager::SetFrontProcess(framework::MemoryBlock()));
    }

    void anActiveApplicationIsInFront()
    {
        QWindow window;
        window.resize(50, 50);
        window.show();
        QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);
        const framework::MemoryBlock front = ProcessManager::GetFrontProcess();
        QCOMPARE(front.Long(4), qint32(::getpid()));
        ProcessManager::BringMeToFront();
        QVERIFY(platform::test::setFrontProcessCalls().isEmpty());
    }
};

PPD_TEST_MAIN(TestProcessManager)
#include "tst_processmanager.moc"
