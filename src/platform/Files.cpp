#include "platform/Files.h"

#include "framework/FolderItem.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// What an FSRef holds: the entry's id and what the disk calls it, so that a ref whose
// entry was removed or replaced since is not taken for the new one.
struct RefRecord
{
    uint32_t magic;
    int16_t vRefNum;
    int32_t id;
    uint64_t device;
    uint64_t inode;
};
static_assert(sizeof(RefRecord) <= sizeof(FSRef));

constexpr uint32_t kRefMagic = 0x50504472; // "PPDr"

OSErr errorOf(int error)
{
    switch (error) {
    case ENOENT:
        return fnfErr;
    case ENOTDIR:
        return dirNFErr;
    case EACCES:
    case EPERM:
        return afpAccessDenied;
    case ENAMETOOLONG:
        return bdNamErr;
    default:
        return ioErr;
    }
}

QByteArray joinPath(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The native path that (volume, folder id, Mac name) stands for, or the error that stops it.
OSErr entryPath(int16_t vRefNum, int32_t dirID, const QByteArray& macName, QByteArray& path)
{
    const QByteArray root = framework::files::volumeRoot(vRefNum);
    if (root.isEmpty())
        return nsvErr;
    if (dirID == framework::files::kRootParentID) {
        // A volume's root is the entry of its own name in the folder above all folders.
        if (macName != framework::files::volumeName(vRefNum).toUtf8())
            return nsvErr;
        path = root;
        return noErr;
    }
    if (macName.isEmpty() || macName == "." || macName == ".." || macName.contains(':') ||
        macName.contains('\0'))
        return bdNamErr;
    const QByteArray folder = framework::files::pathOfId(dirID);
    if (folder.isEmpty() || framework::files::volumeOf(folder) != vRefNum)
        return dirNFErr;
    struct stat status;
    if (::stat(folder.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return dirNFErr;
    // The Mac writes a Linux ":" as "/".
    QByteArray name = macName;
    path = joinPath(folder, name.replace('/', ':'));
    return noErr;
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// Whether the clean absolute path leads to an entry without passing through any link, in
// which case it is already its own resolved path. One walk of the path, where resolving
// reads every prefix of it in turn.
bool withoutLinks(const QByteArray& path)
{
    open_how how{};
    how.flags = O_PATH | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, AT_FDCWD, path.constData(), &how, sizeof how);
    if (fd < 0)
        return false;
    ::close(int(fd));
    return true;
}

bool realPath(const QByteArray& path, QByteArray& resolved)
{
    if (framework::files::isCleanPath(path) && withoutLinks(path)) {
        resolved = path;
        return true;
    }
    // A link on the way, or a system without that call: resolve it the long way.
    char* result = ::realpath(path.constData(), nullptr);
    if (!result)
        return false;
    resolved = result;
    std::free(result);
    return true;
}

} // namespace

OSErr FSMakeFSSpec(int16_t vRefNum, int32_t dirID, const unsigned char* fileName, FSSpec* fsSpec)
{
    if (!fsSpec || !fileName)
        return paramErr;
    const QByteArray macName(reinterpret_cast<const char*>(fileName + 1), fileName[0]);
    QByteArray path;
    if (const OSErr error = entryPath(vRefNum, dirID, macName, path))
        return error;

    FSSpec made{};
    made.vRefNum = vRefNum;
    made.parID = dirID;
    std::memcpy(made.name, fileName, size_t(fileName[0]) + 1);

    struct stat status;
    if (::lstat(path.constData(), &status) == 0) {
        std::memcpy(fsSpec, &made, sizeof made);
        return noErr;
    }
    if (errno != ENOENT)
        return errorOf(errno);
    std::memcpy(fsSpec, &made, sizeof made);
    return fnfErr;
}

OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef)
{
    if (!source || !newRef)
        return paramErr;
    FSSpec fsSpec;
    std::memcpy(&fsSpec, source, sizeof fsSpec);
    const QByteArray macName(reinterpret_cast<const char*>(fsSpec.name + 1), fsSpec.name[0]);
    QByteArray path;
    if (const OSErr error = entryPath(fsSpec.vRefNum, fsSpec.parID, macName, path))
        return error;

    struct stat status;
    if (::lstat(path.constData(), &status) != 0)
        return errorOf(errno);
    const RefRecord record{kRefMagic, fsSpec.vRefNum, framework::files::idOfPath(path),
                           uint64_t(status.st_dev), uint64_t(status.st_ino)};
    FSRef made{};
    std::memcpy(made.hidden, &record, sizeof record);
    std::memcpy(newRef, &made, sizeof made);
    return noErr;
}

OSStatus FSRefMakePath(const FSRef* ref, unsigned char* path, uint32_t maxPathSize)
{
    if (!ref || !path)
        return paramErr;
    RefRecord record;
    std::memcpy(&record, ref->hidden, sizeof record);
    const QByteArray entry = framework::files::pathOfId(record.id);
    if (record.magic != kRefMagic || entry.isEmpty())
        return errFSBadFSRef;

    struct stat status;
    if (::lstat(entry.constData(), &status) != 0 || uint64_t(status.st_dev) != record.device ||
        uint64_t(status.st_ino) != record.inode)
        return fnfErr;

    // The folders on the way are resolved; the entry itself is not followed, so a link
    // stays the link.
    QByteArray resolved;
    const bool isRoot = entry == framework::files::volumeRoot(record.vRefNum);
    if (isRoot || entry == "/") {
        if (!realPath(entry, resolved))
            return errorOf(errno);
    } else {
        QByteArray folder;
        if (!realPath(parentOf(entry), folder))
            return errorOf(errno);
        resolved = joinPath(folder, entry.mid(entry.lastIndexOf('/') + 1));
    }
    if (uint64_t(resolved.size()) + 1 > maxPathSize)
        return pathTooLongErr;
    std::memcpy(path, resolved.constData(), size_t(resolved.size()) + 1);
    return noErr;
}
