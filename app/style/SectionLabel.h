// A small section caption: the text of a localisation key in upper case, caption size, semibold,
// letter spacing 0.8, in inkSoft.
#pragma once

#include <QWidget>

namespace kestrine {

class SectionLabel : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal letterSpacing = 0.8;

    explicit SectionLabel(const QString& key, QWidget* parent = nullptr);

    QString key() const { return key_; }
    void setKey(const QString& key);
    // The text as shown: the key's text in upper case.
    QString displayText() const;
    static QFont font();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString key_;
};

}  // namespace kestrine
