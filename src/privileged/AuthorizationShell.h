#pragma once

#include "platform/Authorization.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>

// Runs one command-line tool with administrator rights and collects what it writes,
// without ever waiting for the tool. A start returns once the tool runs or cannot run;
// after that the owner calls Poll again and again until the output ends. The
// authorization reference is kept from one start to the next, so the rights granted at
// the first start serve the later ones.
//
// One tool at a time: start only while the shell is idle. The start and Poll yield to the
// event loop, and nothing guards against a handler starting, polling or writing to the
// same shell meanwhile.
class AuthorizationShell
{
public:
    AuthorizationShell() = default;
    virtual ~AuthorizationShell();
    AuthorizationShell(const AuthorizationShell&) = delete;
    AuthorizationShell& operator=(const AuthorizationShell&) = delete;

    // True when the tool runs and its stream is open. False when nothing runs; ErrorNumber
    // is then 0 for the user's cancel and the failing status otherwise.
    bool AuthorizeAndExecuteArray(const QString& path, const QStringList& args);
    // Reads what output there is now, fires the events and notices the end of the output.
    void Poll();
    // The output collected so far; leaves the buffer empty.
    QByteArray ReadAll();
    // Frees the authorization reference; run when the shell is destroyed.
    void Destructor();
    // Sends bytes to the tool while it is live; does nothing otherwise.
    void Write(const QByteArray& text);
    // Write, then one line feed.
    void WriteLine(const QByteArray& text);
    int32_t ErrorNumber() const { return m_errNum; }
    bool authorizeAndExecute(const QString& path, const QStringList& args);

    const QByteArray& buffer() const { return m_buffer; }
    // The tool's stream; meaningful only while IsLive.
    FILE* file() const { return m_file; }
    AuthorizationRef authRef() const { return m_authRef; }
    int32_t bufLen() const { return m_bufLen; }
    bool IsLive() const { return m_isLive; }

protected:
    // Events, fired from inside Poll. The base class handles none.
    // At the end of every Poll while the buffer holds something.
    virtual void DataAvailable() {}
    // Once per run at the end of the output, after the stream has closed and while
    // IsLive still reads true; the stream must not be written to from here.
    virtual void Completed() {}
    // After each read of 1 to 1024 bytes, once the chunk is in the buffer.
    virtual void PartialData(const QByteArray& chunk) { (void)chunk; }

private:
    QByteArray m_buffer;
    FILE* m_file = nullptr;
    AuthorizationRef m_authRef = nullptr;
    int32_t m_bufLen = 0; // declared with the others; nothing ever sets it, so it stays 0
    int32_t m_errNum = 0;
    bool m_isLive = false;
};
