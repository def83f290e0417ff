#include "ui/ServerRowsModel.h"

#include "ui/Pictures.h"

namespace kestrune {

namespace {

struct Column {
    const char* header;
    Qt::Alignment alignment;
};

const std::array<Column, 4> kColumns = {{
    {"主机IP地址", Qt::AlignLeft | Qt::AlignVCenter},
    {"端口", Qt::AlignLeft | Qt::AlignVCenter},
    {"登陆账号", Qt::AlignHCenter | Qt::AlignVCenter},
    {"网络状态", Qt::AlignHCenter | Qt::AlignVCenter},
}};

}  // namespace

ServerRowsModel::ServerRowsModel(QObject* parent) : QAbstractTableModel(parent) {
    // The same picture when selected: the view would otherwise tint it with the selection
    // colour, and a yellow screen would turn green.
    for (int i = 0; i < kStateImageCount; ++i) {
        const QPixmap picture = QPixmap::fromImage(StateImage(i));
        QIcon icon;
        icon.addPixmap(picture, QIcon::Normal);
        icon.addPixmap(picture, QIcon::Selected);
        stateImages_.push_back(icon);
    }
}

void ServerRowsModel::ResetRows(std::vector<ServerRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void ServerRowsModel::SetCellText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void ServerRowsModel::SetStateImage(int row, int image) {
    if (row < 0 || row >= rowCount() || image < 0 || image >= kStateImageCount) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].stateImage = image;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::DecorationRole});
}

int ServerRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ServerRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant ServerRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ServerRow& row = rows_[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return row.cells[column];
        case Qt::DecorationRole:
            if (column == 0) {
                return stateImages_[static_cast<std::size_t>(row.stateImage)];
            }
            break;
        case Qt::TextAlignmentRole:
            return static_cast<int>(kColumns[column].alignment);
        case kItemValueRole:
            return row.itemValue;
        default:
            break;
    }
    return {};
}

QVariant ServerRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    const Column& column = kColumns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) {
        return QString::fromUtf8(column.header);
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(column.alignment);
    }
    return {};
}

Qt::ItemFlags ServerRowsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

}  // namespace kestrune
