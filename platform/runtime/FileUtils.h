#pragma once
// Files, folders and the program's own name and folder.
#include <cstddef>
#include <functional>
#include <cstdint>

#include "platform/runtime/TCString.h"

// Paths ('/' separators).
TCString makePathName(const char* folder, const char* name);
TCString extractFileName(const char* path);
TCString extractFilePath(const char* path);  // folder without the final '/'
TCString getExt(const char* path);           // ".ext" or ""
// ext with or without its dot; empty removes the extension.
TCString changeFileExt(const char* path, const char* ext);
TCString changeFileName(const char* path, const char* newName);

bool fileExists(const char* path);  // a file (not a folder)
bool dirExists(const char* path);
int64_t fileSize(const char* path);  // -1 when absent
// Creates the folder with its parents: 0, or a negative error number.
int makeDirectory(const char* path);
// 0 when the folder exists or (create != 0) was made; negative otherwise.
int checkDir(const char* path, int create = 1, int flags = 0);
int removeFile(const char* path);
// True for an existing file owned by the current user or by root that no one
// else (group or others) may write: what a trust anchor's file must be.
bool isFileProtected(const char* path);
// Makes the file readable and writable by its owner only: 0 or a negative error.
int setFileOwnerOnly(const char* path);

// Handles: openFile answers a handle >= 0 or a negative error number.
constexpr int FO_READ = 0;          // read
constexpr int FO_WRITE = 1;         // write, create when missing, keep content
constexpr int FO_READWRITE = 2;     // read and write, create when missing
constexpr int FO_APPEND = 3;        // append, create when missing
constexpr int FO_TEMP_CREATE = 99;  // new file for writing, removed when closed
constexpr int FO_CREATE = 251;      // create or truncate for writing
int openFile(const char* path, int mode);
int64_t writeFile(int handle, const void* data, size_t len);  // bytes or negative
int64_t readFile(int handle, void* data, size_t len);
int closeFile(int handle);
// The one writer of whole files (0 or a negative error number). The data
// goes to a temporary file of its own in the same folder (".<name>.zrxtmp-*",
// created exclusively, never through a link), takes the mode of the file it
// replaces (a new file: newFileMode; secret: 0600 always), is synced,
// renamed over the file, and the folder is synced: a reader sees the old
// file or the new one. A file that may not be written (no write permission,
// as a read-only attribute) is refused with -EACCES and left as it is.
// Temporaries of this naming older than a few minutes, left by killed
// writers, are removed from the folder.
struct WholeFileWrite {
    unsigned newFileMode = 0644;
    bool secret = false;
    // Test hook: called with the complete temporary file before the rename.
    std::function<void(const char* tempPath)> beforeRename;
};
int writeWholeFile(const char* path, const void* data, size_t len, const WholeFileWrite& how = {});
// Whole files: 0 or a negative error; writeBuff replaces atomically.
int writeBuff(const char* path, const void* data, size_t len);
// readBuff reads regular files only, opened without blocking (a FIFO or a
// device is refused with -EINVAL), and refuses a file over maxSize bytes
// with -EFBIG.
inline constexpr size_t kMaxReadBuffSize = 16u << 20;
int readBuff(const char* path, std::string& out, size_t maxSize = kMaxReadBuffSize);
// Writes the 8-bit text as the whole file (atomically); false on failure.
bool saveStr(const char* path, const char* text);
// Feeds the file to the callback in pieces; negative on failure, else 0 (or
// the callback's first non-zero answer, which stops the feed).
using TEnumFileDataFunc = int (*)(void* context, const void* data, size_t len);
int enumFileData(const char* path, TEnumFileDataFunc fn, void* context);
// Copies a file: into a folder keeping its name / to a path. 0 or negative.
int copyFileTo(const char* file, const char* folder);
int copyFile(const char* from, const char* to, bool failIfExists = false);

// The program: folder of the executable, its file name (with extension, if
// any), APPL (the name before its last '.'), and the full path.
TCString getModulePath();
TCString getMainPathName();
TCString getModuleFileName();
TCString getModuleFullName();
TCString getApplName();
// Tests set the program's name and folder (null: the real ones).
void setModuleFileName(const char* name);
void setModulePath(const char* folder);

// Folders of the platform: ALLUSERSPROFILE / PUBLIC when set, else
// $XDG_DATA_HOME (default ~/.local/share); USERPROFILE, else $HOME.
TCString getCommonDataDir();
TCString getPublicDir();
TCString getUserProfileDir();
TCString getConfigDir();  // $XDG_CONFIG_HOME, default ~/.config
