#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <variant>

namespace framework {

// Scripts that travel with the application, called by number with integer and string
// parameters; each returns a text.
using ScriptParameter = std::variant<qint64, QString>;
using Script = std::function<QString(const QList<ScriptParameter>& parameters)>;

void registerScript(int number, Script script);

// A call of a script with parameters, assembled one parameter at a time.
class ScriptCall
{
public:
    explicit ScriptCall(int number);

    void addInteger(qint64 value);
    void addString(const QString& value);
    // Runs the script with the parameters added so far and returns its result.
    QString complete();

private:
    int m_number;
    QList<ScriptParameter> m_parameters;
};

// Runs a script without parameters.
QString runScript(int number);

} // namespace framework
