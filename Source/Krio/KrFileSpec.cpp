#include "Krio/KrFileSpec.h"

#include "KrCore/KrError.h"
#include "KrPlatform/KrPlatform.h"

#include <string>

namespace
{
struct KrFileKind
{
    int32_t kind;
    uint32_t type;
    uint32_t creator;
    const char* extension; // compared ignoring ASCII case
};

// Searched in this order; the first match wins.
const KrFileKind kFileKinds[] = {
    {1, KrFourCharCode("TEXT"), KrFourCharCode("ttxt"), "txt"},
    {1, KrFourCharCode("TEXT"), KrFourCharCode("ttxt"), "text"},
    {1, KrFourCharCode("TEXT"), KrFourCharCode("KrTl"), "cie"},
    {1, KrFourCharCode("TEXT"), KrFourCharCode("KrTl"), "ref"},
    {1, KrFourCharCode("TEXT"), KrFourCharCode("KrTl"), "it8"},
    {2, KrFourCharCode("prof"), KrFourCharCode("sync"), "icc"},
    {2, KrFourCharCode("prof"), KrFourCharCode("sync"), "icm"},
    {4, KrFourCharCode("8BCO"), KrFourCharCode("8BIM"), "aco"},
    {3, KrFourCharCode("8BPS"), KrFourCharCode("8BIM"), "psd"},
    {5, KrFourCharCode("PICT"), KrFourCharCode("8BIM"), "pct"},
    {5, KrFourCharCode("PICT"), KrFourCharCode("8BIM"), "pict"},
    {6, KrFourCharCode("JPEG"), KrFourCharCode("8BIM"), "jpg"},
    {6, KrFourCharCode("JPEG"), KrFourCharCode("8BIM"), "jpeg"},
    {6, KrFourCharCode("JFIF"), KrFourCharCode("8BIM"), "jpg"},
    {20, KrFourCharCode("jpf "), KrFourCharCode("8BIM"), "jpf"},
    {20, KrFourCharCode("jp2 "), KrFourCharCode("8BIM"), "jp2"},
    {20, KrFourCharCode("jpx "), KrFourCharCode("8BIM"), "jpx"},
    {20, KrFourCharCode("j2k "), KrFourCharCode("8BIM"), "j2k"},
    {20, KrFourCharCode("j2c "), KrFourCharCode("8BIM"), "j2c"},
    {20, KrFourCharCode("pnm "), KrFourCharCode("8BIM"), "pnm"},
    {7, KrFourCharCode("TIFF"), KrFourCharCode("8BIM"), "tif"},
    {7, KrFourCharCode("TIFF"), KrFourCharCode("8BIM"), "tiff"},
    {8, KrFourCharCode("PNGf"), KrFourCharCode("8BIM"), "png"},
    {9, KrFourCharCode("TPIC"), KrFourCharCode("8BIM"), "tga"},
    {10, KrFourCharCode("..CT"), KrFourCharCode("8BIM"), "sct"},
    {11, KrFourCharCode("GIFf"), KrFourCharCode("8BIM"), "gif"},
    {12, KrFourCharCode("PDF "), KrFourCharCode("****"), "pdf"},
    {13, KrFourCharCode("BINA"), KrFourCharCode("****"), ""},
    {14, KrFourCharCode("APPL"), KrFourCharCode("****"), "exe"},
    {15, KrFourCharCode("HTML"), KrFourCharCode("****"), "html"},
    {15, KrFourCharCode("HTML"), KrFourCharCode("****"), "htm"},
    {16, KrFourCharCode("AFM "), KrFourCharCode("****"), "afm"},
    {17, KrFourCharCode("PPM "), KrFourCharCode("****"), "ppm"},
    {18, KrFourCharCode("LINK"), KrFourCharCode("****"), "link"},
    {19, KrFourCharCode("DLL "), KrFourCharCode("****"), "dll"},
    {19, KrFourCharCode("DYLB"), KrFourCharCode("****"), "dylib"},
    {21, KrFourCharCode("CSC "), KrFourCharCode("****"), "csc"},
    {22, KrFourCharCode("scri"), KrFourCharCode("****"), "script"},
    {23, KrFourCharCode("CSV "), KrFourCharCode("****"), "csv"},
    {24, KrFourCharCode("CCF "), KrFourCharCode("****"), "ccf"},
};

// Used when nothing else matches; never found by a search.
const KrFileKind kDefaultFileKind = {0, KrFourCharCode("****"), KrFourCharCode("****"), ""};

// The first row for which matches holds, else the default row.
template <class Predicate>
const KrFileKind& FirstFileKind(Predicate matches)
{
    for (const KrFileKind& row : kFileKinds)
    {
        if (matches(row))
            return row;
    }
    return kDefaultFileKind;
}

const KrFileKind& FileKindOfExtension(const KrString& extension)
{
    return FirstFileKind([&](const KrFileKind& row) { return extension.CompareNoCase(row.extension) == 0; });
}

const KrFileKind& FileKindOfType(uint32_t type)
{
    return FirstFileKind([&](const KrFileKind& row) { return row.type == type; });
}

const KrFileKind& FileKindOfKind(int32_t kind)
{
    return FirstFileKind([&](const KrFileKind& row) { return row.kind == kind; });
}

bool IsSeparator(char byte)
{
    return byte == '/' || byte == '\\';
}
}

