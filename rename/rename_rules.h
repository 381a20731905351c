#pragma once

#include <QString>

namespace volmarin {

class FolderIndex;

// The extension of a name: from its last "." onward, unless a "/" (a sub-folder) or a ":"
// follows that "."; otherwise empty. The dot and the letter case are kept.
QString extensionOf(const QString& name);

// The name with its extension (as extensionOf finds it) removed.
QString withoutExtension(const QString& name);

// A sequence number as the batch writes it: zeros in front of n so that 0 to 9999 take
// four digits; anything below 10 gets three, so -5 becomes "000-5".
QString sequenceNumberText(int n);

// What the batch dialog's fields say about the new names.
struct BatchNaming {
    QString separator;            // between the number and the base, may be empty
    QString baseName;             // the typed base, used while useOriginalName is off
    bool useOriginalName = false; // take the base from the file's own name instead
    int deleteCount = 0;          // leading characters cut from the own name; < 0 cuts none
};

// The longest base taken from a file's own name, in characters.
inline constexpr int MaxOriginalBaseLength = 300;

// The new name of a file captioned caption that gets the number n: number, separator,
// base and the caption's own extension. Characters are code points.
QString NewName(const BatchNaming& naming, const QString& caption, int n);

// The rename-failure notice, given for every cause of a failed rename.
QString renameFailureMainLine();
QString renameFailureSecondLine();

// The rename operation: moves folder/oldName to folder/newName and never replaces or
// shadows anything: it refuses when any entry (file or folder) of the target's folder
// bears newName in any letter case, since the disks photos travel to ignore case, and the
// move itself refuses atomically whatever appears at the exact name at the last moment.
// A "/" in newName addresses an existing sub-folder, but nothing leaves folder: both names
// are resolved beneath folder (moveFile), so a ".." part or a link that leads outside
// refuses the rename, even one that another program puts in place meanwhile. The file
// moved is the one the existence test finds for oldName, also when it now bears that name
// in another letter case. The disk is unchanged on failure.
bool renameFile(const QString& folder, const QString& oldName, const QString& newName);

// The same against an index of the folder that the caller keeps for a whole pass; the
// index is updated with the move. Whatever the index misses, the move still never
// replaces an existing file.
bool renameFile(FolderIndex& index, const QString& oldName, const QString& newName);

} // namespace volmarin
