// Replacing a file safely: every file the engine writes goes through here.
//
// The new content is written to a fresh file created exclusively, under a name no one
// can predict, in the folder of the file it replaces; only a completed write is renamed
// over the destination. So a failed or interrupted write leaves the old file as it was,
// a planted link or an existing file of a guessable name is never followed or
// destroyed, and readers never see half a file.
//
// Rules for the destination, as a shell redirection would apply them:
// - a symbolic link is followed: its target is replaced and the link stays a link;
// - an existing file that the user may not write, or a folder, is refused;
// - a replaced file keeps its permission bits (a new one gets the usual 0666 less the
//   umask).
// The temporary file is removed on every failure and when the process is ended by
// SIGINT or SIGTERM whose default action would have ended it anyway.
#pragma once

#include <cstdio>
#include <string>

namespace dro::platform {

class FileReplacement {
public:
    // Prepares the replacement of destination; check file() and problem().
    explicit FileReplacement(const char* destination);
    // Removes the temporary file unless commit() moved it into place.
    ~FileReplacement() { discard(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Where the new content goes (opened for update, so writers may seek back); null
    // when the destination was refused or nothing could be created.
    std::FILE* file() const noexcept { return file_; }
    // Flushes, syncs, closes and renames over the destination; false (the destination
    // untouched, the temporary removed) when any of that fails.
    bool commit();
    // Why the destination was refused or the write failed, in a few words ("permission
    // denied", "no space left on device"); empty while nothing failed.
    const std::string& problem() const noexcept { return problem_; }

private:
    void fail(const std::string& why) {
        problem_ = why;
        discard();
    }
    // Closes and removes the temporary file; each system's own.
    void discard() noexcept;

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    int slot_ = -1;  // the entry in the list removed on SIGINT and SIGTERM
    std::string problem_;
};

}  // namespace dro::platform
