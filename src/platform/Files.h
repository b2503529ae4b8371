#pragma once

// The Carbon File Manager's three calls that turn a (volume, folder id, name) triple into
// a POSIX path, on Linux. Folder ids and volume numbers are the framework's.
//
// An FSSpec names an entry, existing or not, by its volume, the id of the folder that
// holds it and its name as the Mac writes it (a "/" there is a ":" in the Linux name). An
// FSRef refers to an entry that exists. Both are plain records that callers may keep in
// any buffer at least as large.

#include <cstdint>

using OSErr = int16_t;
using OSStatus = int32_t;

enum : OSErr {
    noErr = 0,
    nsvErr = -35, // no such volume
    ioErr = -36,
    bdNamErr = -37, // a name that no entry can have
    fnfErr = -43,   // no such entry
    paramErr = -50,
    dirNFErr = -120, // no such folder
    errFSBadFSRef = -1401,
    pathTooLongErr = -2110, // the path does not fit in the caller's buffer
    afpAccessDenied = -5000,
};

// Names of up to 255 bytes, one more length byte: larger than the classic record, which
// could not hold the longest Linux names.
struct FSSpec
{
    int16_t vRefNum;
    int32_t parID;
    unsigned char name[256];
};

struct FSRef
{
    unsigned char hidden[80];
};

// Fills *fsSpec for the entry named fileName (a length-prefixed string) in the folder dirID
// of volume vRefNum. 0 when the entry exists, -43 when it does not but its folder does
// (the FSSpec is filled in both cases); otherwise -35, -37, -50, -120 or another error, and
// *fsSpec is left alone.
OSErr FSMakeFSSpec(int16_t vRefNum, int32_t dirID, const unsigned char* fileName, FSSpec* fsSpec);

// Fills *newRef for the entry that *source names; -43 when there is no such entry.
OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef);

// Writes the entry's absolute path, its folders resolved and NUL-terminated, into path,
// using at most maxPathSize bytes. -2110 when it does not fit, -43 when the entry has
// gone, -1401 for a record that no call made; the buffer is untouched on any error.
OSStatus FSRefMakePath(const FSRef* ref, unsigned char* path, uint32_t maxPathSize);
