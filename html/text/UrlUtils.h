#pragma once
// URL and file-name helpers: scheme tests, the protocol and directory of a
// URL, resolving a reference against a base, percent-escape decoding and
// local paths. Pure string work; nothing touches the network or the disk.
// Local paths use '/'; a '\' in a document's names is read as '/' too
// (DocumentPathText decides it in one place).
#include <string>
#include <string_view>

// A scheme of two or more characters and ':' at the start ("http:", "ab:").
bool IsUrlWithScheme(std::u16string_view S);
// An absolute local path.
bool IsAbsoluteDosPath(std::u16string_view S);
// The protocol in lower case ("http", "file", "mailto"), empty when none.
std::u16string GetUrlProtocol(std::u16string_view Url);
// The URL up to and including its last '/' before any query.
std::u16string UrlBaseDirectory(std::u16string_view Url);
// Rel (without a scheme) resolved against the directory URL Base.
std::u16string CombineUrls(std::u16string_view Base, std::u16string_view Rel);
// Every cleanly escaped UTF-8 sequence replaced by its character; anything
// else (bad digits, overlong forms, stray bytes) stays as written.
std::u16string DecodeUrlEscapes(std::u16string_view S);
// A local file name from a file URL or a plain path.
std::u16string UrlToDosPath(std::u16string_view Url);
std::u16string UrlToDosPathWithBase(std::u16string_view Url, std::u16string_view Base);
// Dir and Name joined by exactly one separator.
std::u16string CombineDosPaths(std::u16string_view Dir, std::u16string_view Name);
// "page.htm#top" into "page.htm" and "#top".
void SplitUrlDestination(std::u16string_view S, std::u16string& Url, std::u16string& Dest);
// How a document's file names are read on this platform: '\' as '/'.
std::u16string DocumentPathText(std::u16string_view S);
