#pragma once

#include "catalogue/window_links.h"

#include <memory>

class QTimer;

namespace volmarin {

class CatalogueModel;
class ListSelection;
class ThumbnailList;
class ThumbnailLoader;

// Loading a folder into the catalogue: one file of the chooser's list per tick of the load
// timer, appended as an item with its thumbnail, with the progress in status panel 1.
class CatalogueLoad {
public:
    CatalogueLoad(CatalogueVariables variables, ThumbnailList& thumbnails, CatalogueModel& model,
                  ListSelection& selection, ListDisplay& list, StatusPanels& panels,
                  MainWindowNotice& notice, const FileListing& files, QTimer& timer);
    ~CatalogueLoad();

    CatalogueLoad(const CatalogueLoad&) = delete;
    CatalogueLoad& operator=(const CatalogueLoad&) = delete;

    // Deletes the previous catalogue and starts loading the listed files of folder into
    // thumbnails of edge n.
    void start(int n, const QString& folder);
    // One tick: the next file's thumbnail when it is ready. A file that no longer exists
    // ends the load with a notice; one that cannot be decoded is skipped with an error report.
    void tick();
    // Esc: the load stops, and what is loaded stays.
    void stop();

private:
    void finish();

    CatalogueVariables variables_;
    ThumbnailList& thumbnails_;
    CatalogueModel& model_;
    ListSelection& selection_;
    ListDisplay& list_;
    StatusPanels& panels_;
    MainWindowNotice& notice_;
    const FileListing& files_;
    QTimer& timer_;
    // The load's picture object: it decodes the files ahead of their ticks.
    std::unique_ptr<ThumbnailLoader> picture_;
};

} // namespace volmarin
