#pragma once

#include <QString>

#include <functional>

namespace volmarin {

struct MoveResult {
    bool ok = false;
    QString reason; // why it failed, for a report; empty on success
};

// True when every "/"-separated part of name is non-empty and free of the characters that
// the disks photos travel to cannot hold: U+0000 to U+001F and \ : * ? " < > |
bool isPortableName(const QString& name);

// A last look at the folder that receives the file, just before the move: folderFd is that
// folder, reached beneath the loaded folder and held open for the move, and leaf the new
// name's last part. Returning false refuses the move.
using TargetCheck = std::function<bool(int folderFd, const QString& leaf)>;

// Renames folder/fromName to folder/toName and never replaces an existing file: the move
// fails when anything already stands at the target. A "/" in either name addresses a
// sub-folder. A toName that is not portable is refused. A failure leaves the disk as it was.
//
// Nothing leaves folder: both names are resolved beneath a descriptor of folder, so a ".."
// part, or a link on the way that leads outside, refuses the move, and the move acts on
// the sub-folders so reached even when another program swaps one of them for a link
// before the move is made.
MoveResult moveFile(const QString& folder, const QString& fromName, const QString& toName,
                    const TargetCheck& targetCheck = {});

} // namespace volmarin
