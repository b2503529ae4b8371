#include "fstools/OSXFileToolsBasic.h"

#include "framework/NilObjectException.h"
#include "framework/Strings.h"
#include "platform/Files.h"

#include <QFile>

using framework::FolderItem;
using framework::MemoryBlock;

namespace OSXFileToolsBasic {
namespace {

constexpr int kNameSize = 256;
constexpr int kSpecSize = 350;
constexpr int kRefSize = 100;
constexpr int kPathSize = 8192;

bool accepted(OSStatus status)
{
    return status == noErr || status == fnfErr;
}

} // namespace

QString carbonName(const FolderItem& item)
{
    const QString colon = QStringLiteral(":");
    int position = framework::CountFields(item.AbsolutePath(), colon);
    // A folder's path ends with ":", so its name is the field before the empty last one.
    if (item.Directory())
        position -= 1;
    return framework::NthField(item.AbsolutePath(), colon, position);
}

MemoryBlock fsspec(const FolderItem& item)
{
    const MemoryBlock name(kNameSize);
    const QString carbon = carbonName(item);
    const int dirID = item.DirID();
    const MemoryBlock fsSpec(kSpecSize);
    name.setPString(0, QFile::encodeName(carbon));
    const int vRefNum = item.VRefNum();
    const OSErr status =
        FSMakeFSSpec(int16_t(vRefNum), dirID, reinterpret_cast<unsigned char*>(name.address()),
                     reinterpret_cast<FSSpec*>(fsSpec.address()));
    return accepted(status) ? fsSpec : MemoryBlock();
}

MemoryBlock fsref(const FolderItem& item)
{
    const MemoryBlock fsSpec = fsspec(item);
    if (fsSpec.isNil())
        return {};
    const MemoryBlock ref(kRefSize);
    const OSErr status = FSpMakeFSRef(reinterpret_cast<const FSSpec*>(fsSpec.address()),
                                      reinterpret_cast<FSRef*>(ref.address()));
    return accepted(status) ? ref : MemoryBlock();
}

QString unixPath(const FolderItem& item)
{
    try {
        if (item.Exists()) {
            const MemoryBlock ref = fsref(item);
            if (ref.isNil())
                return {};
            const MemoryBlock path(kPathSize);
            const OSStatus status =
                FSRefMakePath(reinterpret_cast<const FSRef*>(ref.address()),
                              reinterpret_cast<unsigned char*>(path.address()), kPathSize);
            if (!accepted(status))
                return {};
            return QFile::decodeName(path.CString(0));
        }
        // Not there yet: its folder's path and its own name. A nil folder gives "".
        return unixPath(item.Parent()) + QLatin1Char('/') + item.Name();
    } catch (const NilObjectException&) {
        return {};
    }
}

} // namespace OSXFileToolsBasic
