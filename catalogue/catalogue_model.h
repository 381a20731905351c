#pragma once

#include <QAbstractListModel>
#include <QString>

#include <vector>

namespace volmarin {

class ThumbnailList;

// The items of the catalogue list: item i is captioned with its file name and shows
// thumbnail i of the thumbnail list.
class CatalogueModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CatalogueModel(const ThumbnailList& thumbnails, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return static_cast<int>(captions_.size()); }
    const QString& caption(int index) const { return captions_[static_cast<size_t>(index)]; }
    void setCaption(int index, const QString& caption);
    void append(const QString& caption);
    void clear();

    // Moves the caption at from to place to (the thumbnails move in their own list); the
    // view is told once for the whole range.
    void carry(int from, int to);

signals:
    // A caption is about to change through an edit in the view. Setting *allow to false
    // keeps the old caption.
    void captionEditing(int index, const QString& newCaption, bool* allow);

private:
    const ThumbnailList& thumbnails_;
    std::vector<QString> captions_;
};

} // namespace volmarin
