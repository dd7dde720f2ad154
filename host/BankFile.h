// The embedded bank's file on the file system, before SQLite opens it: where it is by
// default (DefaultDatabasePath, declared with the bank's location in Database.h), and
// its folders and file created private to the user, so that the customers and users in
// it are nobody else's to read. One implementation file per platform: BankFile.cpp
// (POSIX modes), BankFileWin32.cpp (a DACL for the user alone).
#pragma once

#include <string>

namespace host {

// Creates every missing folder on the way to path's parent, private to the user.
// Throws std::runtime_error naming the folder.
void CreateParentFolders(const std::string& path);

// Creates the file at path, empty and private to the user, when there is none; an
// existing file, or anything else at the name, is left for the open to judge. Throws
// std::runtime_error when it can create none.
void CreatePrivateFile(const std::string& path);

// True when there is nothing at path (its folder may be missing too); false also when
// path cannot be looked at, which the open then says.
bool NothingAt(const std::string& path);

// True when something is at path that is not an empty file: an empty file holds
// nothing to lose (the host refuses it as no bank).
bool FileHasContent(const std::string& path);

}  // namespace host
