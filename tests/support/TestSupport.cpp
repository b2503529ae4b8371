#include "support/TestSupport.h"

#include "framework/FolderItem.h"
#include "framework/TestApi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace testsupport {

MessageBoxRecorder::MessageBoxRecorder()
{
    framework::test::setMessageBoxHandler([this](const QString& text) { m_texts.append(text); });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    framework::test::setMessageBoxHandler({});
}

void useSandbox(const QString& folder)
{
    framework::setApplicationFolder(folder);
    framework::setBootVolumeRoot(folder + QStringLiteral("/volume"));
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace testsupport
