// The banner that shows the model's error message over the top of the settings window: a warning
// symbol, the message (wrapping) and a dismiss button, on a raised card with a danger border and a
// soft shadow. The widget keeps room around the card for the shadow (shadowRoom).
#pragma once

#include <QMargins>
#include <QWidget>

#include <functional>

namespace kestrine {

class IconButton;
class PaletteLabel;

class ErrorBanner : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal corner = 12;
    static constexpr qreal borderOpacity = 0.6;
    static constexpr qreal shadowRadius = 10;
    static constexpr qreal shadowOffset = 5;
    static constexpr int spacing = 10;
    // Padding inside the card: 14 left, 8 right, 8 above and below.
    static QMargins padding() { return QMargins(14, 8, 8, 8); }
    // Room kept around the card for its shadow.
    static QMargins shadowRoom();

    explicit ErrorBanner(const QString& message, QWidget* parent = nullptr);

    // Called by the dismiss button.
    std::function<void()> onDismiss;

    QString message() const;
    void setMessage(const QString& message);

    IconButton* dismissButton() const { return dismiss_; }
    PaletteLabel* messageLabel() const { return label_; }
    // The card inside the widget.
    QRect cardRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    PaletteLabel* label_ = nullptr;
    IconButton* dismiss_ = nullptr;
};

}  // namespace kestrine
