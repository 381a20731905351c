#include "catalogue/catalogue_load.h"

#include "app/mode_word.h"
#include "catalogue/catalogue_model.h"
#include "catalogue/list_selection.h"
#include "catalogue/thumbnail_list.h"
#include "catalogue/thumbnail_loader.h"
#include "platform/error_report.h"
#include "platform/file_exists.h"
#include "platform/paths.h"

#include <QStringList>
#include <QTimer>

namespace volmarin {

CatalogueLoad::CatalogueLoad(CatalogueVariables variables, ThumbnailList& thumbnails,
                             CatalogueModel& model, ListSelection& selection, ListDisplay& list,
                             StatusPanels& panels, MainWindowNotice& notice,
                             const FileListing& files, QTimer& timer)
    : variables_(variables), thumbnails_(thumbnails), model_(model), selection_(selection),
      list_(list), panels_(panels), notice_(notice), files_(files), timer_(timer) {}

CatalogueLoad::~CatalogueLoad() = default;

void CatalogueLoad::start(int n, const QString& folder) {
    thumbnails_.setSize(n, n);
    variables_.LoadedFolder = folder;
    panels_.setModeWord(mode::Loading);
    model_.clear();
    thumbnails_.clear();
    list_.setThumbnailEdge(n);
    variables_.LoadPosition = 0;
    const int count = files_.fileCount();
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        paths << joinPath(folder, files_.fileEntry(i));
    }
    picture_ = std::make_unique<ThumbnailLoader>(paths, n,
                                                 [files = &files_] { return files->slowRead(); });
    timer_.start();
}

void CatalogueLoad::tick() {
    // While an error report is on screen the load waits, so that broken files never pile
    // up message boxes.
    if (!picture_ || errorReportOpen()) {
        return;
    }
    std::int32_t& position = variables_.LoadPosition;
    const int count = files_.fileCount();
    const QString name = files_.fileEntry(position);
    const QString path = joinPath(variables_.LoadedFolder, name);
    QString failure;
    if (!fileExists(path)) {
        position = count;
        notice_.show(QStringLiteral("見当たらないファイルがあります"),
                     QStringLiteral("読込を中断します"));
    } else {
        std::optional<ThumbnailLoader::Result> made = picture_->take(position);
        if (!made) {
            return; // still decoding: the next tick looks again
        }
        if (!made->error.isEmpty()) {
            // The file is skipped and the load goes on with the next one.
            failure = made->error;
        } else {
            thumbnails_.append(std::move(made->thumbnail));
            model_.append(name);
            panels_.setStatusLine(
                QStringLiteral("%1/%2   [ESC]で中断").arg(position + 1).arg(count));
            // A skipped broken file leaves no item, so the newest item is the last one.
            list_.showLoadedItem(model_.count() - 1);
        }
        ++position;
    }
    if (position >= count) {
        finish();
    }
    if (!failure.isEmpty()) {
        reportError(failure);
    }
}

void CatalogueLoad::finish() {
    picture_.reset();
    variables_.SourceIndex = -1;
    selection_.clearSelection();
    panels_.setModeWord(mode::Loaded);
    panels_.setStatusLine(QString());
    timer_.stop();
}

void CatalogueLoad::stop() {
    timer_.stop();
    picture_.reset();
    variables_.SourceIndex = -1;
    selection_.clearSelection();
    panels_.setModeWord(mode::LoadStopped);
    panels_.setStatusLine(QString());
}

} // namespace volmarin
