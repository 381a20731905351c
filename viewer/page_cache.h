#pragma once

#include "catalogue/background_workers.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace volmarin {

// What the file system says about a file's content: rewriting or replacing the file
// changes at least one of these (the change time moves on every write and rename).
struct FileStamp {
    std::int64_t size = -1; // -1: no regular file could be looked at
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;

    static FileStamp of(const QString& path);
    bool valid() const { return size >= 0; }
    bool operator==(const FileStamp&) const = default;
};

// Canvases of the pictures around the one on screen, composed in a worker thread while
// the user looks, so that a page step can show its picture at once. They are made by
// composeOnScreen, as the synchronous showing makes its own, so they are the same pixels.
// A canvas is used only while its file is unchanged on disk; otherwise the showing
// decodes as usual. At most three canvases are held: the one shown and its neighbours.
class PageCache {
public:
    PageCache();
    // Drops every canvas and abandons the work not yet done, without waiting for it.
    ~PageCache();
    PageCache(const PageCache&) = delete;
    PageCache& operator=(const PageCache&) = delete;

    // The canvas held for path on this screen, if the file is still as it was when its
    // canvas was started; a null image otherwise. A preparation of the file that is
    // already running is waited for, since it ends sooner than a fresh decode.
    QImage take(const QString& path, QSize screen);

    // Holds the canvas just made synchronously for the picture on screen. A stamp that is
    // not valid (the file changed while it was read) keeps nothing.
    void keepShown(const QString& path, QSize screen, const FileStamp& stamp, QImage canvas);

    // The picture shown is path; previous and next (empty when there is none) are its
    // neighbours in the list it came from. Every other canvas is dropped, and the missing
    // neighbours are prepared, the one in the direction of travel first.
    void surround(const QString& path, const QString& previous, const QString& next, QSize screen,
                  bool forwardFirst);

    // Drops every canvas and abandons all work not yet done: a preparation that is running
    // is told to stop, and nothing is waited for.
    void clear();

    // For tests and measurements: canvases held, ready or being made; how many showings
    // took a canvas from here; and a wait until no preparation is queued or running.
    int heldCanvases() const;
    int canvasesTaken() const { return taken_; }
    void waitForIdle();

private:
    struct Job;
    std::shared_ptr<Job> find(const QString& path, QSize screen) const;
    void drop(const std::shared_ptr<Job>& job);
    void start(const QString& path, QSize screen);

    int taken_ = 0;
    std::vector<std::shared_ptr<Job>> jobs_;
    // One worker: preparations are done one after another, so that a dropped one that is
    // still running and the next one are never composed at the same time.
    BackgroundWorkers worker_{1};
};

} // namespace volmarin
