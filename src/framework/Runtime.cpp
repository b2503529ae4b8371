#include "framework/Runtime.h"

#include "framework/MessageBox.h"

#include <QCoreApplication>

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace framework {
namespace {
int s_argc = 0;
char** s_argv = nullptr;
std::vector<FileType> s_fileTypes;
int s_exitStatus = 0;
} // namespace

void initialise(int& argc, char** argv)
{
    s_argc = argc;
    s_argv = argv;
    s_fileTypes.clear();
    s_exitStatus = 0;
}

int& argumentCount()
{
    return s_argc;
}

char** argumentValues()
{
    return s_argv;
}

PluginEntrypoints* allocatePluginEntrypoints(int count)
{
    auto* table = new PluginEntrypoints;
    table->entries.resize(static_cast<size_t>(count), nullptr);
    return table;
}

void registerFileType(const QString& name, const QString& creator, const QString& type,
                      const QString& extensions)
{
    s_fileTypes.push_back({name, creator, type, extensions});
}

const std::vector<FileType>& fileTypes()
{
    return s_fileTypes;
}

void runEventLoop()
{
    const int status = QCoreApplication::exec();
    if (status != 0)
        s_exitStatus = status;
}

QString exceptionClassName(const std::exception* exception)
{
    if (!exception)
        return QStringLiteral("an unknown exception");
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(*exception).name(), nullptr, nullptr, &status), std::free);
    return QString::fromLatin1(status == 0 && name ? name.get() : typeid(*exception).name());
}

void unhandledException(const std::exception* exception)
{
    s_exitStatus = 1;
    QString text = QStringLiteral("An exception of class %1 was not handled. "
                                  "The application must shut down.")
                       .arg(exceptionClassName(exception));
    if (exception && exceptionClassName(exception) != QString::fromLatin1(exception->what()))
        text += QStringLiteral("\n\n") + QString::fromLocal8Bit(exception->what());
    messageBox(text);
    if (QCoreApplication::instance())
        QCoreApplication::exit(s_exitStatus);
}

int exitRoutine()
{
    return s_exitStatus;
}

} // namespace framework
