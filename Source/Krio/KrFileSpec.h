// A file name kept with '/' separators, plus the four-character type and creator codes that
// its extension implies. It never touches the file itself.
#pragma once

#include "KrCore/KrString.h"

#include <cstdint>

// A four-character code with the first character in the most significant byte.
constexpr uint32_t KrFourCharCode(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 | uint32_t(uint8_t(code[2])) << 8 |
           uint32_t(uint8_t(code[3]));
}

class KrFileSpec
{
public:
    // A non-empty name is set with SetPath. A non-zero folder kind then puts the name's file
    // name into that well-known folder (1 to 17; 7 keeps the file name alone); kind 11, a
    // negative kind and one above 17 raise KrArgErr. A folder that cannot be found leaves the
    // file name relative.
    explicit KrFileSpec(const KrString& name = KrString(), int32_t folderKind = 0);
    virtual ~KrFileSpec() = default;
    KrFileSpec(const KrFileSpec&) = default;
    KrFileSpec& operator=(const KrFileSpec&) = default;

    // Turns '\' into '/', collapses "//", and takes the type (and a fitting creator) from the
    // extension when the path has a '.'.
    void SetPath(const KrString& path);
    KrString Path() const { return path; }
    // The path with the platform's separators, for opening the file.
    KrString NativePath() const;
    KrString Folder() const;   // up to and including the last '/'; empty without one
    KrString FileName() const; // after the last '/'
    void SetFileName(const KrString& fileName);
    // The file name without an extension that the file-kind table knows.
    KrString BaseName() const;
    // Type and creator of the first table row of kind, then the extension that goes with them.
    void SetKind(int32_t kind);
    static bool IsAbsolute(const KrString& path);

    uint32_t Type() const { return type; }
    uint32_t Creator() const { return creator; }

private:
    // Keeps the creator if it belongs to the type in the table, else takes the type's first.
    void UpdateCreator();
    void PlaceInFolder(int32_t folderKind);

    KrString path;
    uint32_t type = 0;
    uint32_t creator = 0;
};
