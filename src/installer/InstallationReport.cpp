#include "installer/InstallationReport.h"

namespace {

void section(QStringList& lines, const QString& heading, const QStringList& names)
{
    lines.append(heading);
    for (const QString& name : names)
        lines.append(QStringLiteral("    ") + name);
}

} // namespace

QStringList installationReport(const InstallationOutcome& outcome)
{
    QStringList lines;
    if (outcome.added.isEmpty())
        lines.append(QStringLiteral("No PPDs were added."));
    else
        section(lines, QStringLiteral("These PPDs were added:"), outcome.added);

    if (outcome.replaced.isEmpty())
        lines.append(QStringLiteral("No PPDs were replaced."));
    else
        section(lines, QStringLiteral("These PPDs were replaced with versions from the CD:"),
                outcome.replaced);

    if (!outcome.unchanged.isEmpty())
        section(lines,
                QStringLiteral("These PPDs match the versions on the CD and were not changed:"),
                outcome.unchanged);

    if (!outcome.failed.isEmpty())
        section(lines, QStringLiteral("These PPDs could not be installed:"), outcome.failed);
    return lines;
}
