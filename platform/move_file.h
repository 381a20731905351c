#pragma once

#include <QString>

namespace volmarin {

struct MoveResult {
    bool ok = false;
    QString reason; // why it failed, for a report; empty on success
};

// True when every "/"-separated part of name is non-empty and free of the characters that
// the disks photos travel to cannot hold: U+0000 to U+001F and \ : * ? " < > |
bool isPortableName(const QString& name);

// Renames folder/fromName to folder/toName and never replaces an existing file: the move
// fails when anything already stands at the target. A "/" in toName addresses a
// sub-folder. A toName that is not portable is refused. A failure leaves the disk as it was.
MoveResult moveFile(const QString& folder, const QString& fromName, const QString& toName);

// The same for two whole paths; the target's portability is not checked here.
MoveResult movePathNoReplace(const QString& fromPath, const QString& toPath);

} // namespace volmarin
