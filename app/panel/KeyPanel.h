// The key panel's window: borderless, floating above other windows, without a task-bar entry, able
// to take keyboard focus. It draws a soft shadow around its content where the window system can
// show translucent windows, and clips itself to the tray's rounded shape where it cannot.
#pragma once

#include <QMargins>
#include <QWidget>

namespace kestrine {

class KeyPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal contentCorner = 20;
    static constexpr int shadowBlur = 18;
    static constexpr int shadowOffset = 6;

    // `translucent`: whether the window system composites translucent windows (a compositing
    // manager is running). Without one the panel is opaque and shaped instead.
    explicit KeyPanel(bool translucent, QWidget* parent = nullptr);

    // Makes `content` the panel's content, sized `contentSize`, and sizes the window around it.
    void setContent(QWidget* content, const QSize& contentSize);
    QWidget* content() const { return content_; }
    // Room around the content for the shadow; zero when the panel is opaque.
    QMargins shadowMargins() const;
    // Places the window so that its content's top-left corner is at `contentOrigin` (global).
    void moveContentTo(const QPoint& contentOrigin);
    // The content's rectangle in global coordinates.
    QRect contentGeometry() const;
    bool isTranslucent() const { return translucent_; }

signals:
    // The panel stopped being the active window.
    void deactivated();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool translucent_;
    QWidget* content_ = nullptr;
};

}  // namespace kestrine
