// Room a widget keeps around what it shows (a drop shadow, a badge sticking out). Layouts that
// honour it (FlowBoxLayout) measure and place the visible part, and let the extra room spill into
// the gaps around it, so spacing is measured between what the user sees.
#pragma once

#include <QMargins>

class QWidget;

namespace kestrine::LayoutOverhang {

void set(QWidget* widget, const QMargins& overhang);
QMargins of(const QWidget* widget);

}  // namespace kestrine::LayoutOverhang
