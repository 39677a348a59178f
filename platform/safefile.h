#pragma once
// Files made anew are written beside their target under a unique name and
// renamed over it only when complete and flushed, so a failure, a full disk or
// a kill at any moment leaves either the old file or the new one, never a mix.
// A process that has the old file mapped keeps reading the old inode.
#include <string>

namespace platform {

// Creates an empty file with a unique name in the folder of target ("name.XXXXXX"
// beside it), read-write, with mode & ~umask. Returns the descriptor (or -1 with
// errno set) and the name in *tempPath.
int CreateBeside(const std::string& target, std::string* tempPath, unsigned mode = 0666);

// fsync of the folder that holds path, so a rename in it reaches the disk.
bool SyncFolderOf(const std::string& path);

// Renames temp over target and flushes the folder. On failure temp is removed
// and target is left as it was.
bool ReplaceFile(const std::string& temp, const std::string& target);

// Writes the whole buffer at the current position, retrying short writes and
// interruptions.
bool WriteFully(int fd, const void* data, size_t n);

}  // namespace platform
