// The window's small images, drawn rather than shipped (they must show without any
// image plug-in): the two decorative pictures above the charge-curve diagram, the
// upload button's icon, the window icon and the calibration window's divider circuit.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

#include "qt/widgets/Twips.h"

class QPainter;

namespace voltander {

// A battery with its charge level, for the left picture.
QPixmap BatteryPicture(QSize size);
// The charger box with its display and cable, for the right picture.
QPixmap ChargerPicture(QSize size);
// An arrow into a chip: sending the parameters to the controller.
QIcon UploadIcon();
QIcon AppIcon();
// The divider circuit behind the calibration window's controls, in its twip layout,
// with the painter's pen.
void DrawDividerSketch(QPainter& p, const TwipScale& scale);

}  // namespace voltander
