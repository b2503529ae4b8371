#include "framework/Scripts.h"

#include <QHash>

#include <stdexcept>

namespace framework {
namespace {

QHash<int, Script>& scripts()
{
    static QHash<int, Script> table;
    return table;
}

QString run(int number, const QList<ScriptParameter>& parameters)
{
    const auto found = scripts().constFind(number);
    if (found == scripts().constEnd())
        throw std::runtime_error("no script number " + std::to_string(number));
    return (*found)(parameters);
}

} // namespace

void registerScript(int number, Script script)
{
    scripts().insert(number, std::move(script));
}

ScriptCall::ScriptCall(int number) : m_number(number) {}

void ScriptCall::addInteger(qint64 value)
{
    m_parameters.append(value);
}

void ScriptCall::addString(const QString& value)
{
    m_parameters.append(value);
}

QString ScriptCall::complete()
{
    return run(m_number, m_parameters);
}

QString runScript(int number)
{
    return run(number, {});
}

} // namespace framework
