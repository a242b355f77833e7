// The application's icon: an indigo tile with a cream key cap on it, and on the cap a little dock of
// three coloured tiles. Drawn with QPainter at any size; the PNG files installed into the icon
// theme are renderings of it.
#pragma once

#include <QIcon>
#include <QImage>

namespace kestrine::AppIcon {

// The icon at `pixels` × `pixels`, on a transparent background.
QImage render(int pixels);

// The icon theme's "kestrine" when installed, else the rendering at the usual sizes.
QIcon icon();

}  // namespace kestrine::AppIcon
