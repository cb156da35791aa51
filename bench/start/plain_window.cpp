// The floor a Qt program starts from: a QMainWindow holding a QTableView of 8000 rows, the size
// of a full channel list, with a menu bar and a status bar.
#include <QAbstractTableModel>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>

namespace {

class Rows final : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 8000; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 6; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        return QStringLiteral("Channel %1/%2").arg(index.row() + 1).arg(index.column());
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Open..."));
    Rows rows;
    auto* view = new QTableView;
    view->setModel(&rows);
    window.setCentralWidget(view);
    window.statusBar()->showMessage(QStringLiteral("8000 channels"));
    window.resize(900, 600);
    window.show();
    return app.exec();
}
