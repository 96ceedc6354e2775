#pragma once
// How the names a document writes become files to load, and what kind of
// document a file is. Every rule about mapping a document's names to the
// local file system lives here: a '\' is read as '/', a name that starts
// with one '/' is root-relative (and gets the server root), a file URL
// names an absolute path as it stands.
#include <string>
#include <string_view>

#include "html/layout/HtmlViewerTypes.h"

// The kind of document by the file's extension, in any letter case;
// OtherType for an unknown extension or none.
THtmlFileType HtmlFileTypeOf(std::u16string_view FileName);
// The kind of document a link's expanded address loads as: OtherType for
// an address of another scheme than a local file, else by its extension.
THtmlFileType LinkFileTypeOf(std::u16string_view ExpandedName);

// What a name found in a document is resolved against.
struct ThvNameContext {
    std::u16string_view ServerRoot;   // prefixed to root-relative names
    std::u16string_view Base;         // "DosPath", a folder or folder URL, or empty
    std::u16string_view CurrentFile;  // the document's own file, for relative names
};
// The file name to load for Filename; addresses of other schemes than
// file come back unchanged.
std::u16string ExpandDocumentFileName(std::u16string_view Filename, const ThvNameContext& Context);
// Name made absolute against the working folder, without "." and ".." steps.
std::u16string ExpandLocalFileName(std::u16string_view Name);
