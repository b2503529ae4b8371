#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace framework {

class BinaryStream;

// A handle on a file-system entry (file, folder or volume) that may not exist yet. The
// default handle is nil; using nil raises NilObjectException.
//
// A folder numbers its entries from 1 in the order of their names. Visible means the name
// does not start with ".". AbsolutePath is the volume's name and then each name, joined by
// ":", with a trailing ":" for a folder or a volume; a ":" inside a name is written "/"
// there, as on the Mac.
class FolderItem
{
public:
    FolderItem() = default;

    bool isNil() const { return !m_entry; }
    explicit operator bool() const { return m_entry != nullptr; }
    // Two handles on the same path.
    bool samePath(const FolderItem& other) const;

    // The entry of that name in this folder, existing or not; nil when no such entry can
    // be formed (an empty name, ".", "..", a "/" in it, a name over 255 bytes, or this
    // item being something other than a folder).
    FolderItem Child(const QString& name) const;
    // The index-th entry of this folder, from 1; nil when there is none.
    FolderItem Item(int index) const;
    // Entries of this folder; 0 for a folder that does not exist.
    int Count() const;

    bool Exists() const;
    bool Visible() const;
    bool Directory() const;
    // A regular file, or a link to one: something that can be read to its end.
    bool Regular() const;
    // A symbolic link (itself, whatever it points to).
    bool Alias() const;

    QString Name() const;
    QString AbsolutePath() const;
    // The folder that holds this entry; nil for a volume.
    FolderItem Parent() const;

    void CreateAsFolder() const;
    // Opens the file for reading; nil when it cannot be opened. Only regular files open,
    // and opening never waits (a FIFO or a device is refused).
    BinaryStream OpenBinaryFile(bool writable = false) const;
    // The last error code (classic Mac codes) of an operation on this item; 0 for none.
    int LastError() const;

    // For File Manager calls: the id of the folder that holds the entry, and its volume.
    int DirID() const;
    int VRefNum() const;

    // The entry's path on this system.
    QString nativePath() const;

    // A handle on an absolute path of this system, or nil when the path is not absolute.
    static FolderItem fromNativePath(const QString& path);
    static FolderItem fromNativePath(const QByteArray& path);
    // The item that an AbsolutePath names, or nil when no mounted volume has that name.
    static FolderItem fromAbsolutePath(const QString& absolutePath);

private:
    struct Entry;
    explicit FolderItem(std::shared_ptr<Entry> entry);
    const Entry& entry() const;
    FolderItem childByNativeName(const QByteArray& name) const;

    std::shared_ptr<Entry> m_entry;
};

// A file opened for reading.
class BinaryStream
{
public:
    BinaryStream() = default;

    bool isNil() const { return !m_stream; }
    explicit operator bool() const { return m_stream != nullptr; }

    qint64 Length() const;
    // Reads up to count bytes from the current position; fewer only at the end.
    QByteArray Read(qint64 count) const;
    void Close() const;

private:
    friend class FolderItem;
    struct Stream;
    explicit BinaryStream(std::shared_ptr<Stream> stream);
    Stream& stream() const;

    std::shared_ptr<Stream> m_stream;
};

// The folder item for a path relative to the folder that holds the application; the empty
// path yields that folder itself.
FolderItem GetFolderItem(const QString& relativePath);

// A volume by number; volume 0 is the boot volume. Nil for a volume that is not mounted.
FolderItem Volume(int number);

// Where the application lives (by default the folder of the running executable) and which
// folder is the boot volume's root. The product's boot volume is "/"; the sandbox build and
// the tests use a folder of their own. Any other path belongs to a second volume whose root
// is "/", so that it still has an AbsolutePath.
QString applicationFolderPath();
void setApplicationFolder(const QString& path);
void setBootVolumeRoot(const QString& path);

// What the File Manager stand-in needs to turn (volume, folder id) back into a path.
namespace files {

// The folder id that "holds" a volume's root folder; the root is found there by the
// volume's name.
constexpr int kRootParentID = 1;

// The native path of a volume's root folder, and its name; empty for an unknown number.
QByteArray volumeRoot(int vRefNum);
QString volumeName(int vRefNum);
// The volume that a native path lies on; 0 when none.
int volumeOf(const QByteArray& nativePath);

// Ids for native paths, handed out on first use and kept for the life of the process.
int idOfPath(const QByteArray& nativePath);
// The path of an id handed out before; empty for any other number.
QByteArray pathOfId(int id);

// Whether a path is absolute with no empty, "." or ".." names and no trailing "/".
bool isCleanPath(const QByteArray& path);

// A name as the Mac shows it ("/" where Linux has ":") and back.
QString macName(const QString& nativeName);
QString nativeName(const QString& macName);

} // namespace files

namespace test {
// How many times a folder's entries have been read from the disk.
long folderReads();
} // namespace test

} // namespace framework