KrFileSpec::KrFileSpec(const KrString& name, int32_t folderKind) : path(name)
{
    if (!name.IsEmpty())
        SetPath(name);
    if (folderKind != 0)
        PlaceInFolder(folderKind);
}

void KrFileSpec::SetPath(const KrString& newPath)
{
    path = newPath.ReplaceChar('\\', '/').ReplaceAll("//", "/");
    const int32_t dot = path.FindLastChar('.');
    if (dot < 0)
        return;
    const uint32_t derived = FileKindOfExtension(path.Substring(dot + 1, -1)).type;
    if (derived != type && derived != 0)
    {
        type = derived;
        UpdateCreator();
    }
}

void KrFileSpec::UpdateCreator()
{
    bool typeKnown = false;
    for (const KrFileKind& row : kFileKinds)
    {
        if (row.type != type)
            continue;
        if (row.creator == creator)
            return;
        typeKnown = true;
    }
    creator = typeKnown ? FileKindOfType(type).creator : 0;
}

KrString KrFileSpec::NativePath() const
{
    return path.ReplaceChar('/', KrPlatformPathSeparator());
}

KrString KrFileSpec::Folder() const
{
    return path.Substring(0, path.FindLastChar('/') + 1);
}

KrString KrFileSpec::FileName() const
{
    return path.Substring(path.FindLastChar('/') + 1, -1);
}

void KrFileSpec::SetFileName(const KrString& fileName)
{
    SetPath(Folder() + fileName);
}

KrString KrFileSpec::BaseName() const
{
    const KrString fileName = FileName();
    const int32_t dot = fileName.FindLastChar('.');
    if (dot <= 0 || &FileKindOfExtension(fileName.Substring(dot + 1, -1)) == &kDefaultFileKind)
        return fileName;
    return fileName.Substring(0, dot);
}

void KrFileSpec::SetKind(int32_t kind)
{
    type = FileKindOfKind(kind).type;
    UpdateCreator();
    const char* extension = FileKindOfKind(FileKindOfType(type).kind).extension;
    KrString fileName = BaseName();
    if (extension[0] != '\0')
        fileName = fileName + "." + extension;
    SetFileName(fileName);
}

bool KrFileSpec::IsAbsolute(const KrString& text)
{
    const char* bytes = text.Text();
    const int32_t length = text.Length();
    if (length > 0 && (IsSeparator(bytes[0]) || bytes[0] == ':'))
        return true;
    return length >= 3 && bytes[1] == ':' && IsSeparator(bytes[2]);
}

void KrFileSpec::PlaceInFolder(int32_t folderKind)
{
    std::string found;
    if (!KrPlatformSpecialFolder(folderKind, found))
        KR_RAISE(KrErrArgErr);
    const KrString folder = KrString(found.c_str()).ReplaceChar('\\', '/');
    const KrString fileName = FileName();
    if (folder.IsEmpty() || IsAbsolute(fileName))
        SetPath(fileName);
    else
        SetPath(folder + "/" + fileName);
}
