#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/folder_slots.h"

namespace vornal {

// True when the value holds a shell wildcard (*, ? or [...]) in a folder
// name: "/srv/work/*", "/srv/work/*/vornal".
bool IsFolderPattern(std::string_view value);

// A folder a slot's value names now, with the identity it had when found.
struct FolderMatch {
  std::string path;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

// What a slot's value names now. A value that names an existing folder as
// written is that folder, wildcards or not, so stored values keep their
// meaning. Otherwise a pattern matches like the shell's: in each name, `*`
// and `?` never match a leading dot; the matches are in byte order. From the
// first name with a wildcard on, every folder is a worker's: a symbolic link
// there is not followed (it could point anywhere), only noted.
struct SlotFolders {
  bool pattern = false;
  std::vector<FolderMatch> folders;
  // Names matched, or below a match, that are symbolic links.
  std::vector<std::string> links;
  // Folders of the pattern that could not be listed, with the reason.
  std::vector<std::pair<std::string, std::string>> unreadable;
};
SlotFolders ExpandFolderValue(const std::string& value);

// A slot that gives no folder to collect, or a folder of its pattern that
// is left out.
struct SlotNote {
  enum class Kind {
    NoFolder,    // the value names no folder that can be entered
    NoMatch,     // a pattern that matches no folder now
    Link,        // a name of a pattern's folder is a symbolic link: not followed
    Unreadable,  // a folder of the pattern cannot be listed; `detail` says why
  };
  Kind kind = Kind::NoFolder;
  int slot = 0;
  std::string path;  // the slot's value, or the link or folder concerned
  std::string detail;
  // Only a folder that cannot be listed may hide a main.buf.
  bool Failure() const { return kind == Kind::Unreadable; }
};

// The folders of the office now: every enabled slot in order, each folder
// its value names, a folder named twice (a pattern and a plain path, or two
// spellings) once, where it comes first; and the notes, in slot order.
struct OfficeFolder {
  int slot = 0;
  FolderMatch match;
  bool pattern = false;  // found by a pattern: it must still be that folder when opened
};
struct OfficeFolders {
  std::vector<OfficeFolder> folders;
  std::vector<SlotNote> notes;
};
OfficeFolders ResolveFolderSlots(const FolderSlots& slots);

}  // namespace vornal
