#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace volmarin {

// Questions to volumes that may not answer. A stat of a folder on a network share whose
// server is gone, or on a FUSE file system whose server has stopped, waits for as long as
// that lasts, so the user-interface thread never asks itself: a thread of its own asks, and
// the user-interface thread waits for it a bounded time at most. A question left without an
// answer stays with its thread until the volume answers or the program ends; asking about
// the same path again joins it rather than starting another.

enum class FolderAnswer { Folder, NotFolder, NoAnswer };

// Whether path is a folder (a link to one counts), waiting at most limit for the answer.
FolderAnswer probeFolder(const QString& path, std::chrono::milliseconds limit);

// How long a folder the user chose, or the folder in use, is waited for: a live disk or
// share answers well within it, and a dead one holds the window no longer than this.
constexpr std::chrono::milliseconds FolderAnswerLimit{2000};

// Whether the volume mounted at mountPoint (with the mount table's id mountId) is mounted
// on a folder, as found out earlier; nothing when it is not known yet, in which case it is
// asked in the background, for a later call to know.
std::optional<bool> mountedOnFolder(int mountId, const QString& mountPoint);

} // namespace volmarin
