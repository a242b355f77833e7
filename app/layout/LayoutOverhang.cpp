#include "app/layout/LayoutOverhang.h"

#include <QVariant>
#include <QWidget>

namespace kestrine::LayoutOverhang {

namespace {
constexpr const char* kProperty = "kestrineLayoutOverhang";
}

void set(QWidget* widget, const QMargins& overhang) {
    if (widget) widget->setProperty(kProperty, QVariant::fromValue(overhang));
}

QMargins of(const QWidget* widget) {
    if (!widget) return {};
    const QVariant value = widget->property(kProperty);
    return value.canConvert<QMargins>() ? value.value<QMargins>() : QMargins();
}

}  // namespace kestrine::LayoutOverhang
