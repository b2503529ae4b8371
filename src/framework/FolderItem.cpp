#include "framework/FolderItem.h"

#include "framework/NilObjectException.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace framework {

struct FolderItem::Entry
{
    QByteArray path; // absolute and clean: no ".", "..", "//" or trailing "/" (but "/")
    QByteArray root; // the root folder of its volume, as it was when the item was made
    int volume = 0;  // index: 0 is the boot volume, 1 the host's "/" beside it
    mutable int lastError = 0;
};

struct BinaryStream::Stream
{
    int fd = -1;
    ~Stream()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

namespace {

// Classic Mac result codes.
enum : int {
    noErr = 0,
    dskFulErr = -34,
    ioErr = -36,
    bdNamErr = -37,
    tmfoErr = -42,
    fnfErr = -43,
    vLckdErr = -46,
    dupFNErr = -48,
    permErr = -54,
    memFullErr = -108,
    dirNFErr = -120,
};

int macError(int error)
{
    switch (error) {
    case 0:
        return noErr;
    case ENOENT:
    case ELOOP:
        return fnfErr;
    case ENOTDIR:
        return dirNFErr;
    case EACCES:
    case EPERM:
        return permErr;
    case EEXIST:
        return dupFNErr;
    case ENAMETOOLONG:
        return bdNamErr;
    case EROFS:
        return vLckdErr;
    case ENOSPC:
    case EDQUOT:
        return dskFulErr;
    case EMFILE:
    case ENFILE:
        return tmfoErr;
    case ENOMEM:
        return memFullErr;
    default:
        return ioErr;
    }
}

constexpr int kBootVolume = 0;
constexpr int kHostVolume = 1;

QByteArray s_bootRoot = "/";
QByteArray s_applicationFolder; // empty: the folder of the running executable

// Removes ".", empty names and "..", without asking the disk. The path must be absolute.
QByteArray cleanPath(const QByteArray& path)
{
    // Most paths are made from clean ones and come back unchanged.
    if (files::isCleanPath(path))
        return path;
    QList<QByteArray> names;
    for (const QByteArray& name : path.split('/')) {
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            if (!names.isEmpty())
                names.removeLast();
            continue;
        }
        names.append(name);
    }
    return '/' + names.join('/');
}

QByteArray canonicalOrClean(const QByteArray& path)
{
    const QByteArray absolute =
        path.startsWith('/') ? path : QFile::encodeName(QDir::currentPath()) + '/' + path;
    if (char* resolved = ::realpath(absolute.constData(), nullptr)) {
        QByteArray canonical(resolved);
        std::free(resolved);
        return canonical;
    }
    return cleanPath(absolute);
}

QByteArray joinPath(const QByteArray& folder, const QByteArray& name)
{
    return folder == "/" ? '/' + name : folder + '/' + name;
}

QByteArray parentPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray lastName(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool volumeMounted(int volume)
{
    return volume == kBootVolume || (volume == kHostVolume && s_bootRoot != "/");
}

QByteArray volumeRootOf(int volume)
{
    return volume == kBootVolume ? s_bootRoot : QByteArray("/");
}

QString volumeNameOf(int volume)
{
    return volume == kBootVolume ? QStringLiteral("Boot") : QStringLiteral("Host");
}

int volumeIndexOf(const QByteArray& cleanAbsolutePath)
{
    if (s_bootRoot == "/" || cleanAbsolutePath == s_bootRoot ||
        cleanAbsolutePath.startsWith(s_bootRoot + '/'))
        return kBootVolume;
    return kHostVolume;
}

int refNumOf(int volume)
{
    return -1 - volume;
}

QByteArray executableFolder()
{
    static const QByteArray folder = [] {
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
        if (length <= 0 || size_t(length) >= sizeof buffer)
            return QByteArray("/");
        return parentPath(QByteArray(buffer, length));
    }();
    return folder;
}

QByteArray applicationFolder()
{
    return s_applicationFolder.isEmpty() ? executableFolder() : s_applicationFolder;
}

// Folder listings, kept for a few folders so that asking for Count and Item at every step
// of a listing does not read the whole folder again each time. A listing is valid while
// the folder's stat is unchanged. Timestamps advance only at each tick of the coarse clock,
// so a change made in the same tick as the read may leave the folder's mtime as it was:
// such a listing is "racy" and is read again at the next call.
struct Listing
{
    QByteArray path;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
    bool racy = true;
    std::shared_ptr<const std::vector<QByteArray>> names;
};

constexpr size_t kCachedListings = 4;
std::deque<Listing> s_listings;
long s_folderReads = 0;

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool notOlder(const timespec& time, const timespec& tick)
{
    return time.tv_sec > tick.tv_sec ||
           (time.tv_sec == tick.tv_sec && time.tv_nsec >= tick.tv_nsec);
}

bool isRacy(const struct stat& folder, const timespec& readStarted)
{
    // A file system that keeps whole seconds (2 s on FAT) cannot tell changes within them.
    if (folder.st_mtim.tv_nsec == 0)
        return folder.st_mtim.tv_sec + 2 > readStarted.tv_sec;
    return notOlder(folder.st_mtim, readStarted);
}

std::shared_ptr<const std::vector<QByteArray>> readFolder(const QByteArray& path, int& error)
{
    DIR* folder = ::opendir(path.constData());
    if (!folder) {
        error = errno;
        return nullptr;
    }
    ++s_folderReads;
    auto names = std::make_shared<std::vector<QByteArray>>();
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        names->emplace_back(name);
    }
    error = errno;
    ::closedir(folder);
    // Byte order of the names, the same at every call.
    std::sort(names->begin(), names->end());
    return names;
}

// The names in a folder, or nil when it is not a folder that can be read.
std::shared_ptr<const std::vector<QByteArray>> folderNames(const QByteArray& path, int& lastError)
{
    timespec readStarted{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &readStarted);

    struct stat folder;
    if (::stat(path.constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return nullptr;

    const auto cached = std::find_if(s_listings.begin(), s_listings.end(),
                                     [&](const Listing& listing) { return listing.path == path; });
    if (cached != s_listings.end()) {
        if (!cached->racy && cached->device == folder.st_dev && cached->inode == folder.st_ino &&
            sameTime(cached->modified, folder.st_mtim) && sameTime(cached->changed, folder.st_ctim))
            return cached->names;
        s_listings.erase(cached);
    }

    int error = 0;
    auto names = readFolder(path, error);
    if (!names) {
        lastError = macError(error);
        return nullptr;
    }
    Listing listing;
    listing.path = path;
    listing.device = folder.st_dev;
    listing.inode = folder.st_ino;
    listing.modified = folder.st_mtim;
    listing.changed = folder.st_ctim;
    // A read that failed half-way is not kept either.
    listing.racy = error != 0 || isRacy(folder, readStarted);
    listing.names = names;
    s_listings.push_front(listing);
    if (s_listings.size() > kCachedListings)
        s_listings.pop_back();
    return names;
}

bool validName(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0') && name.size() <= 255;
}

FolderItem itemAt(const QByteArray& cleanAbsolutePath);

} // namespace

// ---- FolderItem

FolderItem::FolderItem(std::shared_ptr<Entry> entry) : m_entry(std::move(entry)) {}

const FolderItem::Entry& FolderItem::entry() const
{
    return *nonNil(m_entry);
}

namespace {

FolderItem itemAt(const QByteArray& cleanAbsolutePath)
{
    return FolderItem::fromNativePath(cleanAbsolutePath);
}

} // namespace

FolderItem FolderItem::fromNativePath(const QString& path)
{
    return fromNativePath(QFile::encodeName(path));
}

FolderItem FolderItem::fromNativePath(const QByteArray& path)
{
    if (!path.startsWith('/'))
        return {};
    auto entry = std::make_shared<Entry>();
    entry->path = cleanPath(path);
    entry->volume = volumeIndexOf(entry->path);
    entry->root = volumeRootOf(entry->volume);
    return FolderItem(std::move(entry));
}

FolderItem FolderItem::fromAbsolutePath(const QString& absolutePath)
{
    const QStringList fields = absolutePath.split(QLatin1Char(':'));
    for (int volume : {kBootVolume, kHostVolume}) {
        if (!volumeMounted(volume) || fields.first() != volumeNameOf(volume))
            continue;
        QByteArray path = volumeRootOf(volume);
        for (qsizetype i = 1; i < fields.size(); ++i) {
            // Only the last field may be empty: the trailing ":" of a folder.
            if (fields[i].isEmpty() && i == fields.size() - 1)
                break;
            const QByteArray name = QFile::encodeName(files::nativeName(fields[i]));
            if (!validName(name))
                return {};
            path = joinPath(path, name);
        }
        return fromNativePath(path);
    }
    return {};
}

bool FolderItem::samePath(const FolderItem& other) const
{
    if (isNil() || other.isNil())
        return isNil() == other.isNil();
    return entry().path == other.entry().path;
}

FolderItem FolderItem::Child(const QString& name) const
{
    return childByNativeName(QFile::encodeName(name));
}

FolderItem FolderItem::childByNativeName(const QByteArray& name) const
{
    const Entry& self = entry();
    if (!validName(name))
        return {};
    struct stat status;
    if (::stat(self.path.constData(), &status) == 0 && !S_ISDIR(status.st_mode))
        return {};
    return itemAt(joinPath(self.path, name));
}

int FolderItem::Count() const
{
    const Entry& self = entry();
    const auto names = folderNames(self.path, self.lastError);
    return names ? int(names->size()) : 0;
}

FolderItem FolderItem::Item(int index) const
{
    const Entry& self = entry();
    const auto names = folderNames(self.path, self.lastError);
    if (!names || index < 1 || size_t(index) > names->size())
        return {};
    return itemAt(joinPath(self.path, (*names)[size_t(index) - 1]));
}

bool FolderItem::Exists() const
{
    // The entry itself: a link whose target is gone still exists.
    struct stat status;
    return ::lstat(entry().path.constData(), &status) == 0;
}

bool FolderItem::Visible() const
{
    const Entry& self = entry();
    return self.path == self.root || !lastName(self.path).startsWith('.');
}

bool FolderItem::Directory() const
{
    struct stat status;
    return ::stat(entry().path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool FolderItem::Regular() const
{
    struct stat status;
    return ::stat(entry().path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool FolderItem::Alias() const
{
    struct stat status;
    return ::lstat(entry().path.constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

QString FolderItem::Name() const
{
    const Entry& self = entry();
    if (self.path == self.root)
        return volumeNameOf(self.volume);
    return QFile::decodeName(lastName(self.path));
}

QString FolderItem::AbsolutePath() const
{
    const Entry& self = entry();
    QString path = volumeNameOf(self.volume);
    const QByteArray below = self.path.mid(self.root.size());
    for (const QByteArray& name : below.split('/')) {
        if (name.isEmpty())
            continue;
        path += QLatin1Char(':') + files::macName(QFile::decodeName(name));
    }
    if (self.path == self.root || Directory())
        path += QLatin1Char(':');
    return path;
}

FolderItem FolderItem::Parent() const
{
    const Entry& self = entry();
    if (self.path == self.root)
        return {};
    return itemAt(parentPath(self.path));
}

void FolderItem::CreateAsFolder() const
{
    const Entry& self = entry();
    if (::mkdir(self.path.constData(), 0777) == 0) {
        self.lastError = noErr;
        return;
    }
    self.lastError = errno == ENOENT ? dirNFErr : macError(errno);
}

BinaryStream FolderItem::OpenBinaryFile(bool writable) const
{
    const Entry& self = entry();
    // Only a file that can be read to its end is opened. A FIFO would block the program
    // and a device may never end, so neither is even opened; a non-blocking open and the
    // test of what was opened close the gap between the two calls.
    struct stat status;
    if (::stat(self.path.constData(), &status) != 0) {
        self.lastError = macError(errno);
        return {};
    }
    if (!S_ISREG(status.st_mode)) {
        self.lastError = ioErr;
        return {};
    }
    const int flags = (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const int fd = ::open(self.path.constData(), flags);
    if (fd < 0) {
        self.lastError = macError(errno);
        return {};
    }
    auto stream = std::make_shared<BinaryStream::Stream>();
    stream->fd = fd;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        self.lastError = ioErr;
        return {};
    }
    self.lastError = noErr;
    return BinaryStream(std::move(stream));
}

int FolderItem::LastError() const
{
    return entry().lastError;
}

int FolderItem::DirID() const
{
    const Entry& self = entry();
    if (self.path == self.root)
        return files::kRootParentID;
    return files::idOfPath(parentPath(self.path));
}

int FolderItem::VRefNum() const
{
    return refNumOf(entry().volume);
}

QString FolderItem::nativePath() const
{
    return QFile::decodeName(entry().path);
}

// ---- BinaryStream

BinaryStream::BinaryStream(std::shared_ptr<Stream> stream) : m_stream(std::move(stream)) {}

BinaryStream::Stream& BinaryStream::stream() const
{
    return *nonNil(m_stream);
}

qint64 BinaryStream::Length() const
{
    struct stat status;
    const Stream& self = stream();
    if (self.fd < 0 || ::fstat(self.fd, &status) != 0)
        return 0;
    return status.st_size;
}

QByteArray BinaryStream::Read(qint64 count) const
{
    Stream& self = stream();
    if (self.fd < 0 || count <= 0)
        return {};
    // One buffer of the size asked for, filled in place: a whole file costs its size once.
    QByteArray data(qsizetype(count), Qt::Uninitialized);
    qint64 done = 0;
    while (done < count) {
        const size_t chunk = size_t(std::min<qint64>(count - done, qint64(1) << 30));
        const ssize_t got = ::read(self.fd, data.data() + done, chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    if (done < count) {
        data.truncate(qsizetype(done));
        if (done < count / 2)
            data.squeeze();
    }
    return data;
}

void BinaryStream::Close() const
{
    Stream& self = stream();
    if (self.fd >= 0) {
        ::close(self.fd);
        self.fd = -1;
    }
}

// ---- Folders of the application and volumes

FolderItem GetFolderItem(const QString& relativePath)
{
    const QByteArray relative = QFile::encodeName(relativePath);
    if (relative.isEmpty())
        return FolderItem::fromNativePath(applicationFolder());
    return FolderItem::fromNativePath(applicationFolder() + '/' + relative);
}

FolderItem Volume(int number)
{
    if (!volumeMounted(number))
        return {};
    return FolderItem::fromNativePath(volumeRootOf(number));
}

QString applicationFolderPath()
{
    return QFile::decodeName(applicationFolder());
}

void setApplicationFolder(const QString& path)
{
    s_applicationFolder = path.isEmpty() ? QByteArray() : canonicalOrClean(QFile::encodeName(path));
}

void setBootVolumeRoot(const QString& path)
{
    s_bootRoot = path.isEmpty() ? QByteArray("/") : canonicalOrClean(QFile::encodeName(path));
}

// ---- For the File Manager stand-in

namespace files {

bool isCleanPath(const QByteArray& path)
{
    return path.startsWith('/') && (path.size() == 1 || !path.endsWith('/')) &&
           !path.contains("//") && !path.contains("/./") && !path.contains("/../") &&
           !path.endsWith("/.") && !path.endsWith("/..");
}

namespace {
// Ids from 2 on; 1 is the parent of every volume's root.
QHash<QByteArray, int> s_ids;
std::vector<QByteArray> s_paths;
constexpr int kFirstID = 2;

int volumeIndexOfRefNum(int vRefNum)
{
    const int volume = -1 - vRefNum;
    return volumeMounted(volume) ? volume : -1;
}
} // namespace

QByteArray volumeRoot(int vRefNum)
{
    const int volume = volumeIndexOfRefNum(vRefNum);
    return volume < 0 ? QByteArray() : volumeRootOf(volume);
}

QString volumeName(int vRefNum)
{
    const int volume = volumeIndexOfRefNum(vRefNum);
    return volume < 0 ? QString() : volumeNameOf(volume);
}

int volumeOf(const QByteArray& nativePath)
{
    if (!nativePath.startsWith('/'))
        return 0;
    return refNumOf(volumeIndexOf(cleanPath(nativePath)));
}

int idOfPath(const QByteArray& nativePath)
{
    const QByteArray path = cleanPath(nativePath);
    const auto known = s_ids.constFind(path);
    if (known != s_ids.constEnd())
        return *known;
    s_paths.push_back(path);
    const int id = kFirstID + int(s_paths.size()) - 1;
    s_ids.insert(path, id);
    return id;
}

QByteArray pathOfId(int id)
{
    if (id < kFirstID || size_t(id - kFirstID) >= s_paths.size())
        return {};
    return s_paths[size_t(id - kFirstID)];
}

QString macName(const QString& nativeName)
{
    QString name = nativeName;
    return name.replace(QLatin1Char(':'), QLatin1Char('/'));
}

QString nativeName(const QString& macName)
{
    QString name = macName;
    return name.replace(QLatin1Char('/'), QLatin1Char(':'));
}

} // namespace files

namespace test {
long folderReads()
{
    return s_folderReads;
}
} // namespace test

} // namespace framework
