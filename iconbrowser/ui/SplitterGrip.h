#pragma once

#include <QWidget>

namespace glint {

// The splitter's grip (`imgSplitter`): an invisible strip between the folder
// and file lists with the west-east sizing pointer. It reports the mouse
// along it, x in pixels from its own left edge.
class SplitterGrip final : public QWidget {
    Q_OBJECT
public:
    explicit SplitterGrip(QWidget* parent);

signals:
    void pressed();
    void moved(int x);
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace glint
