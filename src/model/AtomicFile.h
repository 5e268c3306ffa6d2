#pragma once
// Every output file of the program is replaced as a whole or not at all.
//
// A new content is written to a temporary file in the target's folder, named
// ".<name>.<16 random hex digits>.part" and created exclusively (O_CREAT | O_EXCL | O_NOFOLLOW, so a
// link planted there is never followed and a name taken by anyone else is never reused). It is
// written, flushed and fsynced, given the old file's permission bits (or those any new file of the
// user gets), renamed over the target, and the folder is fsynced so the rename survives a crash. On
// any error the temporary is removed and the old file is left as it was; the message names the path
// and the reason. The temporaries of a save that was killed are hidden (a leading dot), never taken
// for the file itself, and removed by the next save of the same file.
#include <string>
#include <string_view>
#include <vector>

namespace torva {

// The content of one file to be written.
struct FileContent {
    std::string path;
    std::string_view bytes;
};

// Replaces `path` with `bytes`. On failure returns false with error = "Cannot write <path>: <reason>".
// Without `sync` nothing waits for the disk: a crash of the program still never leaves a partial file,
// a crash of the machine might (for many small files that can be made again).
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         bool sync = true);

// Replaces several files: every content is written to its temporary first and the renames happen only
// when all are complete, so an error while writing leaves every old file as it was.
bool WriteFilesAtomically(const std::vector<FileContent>& files, std::string& error, bool sync = true);

// Whether a file could be written at `path` now (its folder exists, is a folder and is writable, and
// the path itself is no folder), so a long computation can refuse a bad output path before it starts.
// On failure returns false with error = "Cannot write <path>: <reason>".
bool CheckWritable(const std::string& path, std::string& error);

// Creates `path` for writing only when nothing at all is there (not even a dangling link, which is
// never followed). Returns the descriptor, or -1 with errno (EEXIST when the name is taken).
int CreateNewFile(const std::string& path, unsigned mode);

// Whether `name` (a file name without folder) is a temporary of WriteFileAtomically for `target`.
bool IsTemporaryOf(const std::string& name, const std::string& target);

} // namespace torva
