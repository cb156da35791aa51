#pragma once
// The status bar's node panel: the image of the selected tree node and, beside it, the node's text in bold.
#include <QIcon>
#include <QString>
#include <QWidget>

namespace cs::app {

class NodePanel final : public QWidget {
    Q_OBJECT

public:
    explicit NodePanel(QWidget* parent = nullptr);

    void setNode(const QIcon& icon, const QString& text);
    const QString& text() const { return text_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon icon_;
    QString text_;
};

} // namespace cs::app
