#pragma once

#include <QByteArray>

#include <memory>

namespace framework {

// A byte buffer of fixed size, filled with zeros when made, whose address can be handed to
// a system call. Copies share the same bytes. The default block is nil; using nil raises
// NilObjectException. Reads and stores outside the block do nothing and read as zero.
class MemoryBlock
{
public:
    MemoryBlock() = default;
    explicit MemoryBlock(int size);

    bool isNil() const { return !m_bytes; }
    explicit operator bool() const { return m_bytes != nullptr; }

    int Size() const;
    char* address() const;

    quint8 Byte(int offset) const;
    void setByte(int offset, quint8 value) const;
    // 16- and 32-bit integers in the machine's byte order, as system records hold them.
    qint16 Short(int offset) const;
    void setShort(int offset, qint16 value) const;
    qint32 Long(int offset) const;
    void setLong(int offset, qint32 value) const;

    // A length-prefixed string: one length byte, then at most 255 bytes of text (cut to
    // what fits in the block).
    QByteArray PString(int offset) const;
    void setPString(int offset, const QByteArray& text) const;
    // The bytes from offset up to the first NUL, or to the end of the block.
    QByteArray CString(int offset) const;
    void setCString(int offset, const QByteArray& text) const;
    QByteArray StringValue(int offset, int length) const;
    void setStringValue(int offset, const QByteArray& text) const;

private:
    QByteArray& bytes() const;
    bool fits(int offset, int length) const;

    std::shared_ptr<QByteArray> m_bytes;
};

} // namespace framework
