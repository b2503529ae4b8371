#include "privileged/AuthorizationShell.h"

#include "framework/EventLoop.h"
#include "framework/MemoryBlock.h"
#include "system/ProcessManager.h"

#include <QFile>
#include <QList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>

namespace {

constexpr int ChunkSize = 1024;

// A failed read that only says the non-blocking stream has nothing yet.
bool noDataYet(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

AuthorizationShell::~AuthorizationShell()
{
    // A shell that goes while its tool runs lets the tool see the end of its input.
    if (m_isLive)
        std::fclose(m_file);
    Destructor();
}

bool AuthorizationShell::AuthorizeAndExecuteArray(const QString& path, const QStringList& args)
{
    const int last = int(args.size()) - 1;

    // The argument vector: one pointer per argument, then the null pointer that ends it,
    // which the zero fill already is.
    framework::MemoryBlock vector((last + 2) * int(sizeof(char*)));
    QList<framework::MemoryBlock> keepAlive;
    for (int i = 0; i <= last; ++i) {
        const QByteArray text = QFile::encodeName(args.at(i));
        framework::MemoryBlock argument(int(text.size()) + 1);
        argument.setCString(0, text);
        keepAlive.append(argument);
        char* address = argument.address();
        std::memcpy(vector.address() + i * int(sizeof(char*)), &address, sizeof address);
        framework::yieldToEventLoop();
    }

    if (!m_authRef) {
        AuthorizationRef created = nullptr;
        const OSStatus status =
            AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &created);
        if (status != errAuthorizationSuccess) {
            m_errNum = status;
            return false;
        }
        m_authRef = created;
    }

    const QByteArray tool = QFile::encodeName(path);
    const OSStatus status = AuthorizationExecuteWithPrivileges(
        m_authRef, tool.constData(), kAuthorizationFlagDefaults,
        reinterpret_cast<char* const*>(vector.address()), &m_file);

    // The authentication dialog belongs to another process and may have taken the front.
    ProcessManager::BringMeToFront();

    if (status != errAuthorizationSuccess) {
        m_errNum = status == errAuthorizationCanceled ? 0 : status;
        return false;
    }

    const int descriptor = fileno(m_file);
    const int flags = fcntl(descriptor, F_GETFL, 0);
    fcntl(descriptor, F_SETFL, flags | O_NONBLOCK);
    m_isLive = true;
    m_errNum = 0;
    return true;
}

void AuthorizationShell::Poll()
{
    framework::MemoryBlock block(ChunkSize);
    if (m_isLive) {
        // No data yet is the normal short read; any other failure will never clear, so it
        // ends the run as the end of the output would.
        bool failed = false;
        size_t count = ChunkSize;
        while (count == ChunkSize) {
            clearerr(m_file);
            errno = 0;
            count = std::fread(block.address(), 1, ChunkSize, m_file);
            if (count < size_t(ChunkSize) && std::ferror(m_file) && !noDataYet(errno))
                failed = true;
            if (count != 0) {
                const QByteArray chunk = block.StringValue(0, int(count));
                m_buffer.append(chunk);
                PartialData(chunk);
            }
            framework::yieldToEventLoop();
        }
        if (std::feof(m_file) || failed) {
            std::fclose(m_file);
            Completed();
            m_isLive = false;
        }
    }
    if (!m_buffer.isEmpty())
        DataAvailable();
    ProcessManager::BringMeToFront();
}

QByteArray AuthorizationShell::ReadAll()
{
    QByteArray result = m_buffer;
    m_buffer.clear();
    return result;
}

void AuthorizationShell::Destructor()
{
    if (m_authRef) {
        AuthorizationFree(m_authRef, kAuthorizationFlagDestroyRights);
        m_authRef = nullptr;
    }
}

void AuthorizationShell::Write(const QByteArray& text)
{
    if (!m_isLive)
        return;
    // A tool that has already ended makes the write raise SIGPIPE, which would end the
    // program; the signal is held back for the write and taken if it came.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previousMask;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE);

    std::fwrite(text.constData(), 1, size_t(text.size()), m_file);

    if (!alreadyPending) {
        const timespec noWait{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
}

void AuthorizationShell::WriteLine(const QByteArray& text)
{
    Write(text + '\n');
}

bool AuthorizationShell::authorizeAndExecute(const QString& path, const QStringList& args)
{
    return AuthorizeAndExecuteArray(path, args);
}
