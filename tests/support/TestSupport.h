#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

// Records the texts of message boxes instead of showing them, while it lives.
class MessageBoxRecorder
{
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    QStringList texts() const { return m_texts; }
    void clear() { m_texts.clear(); }

private:
    QStringList m_texts;
};

// Makes the folder the program's home: "PPDs" beside the application and "volume" as the
// boot volume, as for the sandbox build.
void useSandbox(const QString& folder);

// Writes a file, creating the folders on its path.
void writeFile(const QString& path, const QByteArray& content);

} // namespace testsupport
