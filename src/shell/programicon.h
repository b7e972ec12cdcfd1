#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// The program's emblem, a marked answer sheet on a blue tile: the about
// window's picture, the windows' icon and the icon the desktop shows (the
// installed PNG is drawn by this code at build time; the SVG beside it in
// packaging/ follows the same figures).
namespace ProgramIcon {

// Paints the emblem into a frame of 65 × 66 units at the painter's origin.
void paintEmblem(QPainter &painter);

// The emblem centred on a transparent square of size × size pixels.
QImage image(int size);

// The windows' icon, drawn for the usual sizes.
QIcon icon();

} // namespace ProgramIcon
