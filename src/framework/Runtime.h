#pragma once

#include <QString>

#include <exception>
#include <vector>

namespace framework {

// Keeps the process arguments for the application object, which the toolkit needs.
void initialise(int& argc, char** argv);
int& argumentCount();
char** argumentValues();

// The plug-in entry-point table; the program has no plug-ins and never reads it.
struct PluginEntrypoints
{
    std::vector<void*> entries;
};
PluginEntrypoints* allocatePluginEntrypoints(int count);

// File types known to the application: name, creator code, type code, extensions.
struct FileType
{
    QString name;
    QString creator;
    QString type;
    QString extensions;
};
void registerFileType(const QString& name, const QString& creator, const QString& type,
                      const QString& extensions);
const std::vector<FileType>& fileTypes();

// Runs the toolkit's event loop until the application quits.
void runEventLoop();

// Tells the user which exception went unhandled and lets the program end in order,
// with a non-zero exit status.
void unhandledException(const std::exception* exception);

// The process's exit status: 0 after a normal quit, non-zero after an unhandled exception.
int exitRoutine();

// The class name of an exception, as the user is told it.
QString exceptionClassName(const std::exception* exception);

} // namespace framework
