#include "framework/MemoryBlock.h"

#include "framework/NilObjectException.h"

#include <algorithm>
#include <cstring>

namespace framework {

MemoryBlock::MemoryBlock(int size) : m_bytes(std::make_shared<QByteArray>(std::max(size, 0), '\0'))
{
}

QByteArray& MemoryBlock::bytes() const
{
    return *nonNil(m_bytes);
}

bool MemoryBlock::fits(int offset, int length) const
{
    const qsizetype size = bytes().size();
    return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
}

int MemoryBlock::Size() const
{
    return int(bytes().size());
}

char* MemoryBlock::address() const
{
    // The bytes are never shared with another QByteArray, so data() does not detach.
    return bytes().data();
}

quint8 MemoryBlock::Byte(int offset) const
{
    return fits(offset, 1) ? quint8(bytes().at(offset)) : 0;
}

void MemoryBlock::setByte(int offset, quint8 value) const
{
    if (fits(offset, 1))
        bytes()[offset] = char(value);
}

qint16 MemoryBlock::Short(int offset) const
{
    qint16 value = 0;
    if (fits(offset, sizeof value))
        std::memcpy(&value, bytes().constData() + offset, sizeof value);
    return value;
}

void MemoryBlock::setShort(int offset, qint16 value) const
{
    if (fits(offset, sizeof value))
        std::memcpy(bytes().data() + offset, &value, sizeof value);
}

qint32 MemoryBlock::Long(int offset) const
{
    qint32 value = 0;
    if (fits(offset, sizeof value))
        std::memcpy(&value, bytes().constData() + offset, sizeof value);
    return value;
}

void MemoryBlock::setLong(int offset, qint32 value) const
{
    if (fits(offset, sizeof value))
        std::memcpy(bytes().data() + offset, &value, sizeof value);
}

QByteArray MemoryBlock::PString(int offset) const
{
    if (!fits(offset, 1))
        return {};
    const int length = std::min<int>(Byte(offset), Size() - offset - 1);
    return bytes().mid(offset + 1, length);
}

void MemoryBlock::setPString(int offset, const QByteArray& text) const
{
    if (!fits(offset, 1))
        return;
    const int length = std::min<int>({int(text.size()), 255, Size() - offset - 1});
    setByte(offset, quint8(length));
    std::memcpy(bytes().data() + offset + 1, text.constData(), size_t(length));
}

QByteArray MemoryBlock::CString(int offset) const
{
    if (!fits(offset, 0))
        return {};
    const char* start = bytes().constData() + offset;
    const size_t limit = size_t(Size() - offset);
    const void* nul = std::memchr(start, '\0', limit);
    return QByteArray(start,
                      nul ? qsizetype(static_cast<const char*>(nul) - start) : qsizetype(limit));
}

void MemoryBlock::setCString(int offset, const QByteArray& text) const
{
    // The text and its NUL must both fit, or nothing is stored.
    if (fits(offset, int(text.size()) + 1)) {
        std::memcpy(bytes().data() + offset, text.constData(), size_t(text.size()));
        bytes()[offset + text.size()] = '\0';
    }
}

QByteArray MemoryBlock::StringValue(int offset, int length) const
{
    return fits(offset, length) ? bytes().mid(offset, length) : QByteArray();
}

void MemoryBlock::setStringValue(int offset, const QByteArray& text) const
{
    if (fits(offset, int(text.size())))
        std::memcpy(bytes().data() + offset, text.constData(), size_t(text.size()));
}

} // namespace framework
