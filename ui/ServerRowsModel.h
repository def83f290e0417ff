#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <array>
#include <vector>

namespace kestrune {

// One row of the server list view: its four cell texts, its state image and its item value.
struct ServerRow {
    std::array<QString, 4> cells;
    int stateImage = 0;
    int itemValue = 0;
};

// The rows of the server list view. Rows are replaced all at once, so that a rebuild of ten
// thousand servers costs one reset instead of ten thousand insertions.
class ServerRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The item value of a row, stored with it.
    static constexpr int kItemValueRole = Qt::UserRole;

    explicit ServerRowsModel(QObject* parent);

    void ResetRows(std::vector<ServerRow> rows);
    void SetCellText(int row, int column, const QString& text);
    void SetStateImage(int row, int image);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<ServerRow> rows_;
    std::vector<QIcon> stateImages_;
};

}  // namespace kestrune
