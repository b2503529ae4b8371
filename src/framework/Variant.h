#pragma once

#include <QString>

#include <variant>

namespace framework {

// The framework's dynamically typed value. Type codes are the classic ones: 2 integer,
// 5 double, 8 string, 11 boolean.
class Variant
{
public:
    static constexpr int TypeInteger = 2;
    static constexpr int TypeDouble = 5;
    static constexpr int TypeString = 8;
    static constexpr int TypeBoolean = 11;

    Variant(qint64 value) : m_value(value) {}
    Variant(int value) : m_value(qint64(value)) {}
    Variant(double value) : m_value(value) {}
    Variant(bool value) : m_value(value) {}
    Variant(const QString& value) : m_value(value) {}

    int Type() const
    {
        static constexpr int codes[] = {TypeInteger, TypeDouble, TypeBoolean, TypeString};
        return codes[m_value.index()];
    }

    qint64 IntegerValue() const
    {
        if (const auto* i = std::get_if<qint64>(&m_value))
            return *i;
        if (const auto* d = std::get_if<double>(&m_value))
            return qint64(*d);
        if (const auto* b = std::get_if<bool>(&m_value))
            return *b ? 1 : 0;
        return std::get<QString>(m_value).toLongLong();
    }

    QString StringValue() const
    {
        if (const auto* i = std::get_if<qint64>(&m_value))
            return QString::number(*i);
        if (const auto* d = std::get_if<double>(&m_value))
            return QString::number(*d);
        if (const auto* b = std::get_if<bool>(&m_value))
            return *b ? QStringLiteral("True") : QStringLiteral("False");
        return std::get<QString>(m_value);
    }

private:
    std::variant<qint64, double, bool, QString> m_value;
};

} // namespace framework
