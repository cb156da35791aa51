#pragma once
// A bar chart of channels per satellite, drawn with QPainter: one bar a satellite, longest on
// top of the scale, the name on the left and the count at the bar's end.
#include <QWidget>

#include <cstddef>
#include <utility>
#include <vector>

namespace cs::compare_ui {

class SatelliteChart final : public QWidget {
    Q_OBJECT

public:
    explicit SatelliteChart(QWidget* parent = nullptr);

    // Bars in the order given: a label and a count each.
    void setBars(std::vector<std::pair<QString, std::size_t>> bars);
    const std::vector<std::pair<QString, std::size_t>>& bars() const { return bars_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::pair<QString, std::size_t>> bars_;
};

} // namespace cs::compare_ui
