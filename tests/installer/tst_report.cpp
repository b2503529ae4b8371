// The report an installation run writes: its sections, their order and their texts.

#include "installer/InstallationReport.h"

#include <QTest>

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void report_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("replaced");
        QTest::addColumn<QStringList>("unchanged");
        QTest::addColumn<QStringList>("failed");
        QTest::addColumn<QStringList>("lines");

        const QString noneAdded = QStringLiteral("No PPDs were added.");
        const QString noneReplaced = QStringLiteral("No PPDs were replaced.");
        const QString addedHeading = QStringLiteral("These PPDs were added:");
        const QString replacedHeading =
            QStringLiteral("These PPDs were replaced with versions from the CD:");
        const QString unchangedHeading =
            QStringLiteral("These PPDs match the versions on the CD and were not changed:");
        const QString failedHeading = QStringLiteral("These PPDs could not be installed:");

        QTest::newRow("first run, all added")
            << QStringList{"a.ppd", "b.PPD"} << QStringList{} << QStringList{} << QStringList{}
            << QStringList{addedHeading, "    a.ppd", "    b.PPD", noneReplaced};
        QTest::newRow("second run, all unchanged")
            << QStringList{} << QStringList{} << QStringList{"a.ppd", "b.PPD"} << QStringList{}
            << QStringList{noneAdded, noneReplaced, unchangedHeading, "    a.ppd", "    b.PPD"};
        QTest::newRow("one of each, six lines")
            << QStringList{"new.ppd"} << QStringList{"changed.ppd"} << QStringList{"same.ppd"}
            << QStringList{} << QStringList{addedHeading,      "    new.ppd",    replacedHeading,
                                            "    changed.ppd", unchangedHeading, "    same.ppd"};
        QTest::newRow("failures come last, in the same style")
            << QStringList{} << QStringList{"changed.ppd"} << QStringList{}
            << QStringList{"denied.ppd", "full disk.ppd"}
            << QStringList{noneAdded,     replacedHeading,  "    changed.ppd",
                           failedHeading, "    denied.ppd", "    full disk.ppd"};
        QTest::newRow("nothing at all") << QStringList{} << QStringList{} << QStringList{}
                                        << QStringList{} << QStringList{noneAdded, noneReplaced};
        QTest::newRow("names are kept as they are")
            << QStringList{"-x \"q\" caf\u00e9.ppd"} << QStringList{} << QStringList{}
            << QStringList{}
            << QStringList{addedHeading, "    -x \"q\" caf\u00e9.ppd", noneReplaced};
    }

    void report()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, replaced);
        QFETCH(QStringList, unchanged);
        QFETCH(QStringList, failed);
        QFETCH(QStringList, lines);
        QCOMPARE(installationReport({added, replaced, unchanged, failed}), lines);
    }
};

QTEST_APPLESS_MAIN(TestReport)
#include "tst_report.moc"
