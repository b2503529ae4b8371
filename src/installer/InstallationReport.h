#pragma once

#include <QString>
#include <QStringList>

// What one installation run did with each file, in the order the files were processed.
struct InstallationOutcome
{
    QStringList added;
    QStringList replaced;
    QStringList unchanged;
    // Copies that did not leave the installed file equal to the source.
    QStringList failed;
};

// The report the run writes to the log, one entry per line.
QStringList installationReport(const InstallationOutcome& outcome);
