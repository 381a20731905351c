#include "catalogue/catalogue_model.h"

#include "catalogue/thumbnail_list.h"
#include "platform/name_codec.h"

#include <algorithm>

namespace volmarin {

CatalogueModel::CatalogueModel(const ThumbnailList& thumbnails, QObject* parent)
    : QAbstractListModel(parent), thumbnails_(thumbnails) {}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return caption(index.row());
    case Qt::EditRole:
        // What an edit in the list starts from is the name as the captions show it.
        return nameForDisplay(caption(index.row()));
    case Qt::DecorationRole:
        if (index.row() < thumbnails_.count()) {
            return thumbnails_.at(index.row());
        }
        return {};
    default:
        return {};
    }
}

bool CatalogueModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.row() >= count()) {
        return false;
    }
    const QString text = value.toString();
    bool allow = true;
    emit captionEditing(index.row(), text, &allow);
    if (!allow) {
        return false;
    }
    setCaption(index.row(), text);
    return true;
}

Qt::ItemFlags CatalogueModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
           Qt::ItemIsDropEnabled;
}

void CatalogueModel::setCaption(int index, const QString& caption) {
    captions_[static_cast<size_t>(index)] = caption;
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
}

void CatalogueModel::append(const QString& caption) {
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    captions_.push_back(caption);
    endInsertRows();
}

void CatalogueModel::clear() {
    beginResetModel();
    captions_.clear();
    endResetModel();
}

void CatalogueModel::carry(int from, int to) {
    if (from == to) {
        return;
    }
    auto first = captions_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
    emit dataChanged(index(std::min(from, to)), index(std::max(from, to)));
}

} // namespace volmarin
